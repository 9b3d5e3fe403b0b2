// What the user starts while a scan is read waits for it: another intake, a
// new or wiped session, a key file, the office list's save. Each scan is held
// at its OCR until the test has done its action by keyboard (the overlay blocks
// the mouse), in the hosted edition and as our own program serves the page.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { startDesktop } from './support/desktop.js';
import { houdOcrVast } from './support/ocr-hold.js';
import { openPage, servePage } from './support/page-server.js';
import { kiesBestanden, plak } from './support/user.js';
import { scanPdf, scanPng } from '../fixtures/readers/make-pdf.js';

const BRIEF = '<p>Geachte heer Jan Bosman,</p><p>Uw burgerservicenummer is 111222333 en uw rekening NL91ABNA0417164300.</p>'
  + '<p>Betreft: dossier Zonnebloem.</p><p>Met vriendelijke groet,</p><p>Karel Dekker</p>';
const OCR = { timeout: 240000 };

const file = (name, buffer) => ({ name, mimeType: 'application/octet-stream', buffer });
const sleutelbestand = (entiteiten) => file('sleutel.json', Buffer.from(JSON.stringify({
  type: 'drovel-verhulzen-sleutel', versie: 1, dossier: '', counters: {},
  entiteiten: entiteiten.map(([label, value]) => ({ cat: 'PERSOON', label, value, variants: [value], active: true })),
})));

let browser;
let made;
before(async () => {
  mkdirSync('test-results', { recursive: true });
  browser = await launchBrowser();
  const brief = await scanPng(browser, BRIEF);
  made = { brief, scan: await scanPdf(browser, [brief, brief]), knipsel: await scanPng(browser, '<p>Notitie over de heer Piet Jansen</p>') };
});
after(() => browser?.close());

const sessie = (page) => page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')));

// Every toast in order, and every time the overlay came or went with the number of documents then.
const volg = (page) => page.evaluate(() => {
  Object.assign(window, { toasts: [], overlay: [] });
  const toast = document.getElementById('toast');
  new MutationObserver(() => window.toasts.push(toast.textContent)).observe(toast, { childList: true, characterData: true, subtree: true });
  const laden = document.getElementById('laden');
  new MutationObserver(() => {
    const aan = laden.classList.contains('show');
    if (window.overlay.at(-1)?.aan !== aan) window.overlay.push({ aan, docs: document.getElementById('nav-docs').textContent });
  }).observe(laden, { attributes: true, attributeFilter: ['class'] });
});
const gezien = (page) => page.evaluate(() => ({ toasts: window.toasts, overlay: window.overlay }));

// Waits until a toast of the user's action has been shown and the overlay is gone.
const totEinde = (page, gezocht) => page.waitForFunction((t) => window.toasts.some((x) => x.includes(t))
  && !document.getElementById('laden').classList.contains('show'), gezocht, { timeout: 200000 });

const gelezen = (t) => /^\d+ document\(en\) gelezen/.test(t);
const volgorde = (toasts, ...gezocht) => gezocht.map((g) => toasts.findIndex((t) => (typeof g === 'string' ? t.endsWith(g) : g(t))));

// By keyboard, as the overlay leaves it: the view by its navigation link, then Enter on a button.
async function naarView(page, view) {
  await page.focus(`nav a[href="#${view}"]`);
  await page.keyboard.press('Enter');
  await page.waitForSelector(`#view-${view}.active`);
}
async function enter(page, knop, keer = 1) {
  await page.focus(knop);
  for (let i = 0; i < keer; i++) await page.keyboard.press('Enter');
}

async function metScan(page, bestand) {
  await volg(page);
  const ocr = await houdOcrVast(page);
  await page.setInputFiles('#file-input', [bestand]);
  await ocr.bezig;
  return ocr;
}

async function zetKnipselOpKlembord(page, png) {
  await page.evaluate(async (b64) => {
    const blob = new Blob([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], { type: 'image/png' });
    await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
  }, png.toString('base64'));
}

const EDITIES = {
  hosted: async () => {
    const { server, origin } = await servePage();
    return { origin, stop: () => server.close() };
  },
  desktop: () => startDesktop(),
};

for (const [editie, start] of Object.entries(EDITIES)) {
  describe(`${editie} edition`, () => {
    let served;
    before(async () => {
      served = await start();
    });
    after(() => served?.stop());

    test('a clipping pasted during a scan is read after it, under the same overlay; one pasted later lands at once', OCR, async () => {
      const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
      await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: served.origin });
      const { page, problems } = await openPage(browser, served.origin, { context });
      await zetKnipselOpKlembord(page, made.knipsel);
      const ocr = await metScan(page, file('scan.pdf', made.scan));
      await page.keyboard.press('Control+V');
      assert.match(await page.locator('#laden').textContent(), /^Pagina 1 van 2 lezen met tekstherkenning…$/);
      await page.screenshot({ path: `test-results/intake-wachtrij-${editie}.png` });
      ocr.laatGaan();
      await page.waitForFunction(() => window.toasts.filter((t) => /document\(en\) gelezen/.test(t)).length === 2
        && !document.getElementById('laden').classList.contains('show'), null, { timeout: 200000 });

      const s = await sessie(page);
      assert.deepEqual(s.docs.map((d) => d.name), ['scan.pdf', 'Schermknipsel 1.png']);
      assert.deepEqual(s.docs[0].blocks.filter((b) => b.pagina).map((b) => b.text), ['Pagina 1', 'Pagina 2']);
      assert.ok(s.ents.some((e) => e.cat === 'BSN' && e.value === '111222333'));
      assert.deepEqual((await gezien(page)).overlay, [{ aan: true, docs: '0' }, { aan: false, docs: '2' }]);

      await page.keyboard.press('Control+V');
      await page.waitForFunction(() => document.getElementById('nav-docs').textContent === '3'
        && !document.getElementById('laden').classList.contains('show'), null, { timeout: 120000 });
      assert.equal((await sessie(page)).docs[2].name, 'Schermknipsel 2.png');
      assert.deepEqual(problems, []);
      await context.close();
    });

    test('"Nieuwe sessie" pressed twice with Enter during a scan starts the new session after it; the scan stays out', OCR, async () => {
      const { page, problems } = await openPage(browser, served.origin);
      await page.fill('#dossier', 'Klant Bosman');
      const ocr = await metScan(page, file('scan.png', made.brief));
      await enter(page, '#btn-nieuw', 2);
      assert.equal(await page.locator('#dossier-badge').textContent(), 'Klant Bosman', 'not before the scan is in');
      ocr.laatGaan();
      await totEinde(page, 'Nieuwe sessie gestart.');
      const { toasts } = await gezien(page);
      const [scan, nieuw] = volgorde(toasts, gelezen, 'Nieuwe sessie gestart.');
      assert.ok(scan >= 0 && scan < nieuw, toasts.join(' | '));
      assert.equal(await sessie(page), null);
      assert.equal(await page.locator('#dossier-badge').textContent(), 'Geen dossier');
      assert.equal(await page.locator('#nav-docs').isHidden(), true);
      assert.equal(await page.locator('#nav-ents').isHidden(), true);
      assert.deepEqual(problems, []);
      await page.context().close();
    });
  });
}

describe('hosted edition, the key view during a scan', () => {
  let served;
  before(async () => {
    served = await EDITIES.hosted();
  });
  after(() => served?.stop());

  test('"Sessie wissen" by keyboard during a scan wipes the session once the scan is in', OCR, async () => {
    const { page, problems } = await openPage(browser, served.origin);
    const ocr = await metScan(page, file('scan.png', made.brief));
    await naarView(page, 'sleutel');
    await enter(page, '#btn-wissen', 2);
    ocr.laatGaan();
    await totEinde(page, 'Sessie gewist.');
    const { toasts } = await gezien(page);
    const [scan, gewist] = volgorde(toasts, gelezen, 'Sessie gewist.');
    assert.ok(scan >= 0 && scan < gewist, toasts.join(' | '));
    assert.equal(await sessie(page), null);
    assert.match(await page.locator('#sleutel-tabel').innerText(), /^Leeg/);
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('a key file opened during a scan is taken in after it', OCR, async () => {
    const { page, problems } = await openPage(browser, served.origin);
    const ocr = await metScan(page, file('scan.png', made.brief));
    await naarView(page, 'sleutel');
    await page.focus('#btn-sleutel-openen');
    await kiesBestanden(page, () => page.keyboard.press('Enter'), [sleutelbestand([['PERSOON_7', 'Piet Jansen']])]);
    ocr.laatGaan();
    await totEinde(page, '1 gegevens uit het sleutelbestand geladen.');
    const { toasts } = await gezien(page);
    const [scan, sleutel] = volgorde(toasts, gelezen, '1 gegevens uit het sleutelbestand geladen.');
    assert.ok(scan >= 0 && scan < sleutel, toasts.join(' | '));
    // The scan's persons were numbered before the file raised the counter to 7.
    const labels = (await sessie(page)).ents.map((e) => e.label);
    assert.ok(labels.includes('PERSOON_1') && labels.includes('PERSOON_7'), labels.join(' '));
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('"Sessie vervangen door sleutelbestand" pressed during a scan replaces the list after it', OCR, async () => {
    const { page, problems } = await openPage(browser, served.origin);
    await plak(page, '', 'Geachte heer Piet Jansen,');
    await naarView(page, 'sleutel');
    await kiesBestanden(page, () => page.click('#btn-sleutel-openen'), [sleutelbestand([['PERSOON_1', 'Els Bakker']])]);
    await page.waitForSelector('#btn-sleutel-vervang');
    const ocr = await metScan(page, file('scan.png', made.brief));
    await enter(page, '#btn-sleutel-vervang');
    ocr.laatGaan();
    await totEinde(page, 'nieuwe uit de documenten.');
    const { toasts } = await gezien(page);
    const [scan, vervangen] = volgorde(toasts, gelezen, (t) => t.startsWith('1 gegevens uit het sleutelbestand geladen, '));
    assert.ok(scan >= 0 && scan < vervangen, toasts.join(' | '));
    const s = await sessie(page);
    assert.equal(s.ents.find((e) => e.label === 'PERSOON_1').value, 'Els Bakker');
    assert.ok(s.ents.some((e) => e.cat === 'BSN' && e.value === '111222333'), 'the scan was scanned again after the replace');
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('the office list saved during a scan applies to it once it is in', OCR, async () => {
    const { page, problems } = await openPage(browser, served.origin);
    const ocr = await metScan(page, file('scan.png', made.brief));
    await naarView(page, 'sleutel');
    await page.fill('#kl-tekst', '[altijd vervangen]\nOverig: Zonnebloem\n');
    await enter(page, '#btn-kl-bewaar');
    ocr.laatGaan();
    await totEinde(page, 'Kantoorlijst bewaard');
    const { toasts } = await gezien(page);
    const [scan, bewaard] = volgorde(toasts, gelezen, 'Kantoorlijst bewaard, 1 nieuwe gegevens gevonden.');
    assert.ok(scan >= 0 && scan < bewaard, toasts.join(' | '));
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('"Opnieuw zoeken" during a scan runs after it, and the overlay stays until then', OCR, async () => {
    const { page, problems } = await openPage(browser, served.origin);
    const ocr = await metScan(page, file('scan.png', made.brief));
    await naarView(page, 'markeren');
    await enter(page, '#btn-herscan');
    ocr.laatGaan();
    await totEinde(page, 'Niets nieuws gevonden.');
    const { toasts, overlay } = await gezien(page);
    const [scan, herscan] = volgorde(toasts, gelezen, 'Niets nieuws gevonden.');
    assert.ok(scan >= 0 && scan < herscan, toasts.join(' | '));
    assert.deepEqual(overlay, [{ aan: true, docs: '0' }, { aan: false, docs: '1' }]);
    assert.deepEqual(problems, []);
    await page.context().close();
  });
});
