// The leak check before copying, as the view "Naar AI" runs it, on a 1 MB
// collection of letters with thousands of distinct entities: detection, the
// entities with their written forms, the pseudonymised text, then each check.
// With a second source tree (`node bench/checks.mjs ../other`) its checks run
// on the same text and entities, and their results are compared.
// Then one capitalised word of 16 000 to 64 000 characters (text whose blanks
// a PDF lost), also as a name word: each check must stay linear in it, under
// 100 ms at 64 000.
// Run by hand: node bench/checks.mjs [tree]
import { detect } from '../web/src/core/detect.js';
import { anonymize, buildMatcher } from '../web/src/core/matcher.js';
import { blocksToMarkdown } from '../web/src/core/markdown.js';
import { normText } from '../web/src/core/normalise.js';
import { suggestVariants } from '../web/src/core/variants.js';
import * as checks from '../web/src/core/checks.js';
import { brieven } from './page-data.mjs';
import { bestOf } from './best-of.mjs';

const MB = 1 << 20;

// One entity per distinct value, as the intake adds them.
function entitiesOf(hits) {
  const byKey = new Map();
  const counters = {};
  for (const hit of hits) {
    const value = normText(hit.value);
    const key = `${hit.cat}:${value.toLowerCase()}`;
    if (!value || byKey.has(key)) continue;
    counters[hit.cat] = (counters[hit.cat] ?? 0) + 1;
    byKey.set(key, {
      id: byKey.size + 1, cat: hit.cat, label: `${hit.cat}_${counters[hit.cat]}`, value,
      variants: suggestVariants(hit.cat, value), active: true, auto: true,
    });
  }
  return [...byKey.values()];
}

const doc = brieven(MB);
const ents = entitiesOf(detect(doc));
const matcher = buildMatcher(ents);
const markdown = blocksToMarkdown(doc.split('\n\n').map((text) => ({ t: 'p', text })), (t) => anonymize(t, matcher, {}));
const text = `Vat deze brieven samen.\n\n---\n\n${markdown}`;
const perCat = {};
for (const e of ents) perCat[e.cat] = (perCat[e.cat] ?? 0) + 1;
console.log(`${(text.length / MB).toFixed(2)} MB pseudonymised, ${ents.length} entities (${Object.entries(perCat).map(([cat, n]) => `${cat} ${n}`).join(', ')})`);

const NAMES = ['losseDelen', 'bijnaNamen', 'andersGeschreven'];
const run = (label, lib) => {
  const out = {};
  for (const name of NAMES.filter((n) => lib[n])) {
    const { ms, result } = bestOf(() => lib[name](text, ents), name === 'bijnaNamen' ? 1 : 3);
    out[name] = result.map((r) => `${r.ent.id}\u0000${r.deel}\u0000${r.cat ?? ''}`);
    console.log(`${label.padEnd(10)} ${name.padEnd(18)} ${ms.toFixed(0).padStart(7)} ms  ${result.length} found`);
  }
  return out;
};

const ours = run('this tree', checks);

const karel = [{
  id: 1, cat: 'PERSOON', label: 'PERSOON_1', value: 'Karel Dekker', variants: suggestVariants('PERSOON', 'Karel Dekker'), active: true, auto: true,
}];
for (const length of [16000, 32000, 64000]) {
  const word = 'NL'.repeat(length / 2);
  const blob = `Zie ${word} hier.`;
  const times = NAMES.map((name) => `${name} ${bestOf(() => checks[name](blob, karel)).ms.toFixed(1)} ms`);
  console.log(`one word of ${length} characters: ${times.join(', ')}`);
  // Detection takes such a word whole as a company before "B.V.": it is a name word then.
  const value = `${word} B.V.`;
  const bv = { ...karel[0], id: 2, cat: 'BEDRIJF', label: 'BEDRIJF_1', value, variants: suggestVariants('BEDRIJF', value) };
  const near = `${blob} ${word}N.`;
  console.log(`  as a name word, with a near name: bijnaNamen ${bestOf(() => checks.bijnaNamen(near, [...karel, bv])).ms.toFixed(1)} ms`);
}

const other = process.argv[2];
if (other) {
  const theirs = run('other', await import(new URL(`file://${process.cwd()}/${other}/web/src/core/checks.js`)));
  for (const name of NAMES.filter((n) => theirs[n])) {
    const same = JSON.stringify(ours[name]) === JSON.stringify(theirs[name]);
    console.log(`${name}: ${same ? 'same results' : 'RESULTS DIFFER'}`);
  }
}
