// A minimal compound file reader: sectors, FAT, DIFAT, mini stream, directory.
// Every chain and tree walk remembers where it has been, and no buffer is sized
// by a count from the file, so a damaged or crafted file ends early, never hangs.
export const GEEN_MSG = 'geen geldig Outlook-bestand (.msg).';
export const BESCHADIGD = 'Outlook-bestand is beschadigd.';

const SIGNATURE = [0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1];
const HEADER_SIZE = 512;
const HEADER_DIFAT = 109;
const LAST_SECTOR = 0xfffffffa; // numbers from here up end a chain
const EINDE = 0xfffffffe;
const VRIJ = 0xffffffff;
const ENTRY_SIZE = 128;
// Sector sizes the format allows are 512 and 4096; far outside means no real file.
const SHIFTS = { min: 7, max: 16 };
const STORAGE = 1;
const ROOT = 5;

function u32(b, o) {
  if (o < 0 || o + 4 > b.length) return EINDE;
  return (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;
}
const u16 = (b, o) => (o + 2 <= b.length ? b[o] | (b[o + 1] << 8) : 0);

// Follows a chain through `tabel` until an end mark, a number out of range or a loop.
function keten(start, tabel, limit = tabel.length) {
  const chain = [];
  const seen = new Set();
  for (let n = start; n < LAST_SECTOR && n < limit && !seen.has(n); n = tabel[n]) {
    seen.add(n);
    chain.push(n);
  }
  return chain;
}

function hasSignature(bytes) {
  return bytes.length >= HEADER_SIZE && SIGNATURE.every((b, i) => bytes[i] === b);
}

function entry(dir, i) {
  const o = i * ENTRY_SIZE;
  const length = Math.min(u16(dir, o + 0x40), 64);
  const units = Math.max(0, Math.ceil((length - 2) / 2));
  let name = '';
  for (let k = 0; k < units; k++) name += String.fromCharCode(u16(dir, o + 2 * k));
  return {
    nummer: i,
    naam: name,
    soort: dir[o + 0x42],
    links: u32(dir, o + 0x44),
    rechts: u32(dir, o + 0x48),
    kind: u32(dir, o + 0x4c),
    start: u32(dir, o + 0x74),
    grootte: u32(dir, o + 0x78),
  };
}

export function leesCfb(bytes) {
  if (!hasSignature(bytes)) throw new Error(GEEN_MSG);
  const shift = u16(bytes, 0x1e);
  const miniShift = u16(bytes, 0x20);
  if (shift < SHIFTS.min || shift > SHIFTS.max || miniShift > shift) throw new Error(BESCHADIGD);
  const size = 2 ** shift;
  const miniSize = 2 ** miniShift;
  // Sectors that exist in the file; FAT entries past them point nowhere.
  const sectors = Math.ceil(Math.max(0, bytes.length - size) / size);
  const sectorStart = (n) => (n + 1) * size;

  const fatSectors = [];
  for (let i = 0; i < HEADER_DIFAT; i++) {
    const n = u32(bytes, 0x4c + 4 * i);
    if (n < LAST_SECTOR) fatSectors.push(n);
  }
  const difatSeen = new Set();
  const perDifat = size / 4 - 1;
  for (let n = u32(bytes, 0x44), left = u32(bytes, 0x48); left > 0 && n < LAST_SECTOR && n < sectors && !difatSeen.has(n); left--) {
    difatSeen.add(n);
    for (let i = 0; i < perDifat; i++) {
      const fat = u32(bytes, sectorStart(n) + 4 * i);
      if (fat < LAST_SECTOR) fatSectors.push(fat);
    }
    n = u32(bytes, sectorStart(n) + 4 * perDifat);
  }
  const fat = new Uint32Array(Math.min(fatSectors.length * (size / 4), sectors));
  for (let i = 0; i < fat.length; i++) {
    const sector = fatSectors[Math.floor(i / (size / 4))];
    fat[i] = sector < sectors ? u32(bytes, sectorStart(sector) + 4 * (i % (size / 4))) : EINDE;
  }

  function leesKeten(start, grootte = Infinity) {
    const chain = keten(start, fat);
    const out = new Uint8Array(Math.min(chain.length * size, grootte));
    chain.forEach((n, k) => {
      if (k * size < out.length) out.set(bytes.subarray(sectorStart(n), sectorStart(n) + Math.min(size, out.length - k * size)), k * size);
    });
    return out;
  }

  const dir = leesKeten(u32(bytes, 0x30));
  const entries = [];
  for (let i = 0; (i + 1) * ENTRY_SIZE <= dir.length; i++) entries.push(entry(dir, i));
  const wortel = entries[0];
  if (!wortel || wortel.soort !== ROOT) throw new Error(BESCHADIGD);

  const cutoff = u32(bytes, 0x38);
  const miniStream = leesKeten(wortel.start, wortel.grootte);
  const miniFatBytes = leesKeten(u32(bytes, 0x3c));
  const miniFat = new Uint32Array(miniFatBytes.length / 4);
  for (let i = 0; i < miniFat.length; i++) miniFat[i] = u32(miniFatBytes, 4 * i);
  // Mini sectors beyond the mini stream hold nothing: a chain ends there.
  const miniSectors = Math.ceil(miniStream.length / miniSize);

  function inhoud(item) {
    if (item.soort !== 2) throw new Error(BESCHADIGD);
    if (item.grootte >= cutoff) return leesKeten(item.start, item.grootte);
    const chain = keten(item.start, miniFat, Math.min(miniFat.length, miniSectors));
    const out = new Uint8Array(Math.min(chain.length * miniSize, item.grootte));
    chain.forEach((n, k) => {
      if (k * miniSize < out.length) out.set(miniStream.subarray(n * miniSize, n * miniSize + Math.min(miniSize, out.length - k * miniSize)), k * miniSize);
    });
    return out;
  }

  // Entry, then its right subtree, then its left: the order of recipients and attachments.
  function kinderen(item) {
    if (item.soort !== STORAGE && item.soort !== ROOT) throw new Error(BESCHADIGD);
    const result = [];
    const seen = new Set();
    const stack = [item.kind];
    while (stack.length) {
      const n = stack.pop();
      if (n === VRIJ || n >= entries.length || seen.has(n)) continue;
      seen.add(n);
      result.push(entries[n]);
      stack.push(entries[n].links, entries[n].rechts);
    }
    return result;
  }

  return { wortel, kinderen, inhoud, aantal: entries.length };
}
