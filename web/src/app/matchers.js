// The two cached matchers, built on first use and dropped by the change routine.
import { A } from './globals.js';
import { S } from './session.js';

let actief;
let weergave;

export function matcher() {
  if (actief === undefined) actief = A().buildMatcher(S.ents) || null;
  return actief;
}

// Every entity treated as active, so switched-off ones stay marked and counted.
export function dispMatcher() {
  if (weergave === undefined) weergave = A().buildMatcher(S.ents.map((e) => ({ ...e, active: true }))) || null;
  return weergave;
}

export function vergeetMatchers() {
  actief = undefined;
  weergave = undefined;
}

// Occurrences of every entity over all documents, switched-off ones included.
export function telAlles() {
  const counts = {};
  const m = dispMatcher();
  if (!m) return counts;
  for (const doc of S.docs) A().replaceWith(A().blocksText(doc.blocks), m, () => '', counts);
  return counts;
}
