// Puts the real values back into an AI answer. Assistants rewrite
// placeholders (case, brackets, markdown escapes, emphasis, separators, the
// birth year moved out), so labels are matched tolerantly: with brackets in
// any case, without brackets only in capitals.
import { CATS, ROL_PREFIXEN } from './categories.js';
import { escRe, textOf } from './normalise.js';
import { jaarVan } from './placeholders.js';

const SEPARATORS = String.raw`(?:\\?[\s_\-])*`;
const RE_YEAR_AFTER = /[ \t]*\(\s*(\d{4})\s*\)/y;
const PREFIXES = [...Object.keys(CATS), ...ROL_PREFIXEN];
const RE_UNKNOWN = new RegExp(
  String.raw`\\?\[\s*([A-Z][A-Z]*(?:\\?_[A-Z0-9]+)*)\s*\\?\]|(?<![\p{L}\p{N}_])((?:` + PREFIXES.join('|')
    + String.raw`)_\d+)(?![\p{N}])`,
  'gu',
);

function labelParts(label) {
  return label.split(/_+/).filter(Boolean);
}

function labelPattern(label) {
  return labelParts(label).map(escRe).join(SEPARATORS);
}

// Longest label first, so that KIND_10 is tried before KIND_1. When every
// label is capitals, "_" and digits, the labels of one prefix share one branch
// with their numbers as alternatives: at any place at most one prefix can be
// followed by a separator or digit, so the result is the same, and the engine
// tries a handful of prefixes instead of every label.
const RE_SIMPLE_LABEL = /^([A-Z]+)_(\d+)$/;

function labelAlternation(labels) {
  const sorted = [...labels].sort((a, b) => b.length - a.length);
  if (!sorted.every((l) => RE_SIMPLE_LABEL.test(l))) return sorted.map(labelPattern).join('|');
  const numbers = new Map();
  for (const label of sorted) {
    const [, prefix, n] = RE_SIMPLE_LABEL.exec(label);
    if (!numbers.has(prefix)) numbers.set(prefix, []);
    numbers.get(prefix).push(n);
  }
  return [...numbers].map(([prefix, ns]) => prefix + SEPARATORS + '(?:' + ns.join('|') + ')').join('|');
}

// The lookup key of a label as written: capitals, one "_" between parts.
function labelKey(written) {
  return written.toUpperCase().replace(/\\/g, '').replace(/[\s_\-]+/g, '_');
}

function labelMap(entities) {
  const byLabel = new Map();
  for (const ent of Array.isArray(entities) ? entities : []) {
    const label = ent && ent.label != null ? String(ent.label) : '';
    if (labelParts(label).length > 0) byLabel.set(labelKey(label), ent);
  }
  return byLabel;
}

function findUnknown(text, byLabel) {
  const unknown = new Set();
  for (const m of text.matchAll(RE_UNKNOWN)) {
    const bracketed = m[1] !== undefined;
    const lab = (bracketed ? m[1] : m[2]).replace(/\\/g, '');
    const counts = /\d/.test(lab) || (bracketed && PREFIXES.some((p) => lab.startsWith(p)));
    if (counts && !byLabel.has(labelKey(lab))) unknown.add(lab);
  }
  return [...unknown];
}

// One pass of `re` over `input`, appending its pieces to `out`.
function restorePass(input, re, byLabel, found, out) {
  let last = 0;
  re.lastIndex = 0;
  let m;
  while ((m = re.exec(input))) {
    const ent = byLabel.get(labelKey(m[1]));
    if (!ent) continue;
    if (m.index > last) out.push({ text: input.slice(last, m.index) });
    out.push({ ent, text: textOf(ent.value) });
    found.add(ent.label);
    last = m.index + m[0].length;
    if (ent.cat === 'GEBDATUM') {
      // The restored date already holds a year that the AI moved out.
      RE_YEAR_AFTER.lastIndex = last;
      const year = RE_YEAR_AFTER.exec(input);
      if (year && year[1] === jaarVan(ent)) {
        last = RE_YEAR_AFTER.lastIndex;
        re.lastIndex = last;
      }
    }
  }
  if (last < input.length) out.push({ text: input.slice(last) });
}

export function restore(text, entities) {
  const input = textOf(text);
  const byLabel = labelMap(entities);
  const found = new Set();
  if (byLabel.size === 0) {
    return { segments: [{ text: input }], found, unknown: findUnknown(input, byLabel) };
  }
  const alternation = labelAlternation([...byLabel.keys()]);
  const bracketed = new RegExp(
    String.raw`\\?\[\s*(` + alternation + String.raw`)\s*(?:\\?\(\s*\d{4}\s*\\?\)\s*)?\\?\]`,
    'giu',
  );
  const bare = new RegExp(String.raw`(?<![\p{L}\p{N}_])(` + alternation + String.raw`)(?![\p{N}])`, 'gu');

  const first = [];
  restorePass(input, bracketed, byLabel, found, first);
  const segments = [];
  for (const segment of first) {
    if (segment.ent) segments.push(segment);
    else restorePass(segment.text, bare, byLabel, found, segments);
  }
  const rest = segments.filter((s) => !s.ent).map((s) => s.text);
  return { segments, found, unknown: findUnknown(rest.join('\u0000'), byLabel) };
}

export function segmentsToText(segments) {
  return (Array.isArray(segments) ? segments : []).map((s) => textOf(s?.text)).join('');
}
