// Headers, footers and comments of a Word document, which the body conversion
// leaves out, read straight from its ZIP container.
import { entiteiten } from './entiteiten.js';
import { utf8 } from './utf8.js';
import { zipBestanden } from './zip.js';

const EXTRA_PART = /^word\/(?:header|footer)\d*\.xml$/;
const COMMENTS_PART = 'word/comments.xml';
const PARAGRAPH = /<w:p[ >][\s\S]*?<\/w:p>/g;
// A text element (not a self-closed one), an empty tab or a positional tab
// (headers and footers align with those), a break or carriage return.
const RUN_PIECE = /<w:t(?:\s[^>]*)?(?<!\/)>([\s\S]*?)<\/w:t>|(<w:tab\/>|<w:ptab(?:\s[^>]*)?\/>)|<w:(?:br|cr)(?:\s[^>]*)?\/>/g;
const COMMENT = /<w:comment\s[^>]*>[\s\S]*?<\/w:comment>/g;
const AUTHOR = /w:author=(?:"([^"]*)"|'([^']*)')/;

export function wordAlineas(xml) {
  const texts = [];
  for (const [paragraph] of xml.matchAll(PARAGRAPH)) {
    let raw = '';
    for (const [, content, tab] of paragraph.matchAll(RUN_PIECE)) raw += content ?? (tab ? '\t' : '\n');
    const text = entiteiten(raw).replace(/[ \u00a0]+/g, ' ').trim();
    if (text) texts.push(text);
  }
  return texts;
}

function comments(xml) {
  const found = [];
  for (const [comment] of xml.matchAll(COMMENT)) {
    const author = comment.match(AUTHOR);
    const tekst = wordAlineas(comment).join('\n');
    if (tekst) found.push({ auteur: author ? entiteiten(author[1] ?? author[2]) : '', tekst });
  }
  return found;
}

// Paragraph texts of the named parts in order, each text only at its first occurrence.
function uniqueLines(parts, names) {
  const lines = new Set();
  for (const name of names) for (const text of wordAlineas(parts[name])) lines.add(text);
  return [...lines];
}

export async function docxExtra(bytes) {
  const entries = await zipBestanden(bytes, (name) => EXTRA_PART.test(name) || name === COMMENTS_PART);
  const parts = {};
  const names = Object.keys(entries).sort();
  for (const name of names) parts[name] = utf8(entries[name]);
  return {
    kop: uniqueLines(parts, names.filter((name) => name.includes('header'))),
    voet: uniqueLines(parts, names.filter((name) => name.includes('footer'))),
    opmerkingen: COMMENTS_PART in parts ? comments(parts[COMMENTS_PART]) : [],
  };
}
