// A fast way to run the matcher's one alternation over long texts.
//
// At a text position only the alternatives whose form can start with the
// characters standing there can match. Trying just those, in the
// alternation's own order, finds the same first-matching alternative as the
// whole expression, so the matches are identical. Each form is filed in a
// tree under its first KEY_LENGTH characters, normalised as its pattern
// allows (white space runs as one blank for text forms; letters and digits
// only, in upper case, for number forms); at a position the text is
// normalised the same way while it is followed down the tree, and the forms
// filed on that way are the candidates. The start
// condition of text and most number forms (no letter or digit before) is
// tested once here instead of in every alternative.
import { E as END } from './building-blocks.js';
import { B_FISCAAL, E_FISCAAL } from './forms.js';
import { normNum } from './normalise.js';

const KEY_LENGTH = 12;

const SPACE = /\s/;
const WORD_CHAR = /^[\p{L}\p{N}]$/u;
const ALNUM = /[A-Za-z0-9]/;

const isSpace = (c) => (c.length === 1 && c.charCodeAt(0) < 128 ? c === ' ' || (c >= '\t' && c <= '\r') : SPACE.test(c));
const PLAIN_END = new RegExp(END, 'uy');
const FISCAL_START = new RegExp(B_FISCAAL, 'uy');
const FISCAL_END = new RegExp(E_FISCAAL, 'uy');

// Whether a zero-width condition holds at p.
function holdsAt(re, text, p) {
  re.lastIndex = p;
  return re.test(text);
}

// One character of a number form: a digit as it is, a letter in either case.
const isNumberChar = (c, ch) => c === ch || (c !== undefined && c.toUpperCase() === ch && /[a-z]/.test(c));
const isSep = (c) => c === '.' || c === '-' || (c !== undefined && isSpace(c));

// The form's own separator as its pattern finds it: any blank for a blank.
function sepAt(text, i, sep) {
  if (i + sep.length > text.length) return false;
  for (let k = 0; k < sep.length; k++) {
    const c = text[i + k];
    if (isSpace(sep[k]) ? !isSpace(c) : c !== sep[k]) return false;
  }
  return true;
}

const codePointAt = (text, i) => String.fromCodePoint(text.codePointAt(i));

// The normalised characters a form's match begins with, in full.
export function leadOf(num, form) {
  if (!num) return 'T' + form.split(/\s+/).join(' ');
  return 'N' + (/^\s*\+/.test(form) ? '+' : '') + normNum(form);
}

const newNode = () => ({ next: new Map(), members: null });

// One step down the tree; the forms filed there join the candidates.
function step(node, key, found) {
  const child = node.next.get(key);
  if (child?.members) found.push(child.members);
  return child;
}

function walkText(root, text, p, found) {
  let node = root;
  let i = p;
  for (let depth = 0; node && depth < KEY_LENGTH && i < text.length; depth++) {
    const c = codePointAt(text, i);
    if (isSpace(c)) {
      while (i < text.length && isSpace(text[i])) i++;
      node = step(node, ' ', found);
    } else {
      i += c.length;
      node = step(node, c, found);
    }
  }
}

// Separators are skipped generously (any run of other characters up to the
// longest separator a form has): more candidates, never fewer.
function walkNumber(root, text, p, maxSep, found) {
  let node = root;
  let i = p;
  let depth = 0;
  if (text[i] === '+') {
    node = step(node, '+', found);
    i++;
    depth++;
  }
  for (; node && depth < KEY_LENGTH && i < text.length; depth++) {
    if (!ALNUM.test(text[i])) {
      if (depth === 0) return;
      const runEnd = i + maxSep;
      while (i < text.length && i < runEnd && !ALNUM.test(text[i])) i++;
      if (i >= text.length || !ALNUM.test(text[i])) return;
    }
    node = step(node, text[i].toUpperCase(), found);
    i++;
  }
}

function before(text, p) {
  if (p === 0) return '';
  const pair = p > 1 && /[\uDC00-\uDFFF]/.test(text[p - 1]) && /[\uD800-\uDBFF]/.test(text[p - 2]);
  return pair ? text.slice(p - 2, p) : text[p - 1];
}

const classOf = (chars) => '[' + [...chars].map((c) => (c === ' ' ? String.raw`\s` : '\\u{' + c.codePointAt(0).toString(16) + '}')).join('') + ']';

// alternatives: in the alternation's order, each { lead, body, pattern,
// fiscal, maxSep }: body is the pattern without its start condition, which
// only the fiscal ones (also after "NL") keep.
export function leadIndex(alternatives) {
  const roots = { T: newNode(), N: newNode() };
  const firsts = { T: new Set(), N: new Set() };
  const fiscalFirsts = new Set();
  let maxSep = 1;
  alternatives.forEach((alt, i) => {
    const kind = alt.lead[0];
    const chars = Array.from(alt.lead.slice(1));
    let node = roots[kind];
    for (const c of chars.slice(0, KEY_LENGTH)) {
      if (!node.next.has(c)) node.next.set(c, newNode());
      node = node.next.get(c);
    }
    (node.members ??= []).push(i);
    const first = kind === 'N' && /[A-Z]/.test(chars[0]) ? [chars[0], chars[0].toLowerCase()] : [chars[0]];
    for (const c of first) {
      firsts[kind].add(c);
      if (alt.fiscal) fiscalFirsts.add(c);
    }
    maxSep = Math.max(maxSep, alt.maxSep);
  });

  // Each alternative is tried on its own, in the alternation's order, which
  // finds the alternative the whole expression would. A form's body can match
  // only one way unless it ends in a blank run, so its start and end
  // conditions can be tested apart. Text and number forms are then compared
  // as plain characters, since compiling an expression for each of thousands
  // of forms cost more than the search; the rest is compiled without the
  // Unicode flag, a fraction of the cost of its property classes.
  function tester(i) {
    const alt = alternatives[i];
    if (!alt.test && alt.words && !alt.fiscal && alt.words.at(-1) && alt.body.endsWith(END)) {
      // A text form is its words with blank runs between them: compared as
      // text, it needs no expression at all.
      const { words } = alt;
      alt.test = (text, p) => {
        let i = p;
        for (let k = 0; k < words.length; k++) {
          if (k > 0) {
            const blanks = i;
            while (i < text.length && isSpace(text[i])) i++;
            if (i === blanks) return null;
          }
          if (!text.startsWith(words[k], i)) return null;
          i += words[k].length;
        }
        return holdsAt(PLAIN_END, text, i) ? [text.slice(p, i)] : null;
      };
    }
    if (!alt.test && alt.parts) {
      // A number form is as plain: its characters with, between them, one
      // blank, dot or hyphen, or nothing, or the form's own separator.
      const endRe = alt.fiscal ? FISCAL_END : PLAIN_END;
      const startRe = alt.fiscal ? FISCAL_START : null;
      const { parts, plus } = alt;
      alt.test = (text, p) => {
        if (startRe && !holdsAt(startRe, text, p)) return null;
        let i = p;
        if (plus && text[i++] !== '+') return null;
        for (let k = 0; k < parts.length; k++) {
          const { ch, sep } = parts[k];
          if (k > 0 && !isNumberChar(text[i], ch)) {
            if (isSep(text[i]) && isNumberChar(text[i + 1], ch)) i += 1;
            else if (sep && sepAt(text, i, sep) && isNumberChar(text[i + sep.length], ch)) i += sep.length;
            else return null;
          }
          if (!isNumberChar(text[i], ch)) return null;
          i += 1;
        }
        return holdsAt(endRe, text, i) ? [text.slice(p, i)] : null;
      };
    }
    if (!alt.test) {
      const [endSource, endRe] = alt.body.endsWith(E_FISCAAL) ? [E_FISCAAL, FISCAL_END] : [END, PLAIN_END];
      const core = alt.body.endsWith(endSource) ? alt.body.slice(0, -endSource.length) : null;
      if (core !== null && !core.endsWith(String.raw`\s+`)) {
        const re = new RegExp(core, 'y');
        // The plain start condition is the caller's; the fiscal one is tested here.
        const startRe = alt.fiscal ? FISCAL_START : null;
        alt.test = (text, p) => {
          if (startRe && !holdsAt(startRe, text, p)) return null;
          re.lastIndex = p;
          const m = re.exec(text);
          return m && holdsAt(endRe, text, p + m[0].length) ? m : null;
        };
      } else {
        const re = new RegExp(alt.fiscal ? alt.pattern : alt.body, 'uy');
        alt.test = (text, p) => {
          re.lastIndex = p;
          return re.exec(text);
        };
      }
    }
    return alt.test;
  }

  // Jumps to the next position where some form can start.
  const allFirsts = new Set([...firsts.T, ...firsts.N]);
  let source = String.raw`(?<![\p{L}\p{N}])` + classOf(allFirsts);
  if (fiscalFirsts.size) source += String.raw`|(?<=[\p{L}\p{N}])` + classOf(fiscalFirsts);
  const starter = new RegExp(source, 'gu');

  function matchAt(text, p) {
    const c = codePointAt(text, p);
    const found = [];
    if (firsts.T.has(isSpace(c) ? ' ' : c)) walkText(roots.T, text, p, found);
    if (firsts.N.has(c)) walkNumber(roots.N, text, p, maxSep, found);
    if (!found.length) return null;
    // After a letter or digit only the fiscal forms may start (after "NL").
    const afterWord = WORD_CHAR.test(before(text, p));
    const candidates = found.length === 1 ? found[0] : found.flat().sort((a, b) => a - b);
    for (const i of candidates) {
      if (afterWord && !alternatives[i].fiscal) continue;
      const m = tester(i)(text, p);
      if (m) return m;
    }
    return null;
  }

  function replace(text, fn) {
    let out = '';
    let last = 0;
    starter.lastIndex = 0;
    for (let s; (s = starter.exec(text));) {
      const m = matchAt(text, s.index);
      if (!m) continue;
      out += text.slice(last, s.index) + fn(m[0]);
      last = starter.lastIndex = s.index + m[0].length;
    }
    return last ? out + text.slice(last) : text;
  }

  return { replace };
}
