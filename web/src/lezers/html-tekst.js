// HTML to plain text without a document parser, keeping lines and table cells
// recognisable. Every step searches forward only, so unclosed tags and comments
// cost linear time.
import { tidyLines } from './blanks.js';
import { entiteiten } from './entiteiten.js';

const DROPPED = ['head', 'style', 'script', 'title', 'xml'];
const BR = /<br\s*\/?\s*>/gi;
const BLOCK_END = /<\/(?:p|div|h[1-6]|li|tr|table|blockquote|pre)\s*>/gi;
const LI = /<li\b[^>]*>/gi;
const CELL_END = /<\/t[dh]\s*>/gi;
const TAG = /<[^>]*>/g;

// Cuts out every span from a match of `open` to the first following match of `close`.
function cutSpans(html, open, close) {
  let out = '';
  let at = 0;
  open.lastIndex = 0;
  for (let m = open.exec(html); m; m = open.exec(html)) {
    close.lastIndex = m.index + m[0].length;
    const end = close.exec(html);
    if (!end) break;
    out += html.slice(at, m.index);
    at = close.lastIndex;
    open.lastIndex = at;
  }
  return out + html.slice(at);
}

function tags(html) {
  let h = cutSpans(html, /<!--/g, /-->/g);
  for (const name of DROPPED) h = cutSpans(h, new RegExp(`<${name}\\b`, 'gi'), new RegExp(`</${name}\\s*>`, 'gi'));
  return h.replace(BR, '\n').replace(BLOCK_END, '\n').replace(LI, '\n• ').replace(CELL_END, '\t').replace(TAG, '');
}

export function htmlNaarTekst(html) {
  const s = String(html).replace(/\r\n?/g, '\n');
  // Past the last ">" no tag can end: the tag steps leave that tail alone.
  const end = s.lastIndexOf('>') + 1;
  const text = entiteiten(tags(s.slice(0, end)) + s.slice(end));
  return tidyLines(text.replace(/[ \u00a0]+/g, ' ').replace(/ ?\t ?/g, '\t'), true);
}
