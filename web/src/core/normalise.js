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
export const RE_WIT = /[^\S\uFEFF]+/g;

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
export const zichtbareTekst = (text) => zonderOnzichtbaar(text, () => true);

// The same without only the invisible characters that stand beside a blank
// or a sign rather than inside a word ("Jan&#8203; Jansen").
const isWoordteken = (c) => c !== undefined && /[\p{L}\p{N}]/u.test(c);
export const losOnzichtbaarWeg = (text) => zonderOnzichtbaar(text, (van, tot) => !(isWoordteken(text[van - 1]) && isWoordteken(text[tot])));

// `text` without each run of invisible characters from `van` to `tot` for
// which `weg(van, tot)` holds, with the offset map; null when none goes.
function zonderOnzichtbaar(text, weg) {
  if (!RE_ONZICHTBAAR.test(text)) return null;
  const pos = new Int32Array(text.length + 1);
  const delen = [];
  let n = 0;
  let van = 0;
  for (let i = 0; i < text.length;) {
    if (!isOnzichtbaar(text.charCodeAt(i))) {
      pos[n++] = i++;
      continue;
    }
    let tot = i + 1;
    while (tot < text.length && isOnzichtbaar(text.charCodeAt(tot))) tot++;
    if (weg(i, tot)) {
      delen.push(text.slice(van, i));
      van = tot;
      i = tot;
    } else {
      while (i < tot) pos[n++] = i++;
    }
  }
  if (n === text.length) return null;
  delen.push(text.slice(van));
  pos[n] = text.length;
  return { tekst: delen.join(''), pos: pos.subarray(0, n + 1) };
}

export function capFirst(s) {
  return s.charAt(0).toUpperCase() + s.slice(1);
}

export function escRe(s) {
  return s.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}
