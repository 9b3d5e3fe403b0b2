// Normal forms of values: number categories compare on letters and digits,
// text categories on their text with white space collapsed.

// Any value as text; null and undefined as ''.
export function textOf(value) {
  return value == null ? '' : String(value);
}

export function normNum(s) {
  return String(s ?? '').replace(/[^A-Za-z0-9]+/g, '').toUpperCase();
}

// The soft hyphen and the zero-width characters (U+200B to U+200D, the word
// joiner, U+FEFF): invisible, they never break a word. As pattern source for
// a bracket class.
export const ONZICHTBAAR = String.raw`\u00AD\u200B-\u200D\u2060\uFEFF`;
const RE_ONZICHTBAAR = new RegExp('[' + ONZICHTBAAR + ']');
const RE_ONZICHTBAAR_ALLE = new RegExp(RE_ONZICHTBAAR.source, 'g');
const isOnzichtbaar = (c) => c === 0xad || (c >= 0x200b && c <= 0x200d) || c === 0x2060 || c === 0xfeff;

// White space as Unicode has it: \s also takes U+FEFF, which joins.
const RE_WIT = /[^\S\uFEFF]+/g;

export function normText(s) {
  return String(s ?? '').replace(RE_WIT, ' ').trim();
}

export function zichtbaar(s) {
  return RE_ONZICHTBAAR.test(s) ? s.replace(RE_ONZICHTBAAR_ALLE, '') : s;
}

// A text value as the matcher reads it: without its invisible characters,
// its blank runs as one blank.
export const alsGelezen = (s) => normText(zichtbaar(s));

// The text without its invisible characters, with for every offset in it
// (its end included) the offset in `text`; null when there are none.
export function zichtbareTekst(text) {
  const tekst = zichtbaar(text);
  if (tekst.length === text.length) return null;
  const pos = new Int32Array(text.length + 1);
  let n = 0;
  for (let i = 0; i < text.length; i++) {
    if (!isOnzichtbaar(text.charCodeAt(i))) pos[n++] = i;
  }
  pos[n] = text.length;
  return { tekst, pos: pos.subarray(0, n + 1) };
}

// The text without the invisible characters that stand beside a blank or a
// sign rather than inside a word ("Jan&#8203; Jansen"), with the offsets in
// `text` as zichtbareTekst gives them; null when there are none.
const RE_ONZICHTBARE_REEKS = new RegExp(RE_ONZICHTBAAR.source + '+', 'g');
const RE_WOORDTEKEN = /[\p{L}\p{N}]/u;

export function losOnzichtbaarWeg(text) {
  const woord = (i) => i >= 0 && i < text.length && RE_WOORDTEKEN.test(text[i]);
  const los = [...text.matchAll(RE_ONZICHTBARE_REEKS)].filter((m) => !(woord(m.index - 1) && woord(m.index + m[0].length)));
  if (los.length === 0) return null;
  const delen = [];
  const pos = [];
  let van = 0;
  for (const m of [...los, { index: text.length, 0: '' }]) {
    delen.push(text.slice(van, m.index));
    for (let i = van; i < m.index; i++) pos.push(i);
    van = m.index + m[0].length;
  }
  pos.push(text.length);
  return { tekst: delen.join(''), pos };
}

export function capFirst(s) {
  return s.charAt(0).toUpperCase() + s.slice(1);
}

export function escRe(s) {
  return s.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}
