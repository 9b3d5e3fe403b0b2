// The page with a full session storage, by keyboard, with a wide table and in
// a small window; screenshots of the last two go to test-results/.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage, toastText } from './support/page-server.js';
import { kiesBestanden, plak } from './support/user.js';

const BRIEF = 'Geachte heer Jan de Vries,\n\nUw teruggaaf gaat naar NL91ABNA0417164300.\n\nMet vriendelijke groet,\nEls Bakker';
const TE_GROOT = 'Sessie te groot om tussentijds te bewaren; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';

const omgeving = paginaOmgeving();

const drop = (page, name, text) => page.evaluate(async ([n, t]) => {
  const dt = new DataTransfer();
  dt.items.add(new File([t], n));
  document.getElementById('upload-box').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
}, [name, text]);

test('a failed save warns above the toasts that follow until it is clicked away', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  // The tab's storage filled by something else, so the session no longer fits.
  await page.evaluate(() => {
    let stuk = 'x'.repeat(1 << 20);
    for (let i = 0; ; i++) {
      try {
        sessionStorage.setItem(`vul${i}`, stuk);
      } catch {
        if (stuk.length < 1024) break;
        stuk = stuk.slice(0, stuk.length / 2);
      }
    }
  });
  await plak(page, '', BRIEF);
  const tekst = await toastText(page);
  assert.ok(tekst.startsWith(TE_GROOT), tekst);
  assert.match(tekst, /Tekst toegevoegd, \d+ nieuwe gegevens gevonden\.$/);
  // Once the ordinary toast's time is up, the warning stands alone.
  await page.waitForFunction((t) => document.getElementById('toast').textContent === t, TE_GROOT);
  assert.ok(await page.locator('#toast.show').isVisible());
  await page.click('#toast');
  await page.waitForFunction(() => !document.getElementById('toast').classList.contains('show'));
  assert.deepEqual(problems, []);
});

test('files, values, variants and marks work by keyboard', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  assert.match(await page.getAttribute('#file-input', 'accept'), /(^|,)\.ods(,|$)/);
  const knop = page.getByRole('button', { name: 'Bestanden kiezen' });
  await knop.focus();
  await kiesBestanden(page, () => page.keyboard.press('Enter'), [{ name: 'brief.txt', mimeType: 'text/plain', buffer: Buffer.from(BRIEF) }]);
  await page.waitForFunction(() => document.getElementById('nav-docs').textContent === '1');
  await knop.focus();
  await kiesBestanden(page, () => page.keyboard.press(' '), []);

  await page.goto(`${omgeving.origin}/#markeren`);
  assert.equal(await page.getByRole('combobox', { name: 'Soort gegeven' }).count(), 1);
  const rij = page.locator('.ent-rij', { hasText: 'Jan de Vries' }).first();
  await rij.locator('.ent-waarde').focus();
  await page.keyboard.press('Enter');
  assert.ok(await page.locator('mark.ent.huidig').count() === 1);
  assert.match(await rij.locator('.ent-telling').textContent(), /^1\/\d+×$/);
  // A change ends the browsing: its count reads plain again, and no mark stays current.
  await page.locator('.ent-rij', { hasText: 'NL91ABNA0417164300' }).locator('input.ent-aan').click();
  assert.match(await rij.locator('.ent-telling').textContent(), /^\d+×$/);
  assert.equal(await page.locator('mark.ent.huidig').count(), 0);
  await rij.locator('.ent-varianten').focus();
  await page.keyboard.press('Enter');
  assert.equal(await rij.locator('.ent-varianten input').count(), 1);
  await page.keyboard.press('Escape');
  await page.locator('#preview mark.ent').first().focus();
  await page.keyboard.press('Enter');
  assert.ok(await page.locator('#ent-pop.open').isVisible());
  assert.deepEqual(problems, []);
});

test('a wide table scrolls sideways with its numbers whole', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin, { width: 1280, height: 800 });
  const kop = ['Klant', 'Adres', 'Postcode', 'Plaats', 'IBAN', 'Telefoon', 'Opmerking bij het dossier', 'Relatiebeheerder'];
  const rij = (i) => [`Klant ${i}`, `Kerkstraat ${i}`, '1234 AB', 'Zaandam', 'NL44RABO0123456789', '06-11122233', 'Aangifte IB over het jaar 2025 volgt na ontvangst van de stukken', 'Els Bakker'];
  await drop(page, 'klanten.csv', [kop, ...Array.from({ length: 12 }, (_, i) => rij(i + 1))].map((r) => r.join(';')).join('\n'));
  await page.waitForFunction(() => document.getElementById('nav-docs').textContent === '1');
  await page.goto(`${omgeving.origin}/#markeren`);
  const tabel = page.locator('#preview > table');
  const maat = await tabel.evaluate((t) => ({ scroll: t.scrollWidth, client: t.clientWidth }));
  assert.ok(maat.scroll > maat.client, JSON.stringify(maat));
  // A marked number on one line: its box is no taller than one line of its cell.
  const iban = page.locator('#preview td mark.ent', { hasText: 'NL44RABO0123456789' }).first();
  const hoogte = await iban.evaluate((m) => m.getClientRects().length);
  assert.equal(hoogte, 1);
  await page.screenshot({ path: 'test-results/brede-tabel.png' });
  assert.deepEqual(problems, []);
});

test('at 760 px the dossier views keep a link row, and the stacked preview leaves the panel in reach', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin, { width: 760, height: 900 });
  await plak(page, 'Lange brief', Array.from({ length: 80 }, () => BRIEF).join('\n\n'));
  await page.goto(`${omgeving.origin}/#markeren`);
  assert.equal(await page.locator('.sidebar').isVisible(), false);
  const preview = await page.locator('#preview').boundingBox();
  assert.ok(preview.height < 900, `preview ${preview.height}px high`);
  await page.screenshot({ path: 'test-results/layout-760.png', fullPage: false });
  await page.locator('.mini-nav').getByRole('link', { name: 'Sleutelbestand' }).click();
  await page.waitForSelector('#view-sleutel.active');
  await page.locator('.mini-nav').getByRole('link', { name: 'Uitleg' }).click();
  await page.waitForSelector('#view-uitleg.active');
  assert.deepEqual(problems, []);
});

test('in a long document a switch reaches the marks of its last blocks', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin, { width: 1280, height: 800 });
  await plak(page, 'Lange brief', Array.from({ length: 240 }, () => BRIEF).join('\n\n'));
  await page.goto(`${omgeving.origin}/#markeren`);
  const rij = page.locator('.ent-rij', { hasText: 'NL91ABNA0417164300' });
  await rij.locator('input.ent-aan').uncheck();
  const marks = page.locator('#preview mark.ent', { hasText: 'NL91ABNA0417164300' });
  assert.equal(await marks.count(), 240);
  assert.equal(await page.locator('#preview mark.ent.uit', { hasText: 'NL91ABNA0417164300' }).count(), 240);
  await rij.locator('input.ent-aan').check();
  assert.equal(await page.locator('#preview mark.ent.uit').count(), 0);
  assert.deepEqual(problems, []);
});
