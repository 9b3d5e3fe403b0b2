// A fast way to run the matcher's one alternation over long texts. At a text
// position only the alternatives that can start with the characters standing
// there can match; trying just those, in the alternation's own order, finds
// the same first-matching alternative as the whole expression, so the
// matches are identical. With thousands of forms this is what keeps
// replacement near linear in text length and flat in the number of forms.
import { numberParts } from './forms.js';

const isSpace = (s) => /^\s$/u.test(s);
const isWordChar = (s) => /^[\p{L}\p{N}]$/u.test(s);
// Every white-space character stands for the class \s of the patterns.
const token = (s) => (isSpace(s) ? ' ' : s);
const codePoints = (s) => Array.from(s);
const bothCases = (ch) => (/[A-Z]/.test(ch) ? [ch, ch.toLowerCase()] : [ch]);

// The characters a form's pattern can start with: first and second, each a
// list of tokens, or null when any character can stand there.
export function leadsOf(num, form) {
  if (!num) {
    const pieces = form.split(/\s+/);
    if (!pieces[0]) return { first: [' '], second: null };
    const cps = codePoints(pieces[0]);
    const second = cps.length > 1 ? [cps[1]] : pieces.length > 1 ? [' '] : null;
    return { first: [cps[0]], second };
  }
  const parts = numberParts(form);
  if (/^\s*\+/.test(form)) return { first: ['+'], second: bothCases(parts[0].ch) };
  if (parts.length < 2) return { first: bothCases(parts[0].ch), second: null };
  const second = [...bothCases(parts[1].ch), ' ', '.', '-'];
  if (parts[1].sep) second.push(token(codePoints(parts[1].sep)[0]));
  return { first: bothCases(parts[0].ch), second };
}

function push(map, key, i) {
  let list = map.get(key);
  if (!list) map.set(key, (list = []));
  if (list[list.length - 1] !== i) list.push(i);
}

function mergeSorted(lists) {
  return [...new Set(lists.flat())].sort((a, b) => a - b);
}

const classOf = (chars) => '[' + [...chars].map((c) => (c === ' ' ? String.raw`\s` : '\\u{' + c.codePointAt(0).toString(16) + '}')).join('') + ']';

export function leadIndex(alternatives) {
  const always = [];
  const byFirst = new Map();
  alternatives.forEach((alt, i) => {
    if (!alt.first) return always.push(i);
    for (const c1 of alt.first) {
      let group = byFirst.get(c1);
      if (!group) byFirst.set(c1, (group = { any: [], bySecond: new Map() }));
      if (alt.second) for (const c2 of alt.second) push(group.bySecond, c2, i);
      else group.any.push(i);
    }
  });

  const compiled = new Map();
  function compile(indices) {
    const sticky = (list) => (list.length
      ? new RegExp('(?:' + list.map((i) => alternatives[i].pattern).join('|') + ')', 'uy')
      : null);
    return { all: sticky(indices), afterWord: sticky(indices.filter((i) => alternatives[i].fiscal)) };
  }
  function groupAt(c1, c2) {
    const group = byFirst.get(c1);
    const key = group && group.bySecond.has(c2) ? c1 + '\u0000' + c2 : (group ? c1 : '') + '\u0000';
    let found = compiled.get(key);
    if (!found) {
      found = compile(mergeSorted([always, group?.any ?? [], group?.bySecond.get(c2) ?? []]));
      compiled.set(key, found);
    }
    return found;
  }

  // Jumps to the next position where some alternative can start; only the
  // number forms of BSN and RSIN may start right after a letter or digit.
  let starter = null;
  if (!always.length) {
    const firsts = [...byFirst.keys()];
    const fiscalFirsts = new Set(alternatives.filter((a) => a.fiscal).flatMap((a) => a.first));
    let source = String.raw`(?<![\p{L}\p{N}])` + classOf(firsts);
    if (fiscalFirsts.size) source += String.raw`|(?<=[\p{L}\p{N}])` + classOf(fiscalFirsts);
    starter = new RegExp(source, 'gu');
  }

  function charAt(text, p) {
    return p < text.length ? String.fromCodePoint(text.codePointAt(p)) : '';
  }
  function before(text, p) {
    if (p === 0) return '';
    const lowAfterHigh = p > 1 && /[\uDC00-\uDFFF]/.test(text[p - 1]) && /[\uD800-\uDBFF]/.test(text[p - 2]);
    return lowAfterHigh ? text.slice(p - 2, p) : text[p - 1];
  }

  function replace(text, fn) {
    let out = '';
    let last = 0;
    let p = 0;
    while (p < text.length) {
      if (starter) {
        starter.lastIndex = p;
        const s = starter.exec(text);
        if (!s) break;
        p = s.index;
      }
      const c1 = charAt(text, p);
      const group = groupAt(token(c1), token(charAt(text, p + c1.length)));
      const re = isWordChar(before(text, p)) ? group.afterWord : group.all;
      if (re) {
        re.lastIndex = p;
        const m = re.exec(text);
        if (m) {
          out += text.slice(last, p) + fn(m[0]);
          last = p = re.lastIndex;
          continue;
        }
      }
      p += c1.length;
    }
    return last ? out + text.slice(last) : text;
  }

  return { replace };
}
