// Compressed RTF as Outlook stores it: a 16-byte header, then either the RTF
// itself ("MELA") or LZ77 tokens against a 4096-byte dictionary ("LZFu").
import { latin1 } from './charset.js';

const MELA = 0x414c454d;
const LZFU = 0x75465a4c;
const HEADER = 16;
const DICTIONARY = 4096;
const PRESET = '{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern \\fscript \\fdecor '
  + 'MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx';
// A control byte of 8 references yields at most this much past the raw size.
const OVERRUN = 8 * 17;

const u32 = (b, o) => (b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (b[o + 3] << 24)) >>> 0;

export function rtfUitpakken(data) {
  if (!data || data.length < HEADER) return '';
  const compressed = u32(data, 0);
  const raw = u32(data, 4);
  const type = u32(data, 8);
  if (type === MELA) return latin1(data.subarray(HEADER, HEADER + raw));
  if (type !== LZFU) return '';
  const end = Math.min(data.length, compressed + 4);
  const dict = new Uint8Array(DICTIONARY);
  for (let i = 0; i < PRESET.length; i++) dict[i] = PRESET.charCodeAt(i);
  let write = PRESET.length;
  // Output is bounded by the input (17 bytes per 2-byte reference), not by the
  // size the header claims.
  const out = new Uint8Array(Math.min(raw, Math.max(0, end - HEADER) * 9) + OVERRUN);
  let n = 0;
  let i = HEADER;
  while (i < end && n < raw) {
    const control = data[i++];
    for (let bit = 0; bit < 8 && i < end; bit++) {
      if (!(control & (1 << bit))) {
        out[n++] = dict[write] = data[i++];
        write = (write + 1) % DICTIONARY;
        continue;
      }
      if (i + 2 > end) return latin1(out.subarray(0, n));
      const ref = (data[i] << 8) | data[i + 1];
      i += 2;
      const offset = ref >> 4;
      if (offset === write) return latin1(out.subarray(0, n));
      for (let k = 0; k < (ref & 0xf) + 2; k++) {
        const b = dict[(offset + k) % DICTIONARY];
        out[n++] = dict[write] = b;
        write = (write + 1) % DICTIONARY;
      }
    }
  }
  return latin1(out.subarray(0, n));
}
