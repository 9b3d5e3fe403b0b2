import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { leesSheet } from '../../../web/src/app/readers/sheet.js';

const XLSX = createRequire(import.meta.url)('xlsx');
before(() => { globalThis.XLSX = XLSX; });

function workbook(sheets) {
  const wb = XLSX.utils.book_new();
  for (const [name, rows] of Object.entries(sheets)) XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(rows), name);
  return wb;
}

const numbered = (n, extra = []) => Array.from({ length: n }, (_, i) => [`r${i + 1}`, ...extra]);

test('one sheet: one table of displayed texts, no heading', () => {
  const result = leesSheet(workbook({ Klanten: [['Naam', 'Bedrag', 'Geboren'], ['Jansen', 1250.5, new Date(Date.UTC(1958, 2, 1))]] }));
  assert.equal(result.blocks.length, 1);
  assert.equal(result.blocks[0].t, 'table');
  assert.deepEqual(result.blocks[0].rows[0], ['Naam', 'Bedrag', 'Geboren']);
  assert.ok(result.blocks[0].rows[1].every((cell) => typeof cell === 'string'));
  assert.deepEqual([result.warn, result.info, 'bekend' in result], [[], '1 blad(en)', false]);
});

test('the width is that of the widest filled row, over all rows', () => {
  const cases = [
    ['trailing blank column dropped', [['a', 'b', ' '], ['c', '', '']], [['a', 'b'], ['c', '']]],
    ['column filled only beyond the cut stays', [...numbered(3000, ['', '']), ['laatste', '', 'x']], [['r1', '', ''], ['r2', '', '']]],
  ];
  for (const [label, rows, expected] of cases) {
    assert.deepEqual(leesSheet(workbook({ Blad1: rows })).blocks[0].rows.slice(0, 2), expected, label);
  }
});

test('at most 3000 rows per sheet, with a warning naming the total', () => {
  const cases = [
    [3000, []],
    [3001, ['Blad "Export": alleen de eerste 3000 van 3001 rijen meegenomen.']],
  ];
  for (const [n, warn] of cases) {
    const result = leesSheet(workbook({ Export: numbered(n) }));
    assert.equal(result.blocks[0].rows.length, 3000);
    assert.deepEqual(result.blocks[0].rows.at(-1), ['r3000']);
    assert.deepEqual(result.warn, warn);
  }
});

test('several sheets: a heading per filled sheet, empty ones skipped but counted', () => {
  const result = leesSheet(workbook({ Debiteuren: [['Bakker']], Leeg: [], Crediteuren: [[], ['Smit']] }));
  assert.deepEqual(result.blocks, [
    { t: 'h', level: 2, text: 'Blad: Debiteuren' },
    { t: 'table', rows: [['Bakker']] },
    { t: 'h', level: 2, text: 'Blad: Crediteuren' },
    { t: 'table', rows: [['Smit']] },
  ]);
  assert.equal(result.info, '3 blad(en)');
});

test('a damaged workbook naming a sheet it does not hold: the others are read', () => {
  const wb = workbook({ Weg: [['x']], Klanten: [['Jansen']] });
  delete wb.Sheets.Weg;
  assert.deepEqual(leesSheet(wb), {
    blocks: [{ t: 'h', level: 2, text: 'Blad: Klanten' }, { t: 'table', rows: [['Jansen']] }], warn: [], info: '2 blad(en)',
  });
});
