// The page as the desktop program serves it: our own server with its security
// headers, the page working under them, and nothing requested from another host.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { startDesktop } from './support/desktop.js';
import { CSP, openPage } from './support/page-server.js';

let browser;
let desktop;
let origin;

before(async () => {
  desktop = await startDesktop();
  origin = desktop.origin;
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await desktop?.stop();
});

test('the desktop server sends the page with its policy, and the page scans a pasted text under it', async () => {
  const answer = await fetch(`${origin}/`);
  assert.equal(answer.status, 200);
  assert.equal(answer.headers.get('content-security-policy'), CSP);

  const { page, problems } = await openPage(browser, origin);
  await page.fill('#plak-tekst', 'Geachte heer Jan de Vries,\n\nUw IBAN NL91ABNA0417164300 is ontvangen.');
  await page.click('#btn-plak');
  await page.waitForFunction(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1') || '{}').ents?.length >= 2);
  const labels = await page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')).ents.map((e) => e.label));
  assert.deepEqual(labels.sort(), ['IBAN_1', 'PERSOON_1']);
  assert.deepEqual(problems, []);
});

test('the page takes its status object from the status script the server builds', async () => {
  const script = await (await fetch(`${origin}/status.js`)).text();
  assert.match(script, /^window\.ANON_STATUS = \{.*\};\n$/);
  const served = JSON.parse(script.slice('window.ANON_STATUS = '.length, -2));
  assert.equal(served.versie, '1.3.0');
  assert.equal(served.blokkeer, null);

  const { page, problems } = await openPage(browser, origin);
  assert.deepEqual(await page.evaluate(() => window.ANON_STATUS), served);
  assert.deepEqual(problems, []);
});
