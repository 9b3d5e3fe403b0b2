// The matcher: one ordered alternation of the search patterns of every
// written form of every active entity, longest form first, and the
// replacement of its matches.
import { AFTER, BEFORE } from './boundaries.js';
import { isNumCat } from './categories.js';
import { normNum, normText, zichtbareTekst } from './normalise.js';
import {
  formKey, formPattern, numberContext, numberParts, opensWithParen, searchForms, takesSlash, textKey,
} from './forms.js';
import { leadIndex, leadsOf } from './lead-index.js';
import { placeholder } from './placeholders.js';
import { ownNamesIfSurname, surnameGuard, voornamenInLijst } from './surname-guard.js';

// Per matcher, built with it: the alternatives grouped by how they can start.
const indexes = new WeakMap();

// `own`: the person's first names when `f` is its surname alone;
// `voornamen`: the first names that may stand before another person's
// surname, built for the list on the first surname form.
function alternative(ent, f, own, voornamen) {
  const num = isNumCat(ent.cat);
  const open = opensWithParen(ent.cat, f);
  const guard = own && surnameGuard(own, voornamen(), ent.value);
  // A short number's conditions around it belong to its own pattern.
  const context = numberContext(ent.cat, f);
  const core = (context ? context.before : '') + formPattern(ent.cat, f);
  const body = core + AFTER + (context ? context.after : '');
  const parts = num ? numberParts(f) : null;
  return {
    pattern: BEFORE + (guard ? guard.before : '') + (open ? String.raw`\(?` : '') + body + (guard ? guard.after : ''),
    core,
    body,
    guard,
    context,
    length: f.length,
    leads: leadsOf(num, f, open),
    words: num ? null : f.split(/\s+/),
    parts,
    plus: num && /^\s*\+/.test(f),
    open,
    slash: takesSlash(ent.cat),
    maxSep: num ? Math.max(1, ...parts.map(({ sep }) => sep.length)) : 0,
  };
}

export function buildMatcher(entities) {
  const lookup = new Map();
  const items = [];
  let namen = null;
  const voornamen = () => (namen ??= voornamenInLijst(entities));
  for (const ent of entities ?? []) {
    if (!ent.active) continue;
    const num = isNumCat(ent.cat);
    const ownNames = ownNamesIfSurname(ent);
    for (const f of searchForms(ent)) {
      if (!normText(f) || (num && !normNum(f))) continue;
      const key = formKey(ent.cat, f);
      // The first entity keeps a key; a number form written with other
      // separators is still searched, for that entity ("038 - 421 56 90").
      if (!lookup.has(key)) lookup.set(key, ent);
      else if (!num) continue;
      items.push(alternative(ent, f, ownNames(f), voornamen));
    }
  }
  if (!items.length) return null;
  items.sort((a, b) => b.length - a.length);
  // Text forms are one per key already; number forms written with other
  // separators may give the same pattern. Comparing the long patterns of
  // surnames alone would cost a quarter of the build.
  const seen = new Set();
  const alternatives = items.filter(({ parts, pattern }) => !parts || (!seen.has(pattern) && seen.add(pattern)));
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
  return matcher.lookup.get(textKey(match)) ?? matcher.lookup.get('N:' + normNum(match));
}

// `geweigerd`, when given, collects the surname pairs that were left as
// they stand (see surname-guard.js), for the leak check to offer.
export function replaceWith(text, matcher, fn, counts, geweigerd) {
  if (!matcher || !text) return text;
  const replace = (m, at) => {
    const ent = entityFor(matcher, m);
    if (!ent) return m;
    if (counts) counts[ent.id] = (counts[ent.id] ?? 0) + 1;
    return String(fn(ent, m, at));
  };
  const zicht = zichtbareTekst(text);
  if (!zicht) return indexes.get(matcher).replace(text, replace, geweigerd);
  // Invisible characters ("Kui&shy;pers") never break a form: the text is
  // searched without them, and each match replaces its span of the text as
  // it stands, the invisible characters inside it included.
  const { tekst, pos } = zicht;
  let out = '';
  let last = 0;
  indexes.get(matcher).replace(tekst, (m, at) => {
    const start = pos[at];
    const end = pos[at + m.length - 1] + 1;
    out += text.slice(last, start) + replace(text.slice(start, end), start);
    last = end;
    return m;
  }, geweigerd);
  return out + text.slice(last);
}

export function anonymize(text, matcher, counts, opties) {
  return replaceWith(text, matcher, (ent) => placeholder(ent, opties), counts, opties?.geweigerd);
}
