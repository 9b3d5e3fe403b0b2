// Where a value may stand in text, for detection and replacement alike, so
// that whatever detection finds the matcher replaces at the same place.
//
// A value is never part of a longer word or number: no letter after a
// letter, no digit after a digit, nothing glued to a sign it ends or starts
// with. Readers glue text ("BSN: 123456782IBAN: …"), so a number may touch a
// word and a word a number, but only when that neighbour ends there: digits
// inside a longer run of letters and digits ("NL123456782B01",
// "123456782L01") belong to that longer identifier.
const L = String.raw`\p{L}`;
const N = String.raw`\p{N}`;
const LN = String.raw`[\p{L}\p{N}]`;

// The look-ahead first: a look-behind over a run is tried only where the
// kinds change.
export const BEFORE = String.raw`(?:(?<!${LN})|(?=${N})(?<=(?<!${LN})${L}+)|(?=${L})(?<=(?<!${LN})${N}+))`;
export const AFTER = String.raw`(?:(?!${LN})|(?<=${N})(?=${L}+(?!${LN}))|(?<=${L})(?=${N}+(?!${LN})))`;

const LETTER = /\p{L}/u;
const DIGIT = /\p{N}/u;

// 'L' for a letter, 'N' for a digit, '' for anything else or nothing.
function kind(c) {
  if (c === undefined || c === '') return '';
  const code = c.charCodeAt(0);
  if (code < 128) {
    if (code >= 48 && code <= 57) return 'N';
    return (code | 32) >= 97 && (code | 32) <= 122 ? 'L' : '';
  }
  return LETTER.test(c) ? 'L' : DIGIT.test(c) ? 'N' : '';
}

function charBefore(text, p) {
  if (p <= 0) return '';
  const low = text.charCodeAt(p - 1);
  const pair = p > 1 && low >= 0xdc00 && low <= 0xdfff && text.charCodeAt(p - 2) >= 0xd800 && text.charCodeAt(p - 2) <= 0xdbff;
  return pair ? text.slice(p - 2, p) : text[p - 1];
}

function charAt(text, p) {
  return p < text.length ? String.fromCodePoint(text.codePointAt(p)) : '';
}

// Whether a value may start at p.
function boundaryBefore(text, p) {
  const y = charBefore(text, p);
  const ky = kind(y);
  if (!ky) return true;
  const kx = kind(charAt(text, p));
  if (!kx || kx === ky) return false;
  let i = p - y.length;
  for (let c; (c = charBefore(text, i)) && kind(c) === ky;) i -= c.length;
  return !kind(charBefore(text, i));
}

// Whether a value may end at e (exclusive).
export function boundaryAfter(text, e) {
  const y = charAt(text, e);
  const ky = kind(y);
  if (!ky) return true;
  const kx = kind(charBefore(text, e));
  if (!kx || kx === ky) return false;
  let i = e + y.length;
  for (let c; (c = charAt(text, i)) && kind(c) === ky;) i += c.length;
  return !kind(charAt(text, i));
}

export function standsFree(text, start, end) {
  return boundaryBefore(text, start) && boundaryAfter(text, end);
}
