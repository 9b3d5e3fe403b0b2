import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import '../../../web/src/lezers/lezers.js';
import { leesBestand } from '../../../web/src/app/readers/bestand.js';

const XLSX = createRequire(import.meta.url)('xlsx');
const SHEETS = new URL('../../../../shared/fixtures/sheets/', import.meta.url);
const LIMIT = 31457280;
before(() => { globalThis.XLSX = XLSX; });

const file = (name, ...parts) => new File(parts, name);
const unreadable = (name, size) => ({ name, size, arrayBuffer: () => assert.fail('bytes read') });

function xlsxBytes(rows) {
  const wb = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(rows), 'Blad1');
  return new Uint8Array(XLSX.write(wb, { type: 'array', bookType: 'xlsx' }));
}

test('the size limit comes first: the limit itself is read, one byte more is refused unread', async () => {
  assert.deepEqual(await leesBestand(file('groot.txt', new Uint8Array(LIMIT).fill(0x20))), { blocks: [], warn: [], info: "0 alinea's" });
  for (const name of ['groot.txt', 'groot.exe']) {
    await assert.rejects(leesBestand(unreadable(name, LIMIT + 1)), { message: 'Bestand is groter dan 30 MB.' });
  }
});

test('extensions without a reader fail with a Dutch text', async () => {
  const cases = [
    ['README', 'Bestandstype .readme wordt niet ondersteund.'],
    ['brief.', 'Bestandstype . wordt niet ondersteund.'],
    ['archief.tar.GZ', 'Bestandstype .gz wordt niet ondersteund.'],
    ['Oud.DOC', 'Oude Word-bestanden (.doc) worden niet ondersteund. Sla het op als .docx.'],
  ];
  for (const [name, message] of cases) await assert.rejects(leesBestand(unreadable(name, 10)), { message }, name);
});

test('text files as UTF-8 with the byte-order mark dropped, or else as Windows-1252', async () => {
  const cases = [
    [[0xef, 0xbb, 0xbf, ...Buffer.from('José\r\n\r\nPiet €')], ['José', 'Piet €']],
    [[...Buffer.from('Jos', 'latin1'), 0xe9, ...Buffer.from('\r\n\r\nPiet '), 0x80], ['José', 'Piet €']],
  ];
  for (const [bytes, texts] of cases) {
    for (const name of ['NOTITIE.TXT', 'notitie.md']) {
      assert.deepEqual(await leesBestand(file(name, new Uint8Array(bytes))), {
        blocks: texts.map((text) => ({ t: 'p', text })),
        warn: [],
        info: "2 alinea's",
      }, name);
    }
  }
});

test('spreadsheets from bytes, CSV as UTF-8 or Windows-1252 text', async () => {
  const cases = [
    ['klanten.csv', ['\ufeffnaam,plaats\r\nJosé,Zaandam\r\n']],
    ['excel-export.csv', [Buffer.from('naam,plaats\r\nJos\xe9,Zaandam\r\n', 'latin1')]],
    ['Klanten.XLSX', [xlsxBytes([['naam', 'plaats'], ['José', 'Zaandam']])]],
  ];
  for (const [name, parts] of cases) {
    assert.deepEqual(await leesBestand(file(name, ...parts)), {
      blocks: [{ t: 'table', rows: [['naam', 'plaats'], ['José', 'Zaandam']] }],
      warn: [],
      info: '1 blad(en)',
    }, name);
  }
});

test('zero-byte files read as empty', async () => {
  const cases = [['leeg.txt', "0 alinea's"], ['leeg.csv', '1 blad(en)'], ['leeg.xlsx', '1 blad(en)']];
  for (const [name, info] of cases) assert.deepEqual(await leesBestand(file(name)), { blocks: [], warn: [], info }, name);
});

test('spreadsheets the library refuses fail with a Dutch text', { timeout: 10000 }, async () => {
  const cases = [
    ['pass_protected.xlsx', readFileSync(new URL('pass_protected.xlsx', SHEETS)), /^Deze werkmap is beveiligd met een wachtwoord\./],
    ['afgebroken.xlsx', xlsxBytes([['a']]).slice(0, 600), /^Deze spreadsheet kon niet gelezen worden\./],
  ];
  for (const [name, bytes, message] of cases) await assert.rejects(leesBestand(file(name, bytes)), { message }, name);
});
