// A browser that refuses the page its storage (cookies blocked, hosted
// edition): the office list's save says so and the counts line does not claim
// the list is kept; the session's warning tells a refusal from a full storage.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { after, before, test } from 'node:test';
import { launchZonderCookies } from './support/chromium.js';
import { openPage, servePage } from './support/page-server.js';
import { plak, volgToasts } from './support/user.js';

const NIET_BEWAARD = 'Deze browser bewaart de kantoorlijst niet; download hem als bestand.';
const GEWEIGERD = 'Deze browser staat het tussentijds bewaren van de sessie niet toe; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';
const LIJST = '[altijd vervangen]\nBedrijf: Bosman Holding B.V.\n';

let hosted;
let zonder;
before(async () => {
  mkdirSync('test-results', { recursive: true });
  hosted = await servePage();
  zonder = await launchZonderCookies();
});
after(async () => {
  await zonder?.close();
  hosted?.server.close();
});

test('with storage refused, "Bewaren en toepassen" keeps its message on screen and the list is not called kept', async () => {
  const { page, problems } = await openPage(null, hosted.origin, { context: zonder.context });
  assert.equal(await page.evaluate(() => { try { return Boolean(localStorage); } catch (e) { return e.name; } }), 'SecurityError');
  await page.click('nav a[href="#sleutel"]');
  assert.equal(await page.locator('#kl-info').textContent(), '0 altijd vervangen, 0 nooit vervangen · niet bewaard in deze browser');
  await volgToasts(page);
  await page.fill('#kl-tekst', LIJST);
  await page.click('#btn-kl-bewaar');
  await page.waitForFunction(() => document.getElementById('kl-info').textContent.startsWith('1 altijd'));
  // The save's last toast, after all it did in its task: its own message, under the session's warning.
  const toasts = await page.evaluate(() => window.toasts);
  assert.equal(toasts.at(-1), GEWEIGERD + NIET_BEWAARD, toasts.join(' | '));
  assert.equal(await page.locator('#toast .toast-vast').textContent(), GEWEIGERD);
  assert.equal(await page.locator('#kl-info').textContent(), '1 altijd vervangen, 0 nooit vervangen · niet bewaard in deze browser');
  await page.screenshot({ path: 'test-results/kantoorlijst-niet-bewaard.png', animations: 'disabled' });

  // The list is in force in this page all the same.
  await page.click('#toast');
  await page.click('nav a[href="#document"]');
  await plak(page, '', 'Offerte voor Bosman Holding B.V., Kerkstraat 1.');
  await page.click('nav a[href="#sleutel"]');
  assert.match(await page.locator('#sleutel-tabel').innerText(), /\[BEDRIJF_1\]\s+Bedrijf\s+Bosman Holding B\.V\./);
  assert.deepEqual(problems, []);
});
