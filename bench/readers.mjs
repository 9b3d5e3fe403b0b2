// Reads a 10 MB spreadsheet and a 5 MB Word document, both generated here, with
// the page's readers in Chromium, and prints the time and the peak JS heap of each.
// Run after `node scripts/build-web.mjs`. Goal: each under 5 seconds.
import { createRequire } from 'node:module';
import { openReadersPage } from '../tests/browser/support/readers-page.js';
import { commentsPart, docx, footerPart, headerPart, paragraph } from '../tests/fixtures/readers/make-docx.js';

const XLSX = createRequire(import.meta.url)('xlsx');
const MB = 1024 * 1024;
const WORDS = ('de het een van en in op voor met aan bij naar over onder tussen notaris akte levering koper verkoper ' +
  'perceel kadaster hypotheek bedrag euro datum Amsterdam Utrecht Rotterdam Jansen Bakker Visser Smit de Vries ' +
  'Mulder Bos Peters Hendriks Dekker straat laan weg plein').split(' ');

// A fixed pseudo-random sequence, so that every run reads the same files.
let seed = 20240601;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
const pick = (list) => list[Math.floor(random() * list.length)];
const sentence = (n) => Array.from({ length: n }, () => pick(WORDS)).join(' ');

// Grows the content until the file reaches the size.
function grow(size, make) {
  let bytes;
  for (let n = 1000; (bytes = make(n)).length < size; n = Math.ceil(n * Math.max(1.05, (size / bytes.length) * 1.02)));
  return bytes;
}

function spreadsheet(rows) {
  const data = [['Relatienummer', 'Naam', 'Adres', 'Postcode', 'Plaats', 'IBAN', 'Bedrag', 'Omschrijving']];
  for (let i = 0; i < rows; i++) {
    data.push([100000 + i, `${pick(WORDS)} ${pick(WORDS)}`, `${pick(WORDS)}straat ${1 + (i % 200)}`,
      `${1000 + (i % 9000)} AB`, pick(WORDS), `NL${10 + (i % 89)}BANK0${String(i).padStart(9, '0')}`,
      (random() * 10000).toFixed(2), sentence(6)]);
  }
  const wb = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(data), 'Export');
  return XLSX.write(wb, { type: 'buffer', bookType: 'xlsx', compression: true });
}

function wordDocument(paragraphs) {
  const body = Array.from({ length: paragraphs }, () => paragraph(sentence(40))).join('');
  return docx(body, {
    'word/header1.xml': headerPart('Notariskantoor Smit', 'Dossier 2024-117'),
    'word/footer1.xml': footerPart('Pagina 1'),
    'word/comments.xml': commentsPart(...Array.from({ length: 50 }, (_, i) => ({ author: `Medewerker ${i}`, text: sentence(12) }))),
  });
}

async function measure(readers, name, bytes) {
  readers.serve(name, bytes);
  const { page } = readers;
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  await cdp.send('HeapProfiler.collectGarbage');
  const heap = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'JSHeapUsedSize').value;
  await page.evaluate(async (n) => { window.bestand = await window.testbestand(n); }, name);
  const base = await heap();
  let peak = base;
  let samples = 0;
  let reading = true;
  const sampler = (async () => {
    while (reading) {
      peak = Math.max(peak, await heap());
      samples++;
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
  })();
  const outcome = await page.evaluate(async () => {
    const start = performance.now();
    const result = await window.leesBestand(window.bestand);
    const ms = performance.now() - start;
    return { ms, blocks: result.blocks.length, info: result.info, warn: result.warn };
  });
  peak = Math.max(peak, await heap());
  reading = false;
  await sampler;
  await cdp.detach();
  const mb = (n) => (n / MB).toFixed(1);
  console.log(`${name}: ${mb(bytes.length)} MB file, ${(outcome.ms / 1000).toFixed(2)} s, ` +
    `peak JS heap ${mb(peak)} MB (${mb(peak - base)} MB above the ${mb(base)} MB before; ${samples} samples), ` +
    `${outcome.blocks} blocks, ${outcome.info}${outcome.warn.length ? `; ${outcome.warn.join(' ')}` : ''}`);
}

const readers = await openReadersPage();
try {
  await measure(readers, 'export.xlsx', grow(10 * MB, spreadsheet));
  await measure(readers, 'akte.docx', grow(5 * MB, wordDocument));
} finally {
  await readers.close();
}
