// The text for the AI: every document as markdown with each active entity
// replaced by its placeholder, block by block and once more over the whole.
import { A } from '../globals.js';
import { matcher } from '../matchers.js';
import { S } from '../session.js';
import { buitenPlaceholders } from './placeholders.js';

export function aiTekst(docId) {
  const core = A();
  const m = matcher();
  const counts = {};
  const opties = { geboortejaar: Boolean(S.geboortejaar) };
  const verhul = (t) => core.anonymize(t, m, counts, opties);
  const docs = docId === 'alle' ? S.docs : S.docs.filter((d) => d.id === docId);
  const delen = docs.map((doc, i) => {
    // The second pass finds values that a line break split between blocks or lines.
    const md = buitenPlaceholders(core.blocksToMarkdown(doc.blocks, verhul), verhul);
    return docs.length > 1 ? `=== Document ${i + 1}: ${verhul(doc.name)} ===\n\n${md}` : md;
  });
  return { tekst: delen.join('\n\n'), counts };
}
