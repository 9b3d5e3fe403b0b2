// Reads the entries a caller asks for from a ZIP container. Sizes come from the
// central directory only (so data descriptors are fine), from its ZIP64 extra
// fields where a writer put them there; no encryption, no checksum test. What
// an entry and a whole call may inflate to is capped, so that a small file that
// unpacks to gigabytes is refused, not unpacked.
import { TE_GROOT, inflate, teGroot } from './inflate.js';
import { utf8 } from './utf8.js';

const END_RECORD = 0x06054b50;
const CENTRAL_HEADER = 0x02014b50;
const LOCAL_HEADER = 0x04034b50;
const ZIP64_END_RECORD = 0x06064b50;
const ZIP64_LOCATOR = 0x07064b50;
const ZIP64_EXTRA = 0x0001;
const ZIP64_LOCATOR_SIZE = 20;
const ZIP64_END_RECORD_SIZE = 56;
const MARKER = 0xffffffff;
const COUNT_MARKER = 0xffff;
const END_RECORD_SIZE = 22;
const CENTRAL_HEADER_SIZE = 46;
const LOCAL_HEADER_SIZE = 30;
const MAX_COMMENT = 65535;
const STORED = 0;
const DEFLATED = 8;
export const MAX_ENTRY = 64 * 1024 * 1024;
export const MAX_TOTAL = 128 * 1024 * 1024;
const MB = 1024 * 1024;
const BESCHADIGD = 'ZIP_BESCHADIGD';

const u16 = (b, o) => b[o] | (b[o + 1] << 8);
const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;
const u64 = (b, o) => u32(b, o) + u32(b, o + 4) * 2 ** 32;

// Sizes that cannot be true: the file is damaged, whatever its parts hold.
const beschadigd = (message) => Object.assign(new Error(message), { code: BESCHADIGD });

function findEndRecord(b) {
  const last = Math.max(0, b.length - END_RECORD_SIZE - MAX_COMMENT);
  for (let p = b.length - END_RECORD_SIZE; p >= last; p--) {
    if (u32(b, p) === END_RECORD) return p;
  }
  return -1;
}

// The entry count, the central directory's offset, and the bytes that stand
// before the archive (a prefix) by which every offset in it is off. A writer
// that made the archive ZIP64 throughout puts markers in the end record, and
// the values in the ZIP64 end record that the locator just before it points
// to; behind a prefix that record stands right before the locator.
function centralDirectory(b, end) {
  let count = u16(b, end + 10);
  let size = u32(b, end + 12);
  let off = u32(b, end + 16);
  let after = end;
  const locator = end - ZIP64_LOCATOR_SIZE;
  if ((count === COUNT_MARKER || size === MARKER || off === MARKER) && locator >= 0 && u32(b, locator) === ZIP64_LOCATOR) {
    const record = [u64(b, locator + 8), locator - ZIP64_END_RECORD_SIZE]
      .find((r) => r >= 0 && r + ZIP64_END_RECORD_SIZE <= b.length && u32(b, r) === ZIP64_END_RECORD);
    if (record !== undefined) {
      if (count === COUNT_MARKER) count = u64(b, record + 32);
      if (size === MARKER) size = u64(b, record + 40);
      if (off === MARKER) off = u64(b, record + 48);
      after = record;
    }
  }
  return { count, off, prefix: Math.max(0, after - off - size) };
}

// The data of the ZIP64 extra field among an entry's extra fields, or none.
function zip64Extra(extra) {
  for (let at = 0; at + 4 <= extra.length; at += 4 + u16(extra, at + 2)) {
    if (u16(extra, at) === ZIP64_EXTRA) return extra.subarray(at + 4, at + 4 + u16(extra, at + 2));
  }
  return extra.subarray(0, 0);
}

// The central header's fields that may hold the ZIP64 marker, in the order
// their 64-bit values follow one another in the ZIP64 extra field: only those
// that hold the marker have one there.
const ZIP64_FIELDS = [['unpacked', 24], ['size', 20], ['local', 42]];

function sizes(b, off, extra, name) {
  const zip64 = zip64Extra(extra);
  const fields = {};
  let at = 0;
  for (const [field, offset] of ZIP64_FIELDS) {
    fields[field] = u32(b, off + offset);
    if (fields[field] !== MARKER) continue;
    if (at + 8 > zip64.length) throw beschadigd(`zip-onderdeel ${name} mist zijn ZIP64-gegevens`);
    fields[field] = u64(zip64, at);
    at += 8;
  }
  return fields;
}

// Where an entry's data starts: after its local header, name and extra field.
const dataStart = (b, entry) => entry.local + LOCAL_HEADER_SIZE + u16(b, entry.local + 26) + u16(b, entry.local + 28);

// The size the directory gives is checked against the caps first. The data
// may lie about it: it is unpacked no further than that size, and bytes beyond
// it mean a damaged file, not a large one.
async function entryBytes(b, entry, budget) {
  const max = Math.min(MAX_ENTRY, budget);
  if (entry.unpacked > max) throw teGroot(`zip-onderdeel ${entry.name} is uitgepakt groter dan ${Math.floor(max / MB)} MB`);
  const lie = () => beschadigd(`zip-onderdeel ${entry.name} pakt uit tot meer dan de opgegeven ${entry.unpacked} bytes`);
  const start = dataStart(b, entry);
  const data = b.subarray(start, start + entry.size);
  if (entry.method === STORED) {
    if (data.length > entry.unpacked) throw lie();
    return data.slice();
  }
  try {
    return await inflate(data, entry.unpacked);
  } catch (cause) {
    if (cause?.code === TE_GROOT) throw lie();
    throw new Error(`zip-onderdeel ${entry.name} kon niet uitgepakt worden`, { cause });
  }
}

// The central directory's entries that `kies` takes, as far as whole headers
// with their signature reach. The sizes of an entry not taken are not read:
// damage there is no reason to refuse the others. Behind a prefix the
// directory and the parts are read where they stand, as the Word conversion
// reads them, so that its parts are capped too; with `naPrefix` false, where
// the end record says.
function* directory(b, kies, naPrefix = true) {
  const end = findEndRecord(b);
  if (end < 0) throw new Error('geen geldig zip-bestand');
  const { count, off: first, prefix: gevonden } = centralDirectory(b, end);
  const prefix = naPrefix ? gevonden : 0;
  for (let i = 0, off = first + prefix; i < count && off + CENTRAL_HEADER_SIZE <= b.length && u32(b, off) === CENTRAL_HEADER; i++) {
    const nameEnd = off + CENTRAL_HEADER_SIZE + u16(b, off + 28);
    const extraEnd = nameEnd + u16(b, off + 30);
    const name = utf8(b.subarray(off + CENTRAL_HEADER_SIZE, nameEnd));
    if (kies(name)) {
      const entry = sizes(b, off, b.subarray(nameEnd, extraEnd), name);
      yield { method: u16(b, off + 10), name, ...entry, local: entry.local + prefix };
    }
    off = extraEnd + u16(b, off + 32);
  }
}

const outside = (entry) => new Error(`zip-onderdeel ${entry.name} valt buiten het bestand`);

export async function zipBestanden(bytes, kies) {
  const b = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  const found = Object.create(null);
  let budget = MAX_TOTAL;
  for (const entry of directory(b, kies)) {
    if (entry.local + 4 <= b.length && u32(b, entry.local) !== LOCAL_HEADER) continue;
    if (entry.local + LOCAL_HEADER_SIZE > b.length) throw outside(entry);
    if (entry.method === STORED || entry.method === DEFLATED) {
      found[entry.name] = await entryBytes(b, entry, budget);
      budget -= found[entry.name].length;
    }
  }
  return found;
}

// For a library that unpacks a whole archive at once and cannot be stopped:
// every entry must lie inside the file, with its local header where the
// directory says, and must unpack within the caps. Fails on the first that does not.
// The workbook library reads the directory where the end record puts it,
// whatever stands before the archive, and so does this check.
export async function zipControle(bytes) {
  const b = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  let budget = MAX_TOTAL;
  for (const entry of directory(b, () => true, false)) {
    if (entry.local + LOCAL_HEADER_SIZE > b.length || u32(b, entry.local) !== LOCAL_HEADER) throw outside(entry);
    if (dataStart(b, entry) + entry.size > b.length) throw outside(entry);
    if (entry.method === STORED || entry.method === DEFLATED) budget -= (await entryBytes(b, entry, budget)).length;
  }
}
