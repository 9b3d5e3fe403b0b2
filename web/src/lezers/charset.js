// Charsets and byte strings. A byte string holds one code unit (0-255) per byte,
// so that headers, boundaries and bodies of a mail can be cut as bytes.
const SLICE = 8192;
// Windows-1252 differs from Latin-1 in 0x80-0x9F; spelled out because Node's
// decoder maps the label to plain Latin-1.
const CP1252_80_9F = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f'
  + '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';
const CP1252_ALIASES = new Set(['us-ascii', 'ascii']);
const STRICT_UTF8 = new TextDecoder('utf-8', { fatal: true });
// Windows code pages that the Encoding Standard decodes, by the label it knows them by.
const CODE_PAGES = {
  866: 'ibm866', 874: 'windows-874', 932: 'shift_jis', 936: 'gbk', 949: 'euc-kr', 950: 'big5',
  1250: 'windows-1250', 1251: 'windows-1251', 1252: 'windows-1252', 1253: 'windows-1253', 1254: 'windows-1254',
  1255: 'windows-1255', 1256: 'windows-1256', 1257: 'windows-1257', 1258: 'windows-1258',
  10000: 'macintosh', 10007: 'x-mac-cyrillic', 20127: 'windows-1252', 20866: 'koi8-r', 20932: 'euc-jp',
  20936: 'gbk', 21866: 'koi8-u', 28591: 'iso-8859-1', 28592: 'iso-8859-2', 28593: 'iso-8859-3',
  28594: 'iso-8859-4', 28595: 'iso-8859-5', 28596: 'iso-8859-6', 28597: 'iso-8859-7', 28598: 'iso-8859-8',
  28599: 'iso-8859-9', 28603: 'iso-8859-13', 28605: 'iso-8859-15', 38598: 'iso-8859-8-i',
  50220: 'iso-2022-jp', 50221: 'iso-2022-jp', 50222: 'iso-2022-jp', 51932: 'euc-jp', 51936: 'gbk',
  51949: 'euc-kr', 54936: 'gb18030', 65001: 'utf-8',
};

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

// 8-bit text that names no charset: UTF-8 when the bytes are valid UTF-8, else
// Windows-1252, the code page of the mail programs that write such text.
export function utf8OrWindows1252(bytes) {
  try {
    return STRICT_UTF8.decode(bytes);
  } catch {
    return windows1252(bytes);
  }
}

function label(charset) {
  return (charset || '').trim().replace(/^["']/, '').replace(/["']$/, '').toLowerCase();
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
  if (!l) return utf8OrWindows1252(bytes);
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
  return Object.hasOwn(CODE_PAGES, cp) ? CODE_PAGES[cp] : 'windows-1252';
}
