// The matcher: one ordered alternation of the search patterns of every
// written form of every active entity, longest form first, and the
// replacement of its matches.
import { isNumCat } from './categories.js';
import { normNum, normText } from './normalise.js';
import {
  FISCAAL, boundedPattern, formKey, numberParts, searchForms,
} from './forms.js';
import { leadIndex, leadOf } from './lead-index.js';
import { placeholder } from './placeholders.js';

// Per matcher, built with it: the alternatives grouped by how they can start.
const indexes = new WeakMap();

export function buildMatcher(entities) {
  const lookup = new Map();
  const items = [];
  for (const ent of entities ?? []) {
    if (!ent.active) continue;
    const num = isNumCat(ent.cat);
    for (const f of searchForms(ent)) {
      if (!normText(f) || (num && !normNum(f))) continue;
      const key = formKey(ent.cat, f);
      if (lookup.has(key)) continue;
      lookup.set(key, ent);
      const { start, body } = boundedPattern(ent.cat, f);
      items.push({
        pattern: start + body,
        body,
        length: f.length,
        fiscal: FISCAAL.has(ent.cat),
        lead: leadOf(num, f),
        words: num ? null : f.split(/\s+/),
        parts: num ? numberParts(f) : null,
        plus: num && /^\s*\+/.test(f),
        maxSep: num ? Math.max(1, ...numberParts(f).map(({ sep }) => sep.length)) : 0,
      });
    }
  }
  if (!items.length) return null;
  items.sort((a, b) => b.length - a.length);
  const seen = new Set();
  const alternatives = items.filter(({ pattern }) => !seen.has(pattern) && seen.add(pattern));
  // The one expression is built on first use: its thousands of property
  // classes cost far more to compile than the replacement itself needs.
  let re = null;
  const matcher = {
    get re() {
      re ??= new RegExp('(?:' + alternatives.map(({ pattern }) => pattern).join('|') + ')', 'gu');
      return re;
    },
    lookup,
  };
  indexes.set(matcher, leadIndex(alternatives));
  return matcher;
}

export function entityFor(matcher, match) {
  return matcher.lookup.get('T:' + normText(match)) ?? matcher.lookup.get('N:' + normNum(match));
}

export function replaceWith(text, matcher, fn, counts) {
  if (!matcher || !text) return text;
  const replace = (m) => {
    const ent = entityFor(matcher, m);
    if (!ent) return m;
    if (counts) counts[ent.id] = (counts[ent.id] ?? 0) + 1;
    return String(fn(ent, m));
  };
  const index = indexes.get(matcher);
  return index ? index.replace(text, replace) : text.replace(matcher.re, replace);
}

export function anonymize(text, matcher, counts, opties) {
  return replaceWith(text, matcher, (ent) => placeholder(ent, opties), counts);
}
