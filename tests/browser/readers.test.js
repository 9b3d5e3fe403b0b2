// The page's readers in Chromium, with the served page libraries: real sample
// files from other projects and small files of our own.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { openReadersPage } from './support/readers-page.js';
import {
  commentsPart, docx, footerPart, heading, headerPart, listItem, paragraph, table, zip,
} from '../fixtures/readers/make-docx.js';

const SAMPLES = fileURLToPath(new URL('../../../shared/fixtures/', import.meta.url));
const sample = (path) => readFileSync(SAMPLES + path);
const XLSX = createRequire(import.meta.url)('xlsx');
const LEFT_OUT = 'Tekstvakken en afbeeldingen uit Word worden niet meegenomen.';
const p = (text, line) => (line ? { t: 'p', text, line } : { t: 'p', text });
const h3 = (text) => ({ t: 'h', level: 3, text });

let readers;
before(async () => { readers = await openReadersPage(); });
after(() => readers.close());

test('real Word documents', async () => {
  const cases = [
    ['single-paragraph.docx', [p('Walking on imported air')], '1'],
    ['tables.docx', [p('Above'), { t: 'table', rows: [['Top left', 'Top right'], ['Bottom left', 'Bottom right']] }, p('Below')], '3'],
    ['simple-list.docx', [{ t: 'li', text: 'Apple', ordered: false }, { t: 'li', text: 'Banana', ordered: false }], '2'],
    ['utf8-bom.docx', [p('This XML has a byte order mark.')], '1'],
    ['strict-format.docx', [p('Test')], '1'],
    ['empty.docx', [], '0'],
  ];
  for (const [name, blocks, count] of cases) {
    assert.deepEqual(await readers.read(name, sample(`docx/${name}`)),
      { blocks, warn: [LEFT_OUT], info: `${count} alinea's/tabellen`, bekend: [] }, name);
  }
  const commented = await readers.read('comments.docx', sample('docx/comments.docx'));
  assert.deepEqual(commented.blocks.slice(1), [
    h3('Opmerkingen'),
    p('Michael Williamson: A tachyon walks into a bar.'),
    p('Michael Williamson: Fin.'),
  ]);
  assert.equal(commented.info, "1 alinea's/tabellen + 2 opmerking(en)");
  assert.deepEqual(commented.bekend, Array(2).fill({ cat: 'PERSOON', value: 'Michael Williamson' }));
});

test('headers, footers and comments around the body', async () => {
  const bytes = docx(heading(1, 'Akte van levering') + paragraph('Verkoper: J. Bakker'), {
    'word/header1.xml': headerPart('Notariskantoor Smit', 'Dossier 2024-117'),
    'word/header2.xml': headerPart('Notariskantoor Smit'),
    'word/footer1.xml': footerPart('Pagina 1'),
    'word/comments.xml': commentsPart({ author: 'A. de Wit', text: 'Klopt het kadastrale perceel?' }, { text: 'Nakijken' }),
  });
  assert.deepEqual(await readers.read('akte.docx', bytes), {
    blocks: [
      h3('Koptekst'), p('Notariskantoor Smit', true), p('Dossier 2024-117', true), h3('Document'),
      { t: 'h', level: 1, text: 'Akte van levering' }, p('Verkoper: J. Bakker'),
      h3('Voettekst'), p('Pagina 1', true),
      h3('Opmerkingen'), p('A. de Wit: Klopt het kadastrale perceel?'), p('Nakijken'),
    ],
    warn: [LEFT_OUT],
    info: "2 alinea's/tabellen + koptekst, voettekst, 2 opmerking(en)",
    bekend: [{ cat: 'PERSOON', value: 'A. de Wit' }],
  });
});

test('nested lists become items of their own; blocks inside a cell stay apart', async () => {
  const cell = (...texts) => texts.map(paragraph).join('');
  const body = listItem(0, 'Eerste') + listItem(1, 'Genummerd') + listItem(0, 'Tweede') +
    table([cell('Jan Jansen', 'Amsterdam'), cell('x')], [table([cell('a'), cell('b')], [cell('c'), cell('d')]) + '<w:p/>', cell('y')]);
  assert.deepEqual((await readers.read('lijst.docx', docx(body))).blocks, [
    { t: 'li', text: 'Eerste', ordered: false },
    { t: 'li', text: 'Genummerd', ordered: true },
    { t: 'li', text: 'Tweede', ordered: false },
    { t: 'table', rows: [['Jan Jansen\nAmsterdam', 'x'], ['a b\nc d', 'y']] },
  ]);
});

test('unreadable headers and footers leave the body and warn', { timeout: 20000 }, async () => {
  // A header part whose deflate data does not decompress.
  const bytes = docx(paragraph('Romp blijft'), { 'word/header1.xml': { packed: [0xff, 0xff, 0xff] } });
  const result = await readers.read('kop.docx', bytes);
  assert.deepEqual(result.blocks, [p('Romp blijft')]);
  assert.deepEqual(result.warn, ['Kop- en voetteksten en opmerkingen konden niet gelezen worden.', LEFT_OUT]);
});

test('Word files that cannot be read fail with a Dutch text', { timeout: 20000 }, async () => {
  const whole = docx(paragraph('x'));
  const cases = [
    ['leeg.docx', new Uint8Array(0)],
    ['afgebroken.docx', whole.slice(0, whole.length - 40)],
    ['zonder-romp.docx', zip([{ name: '[Content_Types].xml', data: '<Types/>' }])],
    ['tekst.docx', new TextEncoder().encode('geen zip')],
  ];
  for (const [name, bytes] of cases) {
    assert.deepEqual(await readers.read(name, bytes),
      { fout: 'Dit Word-document kon niet gelezen worden. Het bestand is beschadigd of geen geldig .docx-bestand.' }, name);
  }
});

test('real spreadsheets', async () => {
  const cases = [
    ['issues.xlsx', '6 blad(en)', 12],
    ['issues.xls', '5 blad(en)', 10],
    ['issues.ods', '6 blad(en)', 12],
    ['issue221.xlsm', '1 blad(en)', 1],
    ['date.xls', '1 blad(en)', 1],
    ['biff5-rich-text-string.xls', '1 blad(en)', 1],
  ];
  for (const [name, info, count] of cases) {
    const result = await readers.read(name, sample(`sheets/${name}`));
    assert.deepEqual([result.info, result.blocks.length, result.warn, result.bekend], [info, count, [], undefined], name);
  }
  const merged = await readers.read('merged_cells.ods', sample('sheets/merged_cells.ods'));
  assert.deepEqual(merged.blocks, [{ t: 'table', rows: [['A', 'B', 'C'], ['A', 'B', 'C'], ['', '', 'C']] }]);
  const multi = await readers.read('issues.xlsx', sample('sheets/issues.xlsx'));
  assert.deepEqual(multi.blocks.slice(4, 6), [{ t: 'h', level: 2, text: 'Blad: issue2' }, { t: 'table', rows: [['1', 'a'], ['2', 'b'], ['3', 'c']] }]);
  assert.deepEqual(await readers.read('pass_protected.xlsx', sample('sheets/pass_protected.xlsx')),
    { fout: 'Deze werkmap is beveiligd met een wachtwoord. Sla hem zonder wachtwoord op en probeer het opnieuw.' });
});

test('a long export keeps 3000 rows and says so', async () => {
  const wb = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(Array.from({ length: 3001 }, (_, i) => [`klant ${i + 1}`, i])), 'Export');
  const result = await readers.read('export.xlsx', XLSX.write(wb, { type: 'buffer', bookType: 'xlsx' }));
  assert.equal(result.blocks[0].rows.length, 3000);
  assert.deepEqual(result.warn, ['Blad "Export": alleen de eerste 3000 van 3001 rijen meegenomen.']);
});
