import { windows1252 } from '../../lezers/charset.js';

// Plain text (text files, pasted text, mail bodies) as paragraphs split at blank lines.
export function tekstBlokken(tekst) {
  return tekst
    .replace(/\r\n?/g, '\n')
    .split(/\n\s*\n/)
    .map((piece) => piece.trimEnd())
    .filter((piece) => piece.trim() !== '')
    .map((text) => ({ t: 'p', text }));
}

const UTF8 = new TextDecoder('utf-8', { fatal: true });
// A byte-order mark names the encoding; the decoder drops the mark itself.
const BOMS = [[[0xef, 0xbb, 0xbf], 'utf-8'], [[0xff, 0xfe], 'utf-16le'], [[0xfe, 0xff], 'utf-16be']];
const vervolg = (b) => b >= 0x80 && b <= 0xbf;

// Whether the bytes hold at least one well-formed multi-byte UTF-8 sequence.
function heeftUtf8Reeks(bytes) {
  for (let i = 0; i < bytes.length; i++) {
    const b = bytes[i];
    if (b < 0xc2 || b > 0xf4) continue;
    const n = b < 0xe0 ? 1 : b < 0xf0 ? 2 : 3;
    const tweede = bytes[i + 1];
    const laag = b === 0xe0 ? 0xa0 : b === 0xf0 ? 0x90 : 0x80;
    const hoog = b === 0xed ? 0x9f : b === 0xf4 ? 0x8f : 0xbf;
    if (!(tweede >= laag && tweede <= hoog)) continue;
    let goed = true;
    for (let k = 2; k <= n; k++) goed &&= vervolg(bytes[i + k]);
    if (goed) return true;
  }
  return false;
}

// Text and CSV files: a byte-order mark decides; otherwise UTF-8. Dutch
// Windows programs (Excel's CSV export, older Notepad) still write
// Windows-1252, so a file with bad UTF-8 and not one good multi-byte sequence
// is read as that code page; one with both is UTF-8 with a replacement
// character for each bad byte, so one stray byte does not garble every é.
export function decodeerTekst(buf) {
  const bytes = buf instanceof Uint8Array ? buf : new Uint8Array(buf);
  for (const [bom, label] of BOMS) {
    if (bom.every((b, i) => bytes[i] === b)) return new TextDecoder(label).decode(bytes);
  }
  try {
    return UTF8.decode(bytes);
  } catch {
    return heeftUtf8Reeks(bytes) ? new TextDecoder('utf-8').decode(bytes) : windows1252(bytes);
  }
}
