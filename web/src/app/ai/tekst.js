// The text for the AI: every document as markdown with each active entity
// replaced by its placeholder, block by block and once more over the whole.
import { A } from '../globals.js';
import { matcher } from '../matchers.js';
import { S } from '../session.js';
import { buitenPlaceholders } from './placeholders.js';

// The session's replacement: it counts into `counts` (unless null) and notes
// the surname pairs it leaves alone in `geweigerd`.
export function verhuller(counts, geweigerd) {
  const core = A();
  const m = matcher();
  const opties = { geboortejaar: Boolean(S.geboortejaar), geweigerd };
  return (t) => core.anonymize(t, m, counts, opties);
}

// Besides the text and its counts: the documents' names as they stand in it
// (only with more than one document), and the surname pairs the replacement
// left alone, for the leak check.
export function aiTekst(docId) {
  const core = A();
  const counts = {};
  const geweigerd = new Set();
  const verhul = verhuller(counts, geweigerd);
  const docs = docId === 'alle' ? S.docs : S.docs.filter((d) => d.id === docId);
  const namen = [];
  const delen = docs.map((doc, i) => {
    // The second pass finds values that a line break split between blocks or lines.
    const md = buitenPlaceholders(core.blocksToMarkdown(doc.blocks, verhul), verhul);
    if (docs.length === 1) return md;
    namen.push(verhul(doc.name));
    return `=== Document ${i + 1}: ${namen[i]} ===\n\n${md}`;
  });
  return { tekst: delen.join('\n\n'), counts, namen, geweigerd };
}

// What a copy button puts on the clipboard. The instruction is replaced as
// the text is: a name typed into it must not reach the AI either.
export function teKopieren(ai, metInstructie) {
  if (!metInstructie) return ai.tekst;
  const instructie = buitenPlaceholders(S.instructie.trim(), verhuller(null, ai.geweigerd));
  return `${instructie}\n\n---\n\n${ai.tekst}`;
}
