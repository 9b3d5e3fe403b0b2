// Reads the entries a caller asks for from a ZIP container. Sizes come from the
// central directory only (so data descriptors are fine); no ZIP64, no encryption,
// no checksum test. What an entry and a whole call may inflate to is capped,
// so that a small file that unpacks to gigabytes is refused, not unpacked.
import { TE_GROOT, inflate, teGroot } from './inflate.js';
import { utf8 } from './utf8.js';

const END_RECORD = 0x06054b50;
const CENTRAL_HEADER = 0x02014b50;
const LOCAL_HEADER = 0x04034b50;
const END_RECORD_SIZE = 22;
const CENTRAL_HEADER_SIZE = 46;
const LOCAL_HEADER_SIZE = 30;
const MAX_COMMENT = 65535;
const STORED = 0;
const DEFLATED = 8;
export const MAX_ENTRY = 64 * 1024 * 1024;
export const MAX_TOTAL = 128 * 1024 * 1024;
const MB = 1024 * 1024;

const u16 = (b, o) => b[o] | (b[o + 1] << 8);
const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;

function findEndRecord(b) {
  const last = Math.max(0, b.length - END_RECORD_SIZE - MAX_COMMENT);
  for (let p = b.length - END_RECORD_SIZE; p >= last; p--) {
    if (u32(b, p) === END_RECORD) return p;
  }
  return -1;
}

// Where an entry's data starts: after its local header, name and extra field.
const dataStart = (b, entry) => entry.local + LOCAL_HEADER_SIZE + u16(b, entry.local + 26) + u16(b, entry.local + 28);

// The sizes the directory gives are checked first; the inflated bytes count too, as those may lie.
async function entryBytes(b, entry, budget) {
  const max = Math.min(MAX_ENTRY, budget);
  const over = () => teGroot(`zip-onderdeel ${entry.name} is uitgepakt groter dan ${Math.floor(max / MB)} MB`);
  if (entry.unpacked > max) throw over();
  const start = dataStart(b, entry);
  const data = b.subarray(start, start + entry.size);
  if (entry.method === STORED) {
    if (data.length > max) throw over();
    return data.slice();
  }
  try {
    return await inflate(data, max);
  } catch (cause) {
    if (cause?.code === TE_GROOT) throw over();
    throw new Error(`zip-onderdeel ${entry.name} kon niet uitgepakt worden`, { cause });
  }
}

// The central directory's entries, as far as whole headers with their signature reach.
function* directory(b) {
  const end = findEndRecord(b);
  if (end < 0) throw new Error('geen geldig zip-bestand');
  const count = u16(b, end + 10);
  let off = u32(b, end + 16);
  for (let i = 0; i < count && off + CENTRAL_HEADER_SIZE <= b.length && u32(b, off) === CENTRAL_HEADER; i++) {
    const nameLength = u16(b, off + 28);
    yield {
      method: u16(b, off + 10),
      size: u32(b, off + 20),
      unpacked: u32(b, off + 24),
      local: u32(b, off + 42),
      name: utf8(b.subarray(off + CENTRAL_HEADER_SIZE, off + CENTRAL_HEADER_SIZE + nameLength)),
    };
    off += CENTRAL_HEADER_SIZE + nameLength + u16(b, off + 30) + u16(b, off + 32);
  }
}

const outside = (entry) => new Error(`zip-onderdeel ${entry.name} valt buiten het bestand`);

export async function zipBestanden(bytes, kies) {
  const b = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  const found = Object.create(null);
  let budget = MAX_TOTAL;
  for (const entry of directory(b)) {
    if (!kies(entry.name)) continue;
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
export async function zipControle(bytes) {
  const b = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  let budget = MAX_TOTAL;
  for (const entry of directory(b)) {
    if (entry.local + LOCAL_HEADER_SIZE > b.length || u32(b, entry.local) !== LOCAL_HEADER) throw outside(entry);
    if (dataStart(b, entry) + entry.size > b.length) throw outside(entry);
    if (entry.method === STORED || entry.method === DEFLATED) budget -= (await entryBytes(b, entry, budget)).length;
  }
}
