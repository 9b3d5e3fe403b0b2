// The page's own OCR engine that cannot start (hosted edition): whatever
// fails to load, the image gets a Dutch message, the overlay goes, the rest of
// the batch is read (a scanned PDF page with a warning), and the next image
// tries the engine again.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage } from './support/page-server.js';
import { sessie, volgToasts } from './support/user.js';
import { scanPdf, scanPng } from '../fixtures/readers/make-pdf.js';

const START_MISLUKT = 'De tekstherkenning kon niet worden gestart; probeer het opnieuw.';
const TESS = '**/vendor/tesseract/';
const OCR = { timeout: 240000 };

const omgeving = paginaOmgeving();

const file = (name, buffer) => ({ name, mimeType: 'application/octet-stream', buffer });

// Files through the chooser; gives every toast shown until the overlay has gone.
async function lees(page, files, gelezen) {
  await volgToasts(page);
  await page.setInputFiles('#file-input', files);
  await page.waitForFunction((n) => window.toasts.some((t) => t.startsWith(`${n} document(en) gelezen`))
    && !document.getElementById('laden').classList.contains('show'), gelezen, { timeout: 200000 });
  return page.evaluate(() => window.toasts);
}

// The engine's workers still running: a worker that is ended leaves the list
// a moment later, so this waits for the count to come down to `n`.
async function engines(page, n) {
  const tel = () => page.workers().filter((w) => w.url().endsWith('/vendor/tesseract/worker.min.js')).length;
  const tot = Date.now() + 20000;
  while (tel() > n && Date.now() < tot) await new Promise((r) => setTimeout(r, 50));
  return tel();
}

const STORINGEN = [
  ['the trained data answers 404', `${TESS}nld.traineddata.gz`, (route) => route.fulfill({ status: 404, body: 'Not Found' })],
  ['the trained data is a web page', `${TESS}nld.traineddata.gz`, (route) => route.fulfill({ status: 200, contentType: 'text/html', body: '<!doctype html><p>Niet gevonden</p>' })],
  ['the trained data\'s connection is reset', `${TESS}nld.traineddata.gz`, (route) => route.abort('connectionreset')],
  ['the worker script answers 404', `${TESS}worker.min.js`, (route) => route.fulfill({ status: 404, body: 'Not Found' })],
  ['the engine\'s core answers 404', `${TESS}tesseract-core-simd-lstm.wasm.js`, (route) => route.fulfill({ status: 404, body: 'Not Found' })],
];

test('every failure to start the OCR is told for its file, the batch goes on, and the next OCR tries again', OCR, async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  const foto = await scanPng(omgeving.browser, '<h1>Notitie van de heer Piet Jansen</h1>');
  const scan = file('scan.pdf', await scanPdf(omgeving.browser, [foto]));
  const brief = file('brief.txt', Buffer.from('Geachte heer Jan de Vries,'));
  for (const [storing, pad, antwoord] of STORINGEN) {
    await page.route(pad, antwoord);
    const toasts = await lees(page, [file('foto.png', foto), scan, brief], 2);
    assert.ok(toasts.includes(`foto.png: ${START_MISLUKT}`), `${storing}: ${toasts.join(' | ')}`);
    assert.match(toasts.at(-1), /^2 document\(en\) gelezen, \d+ nieuwe gegevens gevonden\. Niet gelezen: foto\.png\.$/, storing);
    const [pdf, txt] = (await sessie(page)).docs.slice(-2);
    assert.equal(pdf.warn[0], `Tekstherkenning mislukt: ${START_MISLUKT}`, storing);
    assert.equal(txt.name, 'brief.txt', storing);
    assert.equal(await engines(page, 0), 0, `${storing}: a failed start leaves no engine running`);
    await page.unroute(pad, antwoord);
  }
  await lees(page, [file('foto.png', foto)], 1);
  const s = await sessie(page);
  assert.deepEqual(s.docs.map((d) => d.name), [...STORINGEN.flatMap(() => ['scan.pdf', 'brief.txt']), 'foto.png']);
  assert.match(s.docs.at(-1).blocks[0].text, /Piet Jansen/);
  assert.equal(await engines(page, 1), 1);
  assert.deepEqual(problems, []);
});
