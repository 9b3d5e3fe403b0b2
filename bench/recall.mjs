// Recall and precision of detection per category on the office texts in
// bench/recall/, whose expected entities are marked inline as [[CAT|value]].
// A hit counts only with the same category and exactly the same span.
// Run by hand:
//   node bench/recall.mjs          the figures
//   node bench/recall.mjs --list   also every miss and every wrong hit
import { readdirSync, readFileSync } from 'node:fs';
import { detect } from '../web/src/core/detect.js';

const DIR = new URL('./recall/', import.meta.url);
const MARK = /\[\[([A-Z]+)\|([^\]]*)\]\]/g;

function parse(marked) {
  const expected = [];
  let text = '';
  let last = 0;
  for (const m of marked.matchAll(MARK)) {
    text += marked.slice(last, m.index);
    expected.push({ start: text.length, end: text.length + m[2].length, cat: m[1], value: m[2] });
    text += m[2];
    last = m.index + m[0].length;
  }
  return { text: text + marked.slice(last), expected };
}

const key = (h) => `${h.cat} ${h.start} ${h.end}`;
const perCat = new Map();
const tally = (cat) => {
  if (!perCat.has(cat)) perCat.set(cat, { expected: 0, found: 0, right: 0 });
  return perCat.get(cat);
};
const list = process.argv.includes('--list');

for (const file of readdirSync(DIR).filter((f) => f.endsWith('.txt')).sort()) {
  const { text, expected } = parse(readFileSync(new URL(file, DIR), 'utf8'));
  const hits = detect(text);
  const want = new Set(expected.map(key));
  const got = new Set(hits.map(key));
  for (const e of expected) {
    tally(e.cat).expected++;
    if (got.has(key(e))) tally(e.cat).right++;
    else if (list) console.log(`${file}: missed ${e.cat} "${e.value}"`);
  }
  for (const h of hits) {
    tally(h.cat).found++;
    if (list && !want.has(key(h))) console.log(`${file}: wrong ${h.cat} "${h.value}"`);
  }
}

const pct = (a, b) => (b ? ((100 * a) / b).toFixed(0).padStart(4) + ' %' : '     -');
const total = { expected: 0, found: 0, right: 0 };
console.log('category     expected  found  right   recall  precision');
for (const [cat, t] of [...perCat].sort(([a], [b]) => a.localeCompare(b))) {
  for (const k of Object.keys(total)) total[k] += t[k];
  console.log(`${cat.padEnd(12)} ${String(t.expected).padStart(8)} ${String(t.found).padStart(6)} ${String(t.right).padStart(6)}   ${pct(t.right, t.expected)}     ${pct(t.right, t.found)}`);
}
console.log(`${'all'.padEnd(12)} ${String(total.expected).padStart(8)} ${String(total.found).padStart(6)} ${String(total.right).padStart(6)}   ${pct(total.right, total.expected)}     ${pct(total.right, total.found)}`);
