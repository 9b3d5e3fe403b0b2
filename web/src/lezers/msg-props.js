// The property streams of an Outlook message: variable-length properties as
// streams named by id and type, fixed-length ones as 16-byte records.
import { decodeer } from './charset.js';
import { BESCHADIGD } from './cfb.js';

const PROPERTY_STREAM = /^__substg1\.0_([0-9a-f]{8})$/i;
const RECORD = 16;
const FILETIME_1970 = 11644473600000;
const UTF16 = new TextDecoder('utf-16le');

// The 8-hex-digit key of a property stream's name, or null.
export function propSleutel(naam) {
  const m = PROPERTY_STREAM.exec(naam);
  return m ? m[1].toUpperCase() : null;
}

const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;
const hex4 = (n) => n.toString(16).toUpperCase().padStart(4, '0');

// Fixed properties by 4-digit id: { type, laag, hoog }; a later record wins.
export function vasteProps(bytes, kop) {
  const props = Object.create(null);
  if (!bytes) return props;
  for (let o = kop; o + RECORD <= bytes.length; o += RECORD) {
    const tag = u32(bytes, o);
    props[hex4(tag >>> 16)] = { type: tag & 0xffff, laag: u32(bytes, o + 8), hoog: u32(bytes, o + 12) };
  }
  return props;
}

export const laagWoord = (prop) => (prop ? prop.laag & 0xffff : 0);

function withoutNulls(s) {
  let end = s.length;
  while (end > 0 && s.charCodeAt(end - 1) === 0) end--;
  return s.slice(0, end);
}

function streamBytes(value) {
  if (!(value instanceof Uint8Array)) throw new Error(BESCHADIGD);
  return value;
}

export function str(p, id, cp) {
  if (p[`${id}001F`]) return withoutNulls(UTF16.decode(streamBytes(p[`${id}001F`])));
  if (p[`${id}001E`]) return withoutNulls(decodeer(streamBytes(p[`${id}001E`]), cp));
  return '';
}

export function binair(p, id) {
  return p[`${id}0102`] ? streamBytes(p[`${id}0102`]) : null;
}

const two = (n) => String(n).padStart(2, '0');

export function datumVan(vast, id) {
  const prop = vast[id];
  if (!prop || prop.type !== 0x0040) return '';
  const d = new Date((prop.hoog * 2 ** 32 + prop.laag) / 10000 - FILETIME_1970);
  if (Number.isNaN(d.getTime())) return '';
  const year = String(d.getUTCFullYear()).padStart(4, '0');
  return `${year}-${two(d.getUTCMonth() + 1)}-${two(d.getUTCDate())} ${two(d.getUTCHours())}:${two(d.getUTCMinutes())} UTC`;
}
