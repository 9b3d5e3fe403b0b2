// Headers, footers and comments of a Word document, which the body conversion
// leaves out, read straight from its ZIP container.
import { entiteiten } from './entiteiten.js';
import { utf8 } from './utf8.js';
import { zipBestanden } from './zip.js';

const EXTRA_PART = /^word\/(?:header|footer)\d*\.xml$/;
const COMMENTS_PART = 'word/comments.xml';
// One pass over the tags that matter: paragraph, comment and fallback start and
// end tags; a text element (not a self-closed one); an empty tab or a positional
// tab (headers and footers align with those); a break or carriage return.
// No part may look past the next "<", so that damaged XML costs one pass.
const TOKEN = new RegExp([
  '<(\\/?)(w:p|w:comment|mc:Fallback)(?=[\\s>/])([^<>]*)>',
  '<w:t(?:\\s[^<>]*)?(?<!\\/)>([^<]*)<\\/w:t>',
  '(<w:tab\\/>|<w:ptab(?:\\s[^<>]*)?\\/>)',
  '<w:(?:br|cr)(?:\\s[^<>]*)?\\/>',
].join('|'), 'g');
const AUTHOR = /w:author=(?:"([^"]*)"|'([^']*)')/;

const tidy = (raw) => entiteiten(raw).replace(/[ \u00a0]+/g, ' ').trim();

// Every paragraph once, in the order it starts, with the comment it stands in.
// A paragraph nested in another (a text box) is one of its own and takes nothing
// from the one around it. Markup-compatibility fallbacks repeat the content
// before them (a text box written twice) and are skipped.
function paragraphs(xml) {
  const found = [];
  const open = [];
  let comment = null;
  let fallback = 0;
  for (const [, close, tag, attrs, content, tab] of xml.matchAll(TOKEN)) {
    if (tag === 'mc:Fallback') {
      if (!attrs.endsWith('/')) fallback = Math.max(0, fallback + (close ? -1 : 1));
    } else if (fallback > 0) continue;
    else if (tag === 'w:comment') {
      const author = close ? null : attrs.match(AUTHOR);
      comment = close ? null : { auteur: author ? entiteiten(author[1] ?? author[2]) : '' };
    } else if (tag === 'w:p') {
      if (close) open.pop();
      else if (!attrs.endsWith('/')) {
        const paragraph = { raw: '', comment };
        found.push(paragraph);
        open.push(paragraph);
      }
    } else if (open.length) open.at(-1).raw += content ?? (tab ? '\t' : '\n');
  }
  return found.map(({ raw, comment: c }) => ({ text: tidy(raw), comment: c })).filter((p) => p.text);
}

export function wordAlineas(xml) {
  return paragraphs(xml).map((p) => p.text);
}

function comments(xml) {
  const found = new Map();
  for (const { text, comment } of paragraphs(xml)) {
    if (!comment) continue;
    if (found.has(comment)) found.get(comment).push(text);
    else found.set(comment, [text]);
  }
  return [...found].map(([{ auteur }, texts]) => ({ auteur, tekst: texts.join('\n') }));
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
