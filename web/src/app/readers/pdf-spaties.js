// Letter-spaced text (character spacing in letterheads and forms): the library
// puts a space between every two letters of a text item, and its real spaces
// become the same single space ("P i e t e r v a n D i j k"). The glyphs that
// the page shows still tell the real spaces apart; those are put back here.
export const GESPATIEERD = /^\S(?: \S)+$/;

// The shown text's letters, and for each whether a real space stood before it.
function shownLetters({ fnArray, argsArray }, OPS) {
  let letters = '';
  const spaceBefore = [];
  let space = false;
  fnArray.forEach((fn, i) => {
    if (fn !== OPS.showText) return;
    for (const glyph of argsArray[i]?.[0] ?? []) {
      if (typeof glyph !== 'object' || !glyph) continue;
      const text = glyph.unicode ?? '';
      if (glyph.isSpace || !text.trim()) {
        space = true;
        continue;
      }
      for (let k = 0; k < text.length; k++) spaceBefore.push(k === 0 && space);
      letters += text;
      space = false;
    }
  });
  return { letters, spaceBefore };
}

// The items with each letter-spaced one's text as shown, with its real spaces
// only; an item not found among the shown glyphs stays as it is.
export function echteSpaties(items, ops, OPS) {
  const { letters, spaceBefore } = shownLetters(ops, OPS);
  let from = 0;
  return items.map((item) => {
    if (!GESPATIEERD.test(item.str)) return item;
    const want = item.str.replace(/ /g, '');
    let at = letters.indexOf(want, from);
    if (at < 0) at = letters.indexOf(want);
    if (at < 0) return item;
    from = at + want.length;
    let str = '';
    for (let k = 0; k < want.length; k++) str += (k > 0 && spaceBefore[at + k] ? ' ' : '') + want[k];
    return { ...item, str };
  });
}
