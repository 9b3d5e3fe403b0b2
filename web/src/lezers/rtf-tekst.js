// The text of an RTF document, walked once: groups that hold no body text are
// skipped, hex escapes decode with the document's own code page (\ansicpg), or
// with the message's when it names none.
import { tidyLines } from './blanks.js';
import { codepage, decodeer } from './charset.js';

const SKIPPED = new Set(['fonttbl', 'colortbl', 'stylesheet', 'info', 'pict', 'object', 'themedata',
  'colorschememapping', 'latentstyles', 'datastore', 'xmlnstbl', 'listtable', 'listoverridetable',
  'rsidtbl', 'generator', 'mmathPr', 'htmltag']);
const WORDS = {
  par: '\n', line: '\n', row: '\n', tab: '\t', cell: '\t',
  lquote: '\u2018', rquote: '\u2019', ldblquote: '\u201c', rdblquote: '\u201d',
  endash: '\u2013', emdash: '\u2014', bullet: '\u2022', enspace: ' ', emspace: ' ', qmspace: ' ',
};
const SYMBOLS = { '~': ' ', _: '-', '\\': '\\', '{': '{', '}': '}' };
const LOOK_AHEAD = 40;
const CONTROL = /^\\(?:([a-z]+)(-?\d+)? ?|'([0-9a-f]{2})|([^a-z]))/is;

export function rtfNaarTekst(rtf, cp) {
  let label = cp;
  const out = [];
  let depth = 0;
  let skip = -1;
  let toSkip = 0;
  let pending = [];
  const flush = () => {
    if (!pending.length) return;
    out.push(decodeer(Uint8Array.from(pending), label));
    pending = [];
  };
  for (let i = 0; i < rtf.length; i++) {
    const c = rtf[i];
    if (c === '{') {
      depth++;
      if (skip < 0 && rtf.startsWith('{\\*', i)) skip = depth;
    } else if (c === '}') {
      if (skip === depth) skip = -1;
      depth--;
    } else if (c === '\\') {
      const m = CONTROL.exec(rtf.slice(i, i + LOOK_AHEAD));
      if (!m) continue;
      i += m[0].length - 1;
      if (skip >= 0) continue;
      const [, word, param, hex, symbol] = m;
      if (hex !== undefined) {
        if (toSkip > 0) toSkip--;
        else pending.push(parseInt(hex, 16));
        continue;
      }
      flush();
      if (symbol !== undefined) out.push(SYMBOLS[symbol] ?? '');
      else if (SKIPPED.has(word)) skip = depth;
      else if (word === 'ansicpg' && Number(param) > 0) label = codepage(Number(param));
      else if (Object.hasOwn(WORDS, word)) out.push(WORDS[word]);
      else if (word === 'u' && param !== undefined) {
        const n = Number(param);
        out.push(String.fromCharCode(n < 0 ? n + 65536 : n));
        toSkip = 1;
      }
    } else if (skip < 0 && c !== '\r' && c !== '\n') {
      if (toSkip > 0) toSkip--;
      else {
        flush();
        out.push(c);
      }
    }
  }
  flush();
  return tidyLines(out.join(''), false);
}
