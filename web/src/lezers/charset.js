// Charsets and byte strings. A byte string holds one code unit (0-255) per byte,
// so that headers, boundaries and bodies of a mail can be cut as bytes.
const SLICE = 8192;
// Windows-1252 differs from Latin-1 in 0x80-0x9F; spelled out because Node's
// decoder maps the label to plain Latin-1.
const CP1252_80_9F = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f'
  + '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';
const CP1252_ALIASES = new Set(['us-ascii', 'ascii']);

export function latin1(bytes) {
  let s = '';
  for (let i = 0; i < bytes.length; i += SLICE) s += String.fromCharCode.apply(null, bytes.subarray(i, i + SLICE));
  return s;
}

export function uitLatin1(s) {
  const bytes = new Uint8Array(s.length);
  for (let i = 0; i < s.length; i++) bytes[i] = s.charCodeAt(i);
  return bytes;
}

export function windows1252(bytes) {
  return latin1(bytes).replace(/[\x80-\x9f]/g, (c) => CP1252_80_9F[c.charCodeAt(0) - 0x80]);
}

function label(charset) {
  const l = (charset || 'utf-8').trim().replace(/^["']/, '').replace(/["']$/, '').toLowerCase();
  return l || 'utf-8';
}

function platformDecoder(l) {
  try {
    return new TextDecoder(l);
  } catch {
    return null;
  }
}

export function decodeer(bytes, charset) {
  const l = label(charset);
  const decoder = CP1252_ALIASES.has(l) ? null : platformDecoder(l);
  if (!decoder || decoder.encoding === 'windows-1252') return windows1252(bytes);
  try {
    return decoder.decode(bytes);
  } catch {
    return windows1252(bytes);
  }
}

// Decoder label for a Windows code page number.
export function codepage(cp) {
  if (cp === 65001) return 'utf-8';
  if (cp === 28591) return 'iso-8859-1';
  if (cp === 28605) return 'iso-8859-15';
  if (cp >= 1250 && cp <= 1258) return `windows-${cp}`;
  return 'windows-1252';
}
