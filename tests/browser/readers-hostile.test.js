// Files from the wild that used to hang the page, garble its text or get the
// wrong message: sparse and lying spreadsheets, ZIP bombs, odd encodings and
// Word details. Each file is made here, small, and must be read fast.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { deflateRawSync } from 'node:zlib';
import { openReadersPage } from './support/readers-page.js';
import { docx, paragraph, zip } from '../fixtures/readers/make-docx.js';

let readers;
before(async () => { readers = await openReadersPage(); });
after(() => readers.close());

const MB = 1024 * 1024;
const SHEETS = new URL('../../../shared/fixtures/sheets/', import.meta.url);
const DAMAGED = 'Deze spreadsheet kon niet gelezen worden. Het bestand is beschadigd of heeft een onbekende indeling.';
const DAMAGED_WORD = 'Dit Word-document kon niet gelezen worden. Het bestand is beschadigd of geen geldig .docx-bestand.';
const W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"';

// A workbook of one sheet: its dimension as written, and cells as [address, text];
// zip64: the fields of every entry that hold the ZIP64 marker, as zip() takes them.
function xlsx(dimension, cells, zip64) {
  const rels = (...r) => `<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">${r.join('')}</Relationships>`;
  const byRow = new Map();
  for (const [ref, text] of cells) {
    const row = ref.replace(/^[A-Z]+/, '');
    byRow.set(row, `${byRow.get(row) || ''}<c r="${ref}" t="inlineStr"><is><t>${text}</t></is></c>`);
  }
  const rows = [...byRow].map(([r, cs]) => `<row r="${r}">${cs}</row>`).join('');
  return zip([
    { name: '[Content_Types].xml', data: '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>' },
    { name: '_rels/.rels', data: rels('<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>') },
    { name: 'xl/workbook.xml', data: '<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Klanten" sheetId="1" r:id="rId1"/></sheets></workbook>' },
    { name: 'xl/_rels/workbook.xml.rels', data: rels('<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>') },
    { name: 'xl/worksheets/sheet1.xml', data: `<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="${dimension}"/><sheetData>${rows}</sheetData></worksheet>` },
  ].map((entry) => ({ ...entry, zip64 })));
}

async function timedRead(name, bytes) {
  const start = Date.now();
  const result = await readers.read(name, bytes);
  return { result, ms: Date.now() - start };
}

test('sparse and lying spreadsheets are read by the cells they hold, within the row cap', async () => {
  const rows = (result) => result.blocks.find((b) => b.t === 'table')?.rows;
  const cases = [
    // Only the two corners of the grid: the far one lies beyond the cap.
    ['hoeken.xlsx', 'A1:XFD1048576', [['A1', 'Jan'], ['XFD1048576', 'z']], [['Jan']], 1],
    // Two cells under a dimension that claims the whole grid.
    ['dimensie.xlsx', 'A1:XFD1048576', [['A1', 'Jan'], ['B1', 'Bakker']], [['Jan', 'Bakker']], 1],
    ['kolommen.xlsx', 'A1:Z1048576', [['A1', 'Jan'], ['C2', 'Els']], [['Jan', '', ''], ['', '', 'Els']], 1],
    // A true range: no warning, and the rows and columns as the sheet has them.
    ['echt.xlsx', 'B2:C3', [['B2', 'naam'], ['C3', 'Utrecht']], [['naam', ''], ['', 'Utrecht']], 0],
  ];
  for (const [name, dimension, cells, expected, warnings] of cases) {
    const { result, ms } = await timedRead(name, xlsx(dimension, cells));
    assert.ok(!result.fout, `${name}: ${result.fout}`);
    assert.deepEqual(rows(result), expected, name);
    assert.equal(result.warn.length, warnings, `${name}: ${result.warn}`);
    if (warnings) assert.match(result.warn[0], /^Blad "Klanten": alleen de eerste 3000 van \d+ rijen meegenomen\.$/);
    assert.ok(ms < 5000, `${name} took ${ms} ms`);
  }
});

test('a Word document that inflates past the cap is refused quickly with a clear message', async () => {
  const bom = deflateRawSync(Buffer.alloc(100 * MB, 0x20));
  const header = (text) => `<?xml version="1.0"?><w:hdr ${W}>${paragraph(text)}</w:hdr>`;
  const tooLarge = 'Dit Word-document pakt uit tot meer dan 64 MB per onderdeel of 128 MB in totaal en wordt daarom niet gelezen.';
  const cases = [
    // The directory tells the size: refused before inflating.
    ['opgegeven.docx', { 'word/header1.xml': { data: header('x') + ' '.repeat(100 * MB), packed: bom } }, tooLarge],
    ['opgegeven-zip64.docx', { 'word/header1.xml': { data: header('x') + ' '.repeat(100 * MB), packed: bom, zip64: ['unpacked', 'packed'] } }, tooLarge],
    // The directory says nothing is in it: the data belies it, so the file is damaged.
    ['gelogen.docx', { 'word/header1.xml': { data: '', packed: bom } }, DAMAGED_WORD],
  ];
  for (const [name, parts, message] of cases) {
    const { result, ms } = await timedRead(name, docx(paragraph('Brief aan Jan de Vries'), parts));
    assert.equal(result.fout, message, name);
    assert.ok(ms < 5000, `${name} took ${ms} ms`);
  }
  const gewoon = await readers.read('gewoon.docx', docx(paragraph('Brief'), { 'word/header1.xml': header('Kantoor Dekker') }));
  assert.deepEqual(gewoon.blocks.map((b) => b.text), ['Koptekst', 'Kantoor Dekker', 'Document', 'Brief']);
});

test('Word documents and workbooks with ZIP64 sizes, as streaming writers make them, are read', async () => {
  const kop = `<?xml version="1.0"?><w:hdr ${W}>${paragraph('Kantoor Dekker')}</w:hdr>`;
  const documents = [
    ['kop.docx', { 'word/header1.xml': { data: kop, zip64: ['unpacked'] } }, {}],
    ['alles.docx', { 'word/header1.xml': kop }, { zip64: ['unpacked', 'packed'] }],
    ['eind.docx', { 'word/header1.xml': kop }, { zip64: ['unpacked', 'packed', 'offset'], zip64End: true }],
  ];
  for (const [name, parts, options] of documents) {
    const result = await readers.read(name, docx(paragraph('Brief aan Jan de Vries'), parts, options));
    assert.deepEqual(result.blocks?.map((b) => b.text), ['Koptekst', 'Kantoor Dekker', 'Document', 'Brief aan Jan de Vries'], `${name}: ${result.fout}`);
    assert.deepEqual(result.warn, ['Tekstvakken en afbeeldingen uit Word worden niet meegenomen.'], name);
  }
  for (const zip64 of [['unpacked'], ['unpacked', 'packed']]) {
    const result = await readers.read('klanten.xlsx', xlsx('A1:B1', [['A1', 'Jan'], ['B1', 'Bakker']], zip64));
    assert.deepEqual(result.blocks?.[0].rows, [['Jan', 'Bakker']], `${zip64}: ${result.fout}`);
  }
});

test('text files: one bad byte stays one replacement character; byte-order marks name the encoding', async () => {
  const utf16 = (text, le) => {
    const b = Buffer.from(text, 'utf16le');
    if (!le) b.swap16();
    return new Uint8Array(Buffer.concat([Buffer.from(le ? [0xff, 0xfe] : [0xfe, 0xff]), b]));
  };
  const tekst = 'José van Dijk, BSN 111222333';
  const cases = [
    ['een-fout.txt', Buffer.concat([Buffer.from('José van Dijk '), Buffer.from([0xff]), Buffer.from(' Zaandam')]), 'José van Dijk \ufffd Zaandam'],
    ['ansi.txt', Buffer.from([0x4a, 0x6f, 0x73, 0xe9, 0x20, 0x80]), 'José €'],
    ['bom8.txt', Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), Buffer.from(tekst)]), tekst],
    ['kladblok.txt', utf16(tekst, true), tekst],
    ['excel-unicode.txt', utf16(tekst, false), tekst],
  ];
  for (const [name, bytes, expected] of cases) {
    const result = await readers.read(name, new Uint8Array(bytes));
    assert.deepEqual(result.blocks, [{ t: 'p', text: expected }], name);
  }
  const csv = await readers.read('klanten.csv', utf16('naam;bsn\r\nJosé;111222333\r\n', true));
  assert.deepEqual(csv.blocks[0].rows, [['naam', 'bsn'], ['José', '111222333']]);
});

test('Word details: positional tabs, footnote back-links, and protected files named as such', async () => {
  const footer = `<?xml version="1.0"?><w:ftr ${W}><w:p><w:r><w:t>Footer Left</w:t></w:r><w:r><w:ptab w:relativeTo="margin" w:alignment="center" w:leader="none"/><w:t>Footer Middle</w:t></w:r></w:p></w:ftr>`;
  const notes = `<?xml version="1.0"?><w:footnotes ${W}><w:footnote w:id="1"><w:p><w:r><w:t>Zie de akte.</w:t></w:r></w:p></w:footnote></w:footnotes>`;
  const body = '<w:p><w:r><w:t>Brief</w:t></w:r><w:r><w:footnoteReference w:id="1"/></w:r></w:p>';
  const doc = docx(body, { 'word/footer1.xml': footer, 'word/footnotes.xml': notes });
  const result = await readers.read('details.docx', doc);
  const texts = result.blocks.map((b) => b.text);
  assert.ok(texts.includes('Footer Left\tFooter Middle'), texts.join(' | '));
  assert.ok(texts.every((t) => !t.includes('↑')), texts.join(' | '));

  // An encrypted Office file is a compound file holding an "EncryptedPackage" stream.
  const ole = Buffer.alloc(1024);
  Buffer.from([0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1]).copy(ole);
  Buffer.from('EncryptedPackage', 'utf16le').copy(ole, 600);
  assert.equal((await readers.read('geheim.docx', new Uint8Array(ole))).fout,
    'Dit Word-document is beveiligd met een wachtwoord. Sla het zonder wachtwoord op en probeer het opnieuw.');
  const ods = zip([
    { name: 'mimetype', data: 'application/vnd.oasis.opendocument.spreadsheet', stored: true },
    { name: 'META-INF/manifest.xml', data: '<?xml version="1.0"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"><manifest:encryption-data manifest:checksum-type="SHA1" manifest:checksum="x"><manifest:algorithm manifest:algorithm-name="Blowfish CFB" manifest:initialisation-vector="x"/><manifest:key-derivation manifest:key-derivation-name="PBKDF2" manifest:iteration-count="1024" manifest:salt="x"/></manifest:encryption-data></manifest:file-entry></manifest:manifest>' },
    { name: 'content.xml', data: 'versleuteld' },
  ]);
  assert.match((await readers.read('geheim.ods', ods)).fout, /^Deze werkmap is beveiligd met een wachtwoord\./);
});

test('a long CSV keeps the first 3000 rows and names how many it has', async () => {
  const csv = Array.from({ length: 7000 }, (_, i) => `Klant ${i};${1000 + i}`).join('\r\n');
  const { result, ms } = await timedRead('lang.csv', new TextEncoder().encode(csv));
  assert.equal(result.blocks[0].rows.length, 3000);
  assert.deepEqual(result.warn, ['Blad "Sheet1": alleen de eerste 3000 van 7000 rijen meegenomen.']);
  assert.ok(ms < 5000, `${ms} ms`);
});

test('a workbook that keeps the library busy is given up after 10 seconds; the page stays responsive', { timeout: 120000 }, async () => {
  // One changed byte in a real BIFF8 workbook sends the library into an endless loop.
  const hangs = new Uint8Array(readFileSync(new URL('date.xls', SHEETS)));
  hangs[3545] = 0x21;
  readers.serve('hangt.xls', hangs);
  const { page } = readers;
  const outcome = await page.evaluate(async () => {
    let frames = 0;
    let reading = true;
    const count = () => {
      frames += 1;
      if (reading) requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
    const result = await window.leesTestbestand('hangt.xls');
    reading = false;
    return { result, frames };
  });
  assert.deepEqual(outcome.result, { fout: 'Het lezen van deze spreadsheet duurde langer dan 10 seconden en is afgebroken. Het bestand is waarschijnlijk beschadigd.' });
  // Ten seconds of a free page draw hundreds of frames; a frozen one none.
  assert.ok(outcome.frames > 50, `${outcome.frames} frames drawn while reading`);
  // The ended worker is replaced: the next workbook reads.
  const good = await readers.read('date.xls', new Uint8Array(readFileSync(new URL('date.xls', SHEETS))));
  assert.equal(good.info, '1 blad(en)');
});

test('damaged ZIP workbooks are refused by our own check, and a damaged entry is no password', async () => {
  const good = () => xlsx('A1:A1', [['A1', 'Jan']]);
  const central = (bytes) => new DataView(bytes.buffer).getUint32(bytes.length - 6, true);
  // Each entry: the offset of its local header, from the central directory.
  const entries = (bytes) => {
    const view = new DataView(bytes.buffer);
    const found = [];
    for (let at = central(bytes); view.getUint32(at, true) === 0x02014b50; at += 46 + view.getUint16(at + 28, true)) found.push(at);
    return found;
  };
  const patched = (patch) => {
    const bytes = good();
    patch(new DataView(bytes.buffer), entries(bytes));
    return bytes;
  };
  const cases = [
    // A 3.7 kB file that claims gigabytes of compressed data.
    ['reus.xlsx', patched((view, [first]) => view.setUint32(first + 20, 3e9, true))],
    // The ZIP's own encryption flag on one entry: a flipped bit, not a password.
    ['vlag.xlsx', patched((view, all) => {
      const at = all.at(-1);
      view.setUint16(at + 8, 1, true);
      view.setUint16(view.getUint32(at + 42, true) + 6, 1, true);
    })],
    ['geen-deflate.xlsx', patched((view, [first]) => view.setUint32(view.getUint32(first + 42, true) + 40, 0xffffffff))],
    // A part that unpacks beyond the size the directory gives.
    ['gelogen.xlsx', patched((view, [first]) => view.setUint32(first + 24, 10, true))],
  ];
  for (const [name, bytes] of cases) {
    const { result, ms } = await timedRead(name, bytes);
    assert.deepEqual(result, { fout: DAMAGED }, name);
    assert.ok(ms < 5000, `${name} took ${ms} ms`);
  }
});

test('a Word document with a large photo is read: media are never unpacked', async () => {
  const photo = { data: '', packed: deflateRawSync(Buffer.alloc(70 * MB, 7)) };
  const result = await readers.read('foto.docx', docx(paragraph('Brief aan Jan de Vries'), { 'word/media/image1.bmp': photo }));
  assert.deepEqual(result.blocks, [{ t: 'p', text: 'Brief aan Jan de Vries' }]);
});

test('a Word header and footer of more lines than one call can pass are read whole', async () => {
  const lines = (tag, n) => `<?xml version="1.0"?><w:${tag} ${W}>${Array.from({ length: n }, (_, i) => paragraph(`Regel ${i + 1}`)).join('')}</w:${tag}>`;
  const n = 140000;
  const result = await readers.read('lang.docx', docx(paragraph('Brief'), { 'word/header1.xml': lines('hdr', n), 'word/footer1.xml': lines('ftr', n) }));
  assert.ok(!result.fout, result.fout);
  const texts = result.blocks.map((b) => b.text);
  assert.equal(texts.filter((t) => t === `Regel ${n}`).length, 2);
  assert.ok(texts.includes('Brief'));
});
