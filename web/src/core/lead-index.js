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
// filed on that way are the candidates. The start condition, the same for
// every form, is tested once here instead of in every alternative.
//
// Only a surname alone that the expression's guard leaves is replaced here
// where detection finds it there (see surname-guard.js).
import { BEFORE, boundaryAfter } from './boundaries.js';
import { normNum } from './normalise.js';
import { refusedPair } from './surname-guard.js';

const KEY_LENGTH = 12;

const SPACE = /\s/;
const ALNUM = /[A-Za-z0-9]/;

const isSpace = (c) => (c.length === 1 && c.charCodeAt(0) < 128 ? c === ' ' || (c >= '\t' && c <= '\r') : SPACE.test(c));

// Whether a zero-width condition holds at p.
function holdsAt(re, text, p) {
  re.lastIndex = p;
  return re.test(text);
}

// One character of a number form: a digit as it is, a letter in either case.
const isNumberChar = (c, ch) => c === ch || (c !== undefined && c.toUpperCase() === ch && /[a-z]/.test(c));
const isSep = (c, slash) => c === '.' || c === '-' || (slash && c === '/') || (c !== undefined && isSpace(c));

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

// The normalised characters a form's match can begin with, in full: a form
// with its opening parenthesis begins with it or without it.
export function leadsOf(num, form, open) {
  if (!num) return ['T' + form.split(/\s+/).join(' ')];
  const lead = 'N' + (/^\s*\+/.test(form) ? '+' : '') + normNum(form);
  return open ? [lead, 'N(' + lead.slice(1)] : [lead];
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
  if (text[i] === '+' || text[i] === '(') {
    node = step(node, text[i], found);
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

const classOf = (chars) => '[' + [...chars].map((c) => (c === ' ' ? String.raw`\s` : '\\u{' + c.codePointAt(0).toString(16) + '}')).join('') + ']';

// alternatives: in the alternation's order, each { leads, core, body,
// maxSep, words (text forms) or parts, plus, open, slash and context (number
// forms), guard }: core is the form's pattern, body that with its end
// condition; guard, for a surname alone, the test of the conditions around
// it, and context, for a short number, the sources of the conditions around it.
export function leadIndex(alternatives) {
  const roots = { T: newNode(), N: newNode() };
  const firsts = new Set();
  const textFirsts = new Set();
  let maxSep = 1;
  alternatives.forEach((alt, i) => {
    for (const lead of alt.leads) {
      const kind = lead[0];
      const chars = Array.from(lead.slice(1));
      let node = roots[kind];
      for (const c of chars.slice(0, KEY_LENGTH)) {
        if (!node.next.has(c)) node.next.set(c, newNode());
        node = node.next.get(c);
      }
      (node.members ??= []).push(i);
      firsts.add(chars[0]);
      if (kind === 'T') textFirsts.add(chars[0]);
      else if (/[A-Z]/.test(chars[0])) firsts.add(chars[0].toLowerCase());
    }
    maxSep = Math.max(maxSep, alt.maxSep);
  });

  // Each alternative is tried on its own, in the alternation's order, which
  // finds the alternative the whole expression would. A form's body can match
  // only one way unless it ends in a blank run, so its end condition can be
  // tested apart. Text and number forms are then compared as plain
  // characters, since compiling an expression for each of thousands of forms
  // cost more than the search; the rest is compiled without the Unicode flag,
  // a fraction of the cost of its property classes.
  function bodyTester(alt) {
    if (alt.words && alt.words.at(-1)) {
      // A text form is its words with blank runs between them: compared as
      // text, it needs no expression at all.
      const { words } = alt;
      return (text, p) => {
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
        return boundaryAfter(text, i) ? i : null;
      };
    }
    if (alt.parts) {
      // A number form is as plain: its characters with, between them, one
      // blank, dot or hyphen (or slash, in a phone number), or nothing, or
      // the form's own separator. A short number, the one kind with
      // conditions around it, has only its own separators.
      const {
        parts, plus, open, slash, context,
      } = alt;
      const before = context && new RegExp(context.before, 'uy');
      const after = context && new RegExp(context.after, 'uy');
      return (text, p) => {
        let i = p;
        if (open && text[i] === '(') i++;
        if (before && !holdsAt(before, text, i)) return null;
        if (plus && text[i++] !== '+') return null;
        for (let k = 0; k < parts.length; k++) {
          const { ch, sep } = parts[k];
          if (k > 0 && context) {
            if (!sepAt(text, i, sep)) return null;
            i += sep.length;
          } else if (k > 0 && !isNumberChar(text[i], ch)) {
            if (isSep(text[i], slash) && isNumberChar(text[i + 1], ch)) i += 1;
            else if (sep && sepAt(text, i, sep) && isNumberChar(text[i + sep.length], ch)) i += sep.length;
            else return null;
          }
          if (!isNumberChar(text[i], ch)) return null;
          i += 1;
        }
        return boundaryAfter(text, i) && (!after || holdsAt(after, text, i)) ? i : null;
      };
    }
    if (!alt.core.endsWith(String.raw`\s+`)) {
      const re = new RegExp(alt.core, 'y');
      return (text, p) => {
        re.lastIndex = p;
        const m = re.exec(text);
        return m && boundaryAfter(text, p + m[0].length) ? p + m[0].length : null;
      };
    }
    const re = new RegExp(alt.body, 'uy');
    return (text, p) => {
      re.lastIndex = p;
      const m = re.exec(text);
      return m ? p + m[0].length : null;
    };
  }

  function tester(i) {
    const alt = alternatives[i];
    if (alt.test) return alt.test;
    const body = bodyTester(alt);
    if (!alt.guard) return (alt.test = body);
    alt.test = (text, p, refused, pass) => {
      const end = body(text, p);
      if (end === null || !alt.guard.holdsBack(text, p, end, pass)) return end;
      refused?.add(refusedPair(text, p, end));
      return null;
    };
    return alt.test;
  }

  // Jumps to the next position where some form can start.
  const starter = new RegExp('(?=' + classOf(firsts) + ')' + BEFORE, 'gu');

  function matchAt(text, p, refused, pass) {
    const c = codePointAt(text, p);
    const found = [];
    if (textFirsts.has(isSpace(c) ? ' ' : c)) walkText(roots.T, text, p, found);
    if (ALNUM.test(c) || c === '+' || c === '(') walkNumber(roots.N, text, p, maxSep, found);
    if (!found.length) return null;
    const candidates = found.length === 1 ? found[0] : found.flat().sort((a, b) => a - b);
    for (const i of candidates) {
      const end = tester(i)(text, p, refused, pass);
      if (end !== null) return end;
    }
    return null;
  }

  // `pass` holds what the guards learn about the text during one replacement.
  function replace(text, fn, refused) {
    const pass = {};
    let out = '';
    let last = 0;
    starter.lastIndex = 0;
    for (let s; (s = starter.exec(text));) {
      const end = matchAt(text, s.index, refused, pass);
      if (end === null) {
        // A zero-width start: step over the character.
        starter.lastIndex = s.index + (text.codePointAt(s.index) > 0xffff ? 2 : 1);
        continue;
      }
      out += text.slice(last, s.index) + fn(text.slice(s.index, end), s.index);
      last = starter.lastIndex = end;
    }
    return last ? out + text.slice(last) : text;
  }

  return { replace };
}
