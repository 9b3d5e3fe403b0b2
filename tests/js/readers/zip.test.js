import { test } from 'node:test';
import assert from 'node:assert/strict';
import { deflateRawSync } from 'node:zlib';
import { zipBestanden, zipControle } from '../../../web/src/lezers/zip.js';
import { zip } from '../../fixtures/readers/make-docx.js';

const text = (bytes) => new TextDecoder().decode(bytes);
const all = () => true;

async function texts(bytes, kies = all) {
  const entries = await zipBestanden(bytes, kies);
  return Object.fromEntries(Object.entries(entries).map(([name, data]) => [name, text(data)]));
}

// Offset of the single central header and local header of a one-entry archive.
function offsets(bytes) {
  const view = new DataView(bytes.buffer);
  const end = bytes.length - 22;
  return { view, end, central: view.getUint32(end + 16, true), local: 0 };
}

test('stored and deflated entries, only those the test picks, the later of one name winning', async () => {
  const bytes = zip([
    { name: 'a.xml', data: 'stored', stored: true },
    { name: 'map/é.xml', data: 'deflated '.repeat(100) },
    { name: 'skip.bin', data: 'not asked for' },
    { name: 'a.xml', data: 'second' },
  ]);
  assert.deepEqual(await texts(bytes, (name) => name.endsWith('.xml')), {
    'a.xml': 'second',
    'map/é.xml': 'deflated '.repeat(100),
  });
});

test('sizes come from the central directory, as with a data descriptor', async () => {
  const bytes = zip([{ name: 'a.txt', data: 'inhoud' }]);
  const { view } = offsets(bytes);
  for (const field of [14, 18, 22]) view.setUint32(field, 0, true);
  assert.deepEqual(await texts(bytes), { 'a.txt': 'inhoud' });
});

test('the end record is searched for behind a comment of at most 65535 bytes', async () => {
  assert.deepEqual(await texts(zip([{ name: 'a', data: 'x' }], { comment: 65535 })), { a: 'x' });
  await assert.rejects(zipBestanden(zip([{ name: 'a', data: 'x' }], { comment: 65536 }), all), /^Error: geen geldig zip-bestand$/);
});

test('entries that cannot be taken are skipped', async () => {
  const cases = [
    ['unknown method', ({ view, central }) => view.setUint16(central + 10, 12, true)],
    ['no local header signature', ({ view }) => view.setUint32(0, 0, true)],
    ['central directory outside the file', ({ view, end }) => view.setUint32(end + 16, 1e6, true)],
    ['no central header signature', ({ view, central }) => view.setUint32(central, 0, true)],
  ];
  for (const [label, damage] of cases) {
    const bytes = zip([{ name: 'a.txt', data: 'inhoud' }]);
    damage(offsets(bytes));
    assert.deepEqual(await texts(bytes), {}, label);
  }
});

test('damaged archives fail with a Dutch text, without hanging', { timeout: 10000 }, async () => {
  const good = zip([{ name: 'a.txt', data: 'inhoud '.repeat(50) }]);
  const patched = (patch) => () => {
    const bytes = good.slice();
    patch(offsets(bytes));
    return bytes;
  };
  const cases = [
    ['empty file', () => new Uint8Array(0), /^Error: geen geldig zip-bestand$/],
    ['truncated file', () => good.slice(0, good.length - 30), /^Error: geen geldig zip-bestand$/],
    ['local header beyond the data', patched(({ view, central }) => view.setUint32(central + 42, 1e6, true)),
      /a\.txt valt buiten het bestand/],
    ['data that is no deflate', patched(({ view }) => view.setUint32(35, 0xffffffff)), /a\.txt kon niet uitgepakt worden/],
    ['deflate stream cut short', patched(({ view, central }) => view.setUint32(central + 20, 3, true)),
      /a\.txt kon niet uitgepakt worden/],
  ];
  for (const [label, bytes, message] of cases) await assert.rejects(zipBestanden(bytes(), all), message, label);
});

test('ZIP64: sizes and offsets come from the extra field, for whichever fields hold the marker', async () => {
  const fieldSets = [['unpacked'], ['packed'], ['offset'], ['unpacked', 'packed'], ['packed', 'offset'], ['unpacked', 'packed', 'offset']];
  for (const zip64 of fieldSets) {
    const bytes = zip([{ name: 'a.xml', data: 'eerste' }, { name: 'b.xml', data: 'tweede '.repeat(40), zip64 }, { name: 'c.xml', data: 'derde', stored: true, zip64 }]);
    assert.deepEqual(await texts(bytes), { 'a.xml': 'eerste', 'b.xml': 'tweede '.repeat(40), 'c.xml': 'derde' }, zip64.join());
    await zipControle(bytes);
  }
});

test('ZIP64: an end record of markers leads to the ZIP64 end record before it', async () => {
  for (const zip64 of [[], ['unpacked', 'packed', 'offset']]) {
    const bytes = zip([{ name: 'a.xml', data: 'eerste', zip64 }, { name: 'b.xml', data: 'tweede', zip64 }], { zip64End: true });
    assert.deepEqual(await texts(bytes), { 'a.xml': 'eerste', 'b.xml': 'tweede' }, zip64.join());
  }
});

// Bytes before the archive move every offset in it; the Word conversion
// reads the parts where they stand, so they are read and capped there.
test('behind a prefix the parts are read where they stand, caps included', async () => {
  const behind = (bytes) => new Uint8Array(Buffer.concat([Buffer.from('X'.repeat(100)), bytes]));
  for (const zip64End of [false, true]) {
    const bytes = behind(zip([{ name: 'a.xml', data: 'eerste' }, { name: 'b.xml', data: 'tweede '.repeat(40) }], { zip64End }));
    assert.deepEqual(await texts(bytes), { 'a.xml': 'eerste', 'b.xml': 'tweede '.repeat(40) }, `ZIP64 end record: ${zip64End}`);
  }
  const groot = zip([{ name: 'a.xml', data: 'x', zip64: ['unpacked'] }]);
  const { view, central } = offsets(groot);
  view.setBigUint64(central + 46 + 5 + 4, BigInt(65 * 1024 * 1024), true);
  await assert.rejects(zipBestanden(behind(groot), all), (err) => err.code === 'ZIP_TE_GROOT' && /a\.xml/.test(err.message));
});

test('sizes beyond the caps are too large; sizes the data belies make the file damaged', async () => {
  const longer = deflateRawSync('langer dan het bestand opgeeft');
  // The 64-bit value of the first ZIP64 field of the single entry.
  const zip64Value = (value) => ({ view, central }) => view.setBigUint64(central + 46 + 5 + 4, BigInt(value), true);
  const cases = [
    ['a real size over 64 MB', [{ name: 'a.xml', data: 'x', zip64: ['unpacked'] }], zip64Value(65 * 1024 * 1024), 'ZIP_TE_GROOT'],
    ['deflated data beyond its size', [{ name: 'a.xml', data: 'kort', packed: longer }], null, 'ZIP_BESCHADIGD'],
    ['the same with the size in ZIP64', [{ name: 'a.xml', data: 'kort', packed: longer, zip64: ['unpacked', 'packed'] }], null, 'ZIP_BESCHADIGD'],
    ['stored data beyond its size', [{ name: 'a.xml', data: 'kort', stored: true, packed: Buffer.from('veel langer') }], null, 'ZIP_BESCHADIGD'],
    ['a marker without a ZIP64 value', [{ name: 'a.xml', data: 'x' }], ({ view, central }) => view.setUint32(central + 24, 0xffffffff, true), 'ZIP_BESCHADIGD'],
  ];
  for (const [label, entries, patch, code] of cases) {
    const bytes = zip(entries);
    patch?.(offsets(bytes));
    for (const read of [() => zipBestanden(bytes, all), () => zipControle(bytes)]) {
      await assert.rejects(read(), (err) => err.code === code && /a\.xml/.test(err.message), label);
    }
  }
});

test('a part not asked for is passed over, whatever its ZIP64 data; read whole, the archive is damaged', async () => {
  for (const field of [20, 24, 42]) {
    const bytes = zip([{ name: 'a.xml', data: 'eerste' }, { name: 'media/b.png', data: 'beeld' }]);
    const { view, central } = offsets(bytes);
    // The second central header follows the first one's 46 bytes and its name "a.xml".
    view.setUint32(central + 46 + 5 + field, 0xffffffff, true);
    assert.deepEqual(await texts(bytes, (name) => name.endsWith('.xml')), { 'a.xml': 'eerste' }, `field ${field}`);
    await assert.rejects(zipControle(bytes), (err) => err.code === 'ZIP_BESCHADIGD' && /media\/b\.png/.test(err.message), `field ${field}`);
  }
});
