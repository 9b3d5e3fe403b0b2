// The two cached matchers, built on first use and dropped by the change routine.
import { bijWijziging } from './change.js';
import { A } from './globals.js';
import { S } from './session.js';

let actief;
// The display matcher only depends on the entities' ids, categories and variants,
// so switching an entity on or off keeps it, and the counts made with it.
let weergave = { bron: null, matcher: null, geldig: false, telling: null, perDoc: null, tellingVoor: null };

// What the display matcher was built from, per entity. Variants are always
// replaced, never changed in place, so the array itself tells them apart.
const bronVan = (ents) => ents.map((e) => ({ id: e.id, cat: e.cat, variants: e.variants, aantal: e.variants.length }));
const zelfdeBron = (bron, ents) => bron?.length === ents.length
  && ents.every((e, i) => bron[i].id === e.id && bron[i].cat === e.cat && bron[i].variants === e.variants && bron[i].aantal === e.variants.length);

export function matcher() {
  if (actief === undefined) actief = A().buildMatcher(S.ents) || null;
  return actief;
}

// Every entity treated as active, so switched-off ones stay marked and counted.
// Only the ids of its entities are read; everything else comes from the list.
export function dispMatcher() {
  if (!weergave.geldig) {
    if (!zelfdeBron(weergave.bron, S.ents)) {
      const m = A().buildMatcher(S.ents.map((e) => ({ ...e, active: true }))) || null;
      weergave = { bron: bronVan(S.ents), matcher: m, telling: null, perDoc: null, tellingVoor: null };
    }
    weergave.geldig = true;
  }
  return weergave.matcher;
}

export function vergeetMatchers() {
  actief = undefined;
  weergave.geldig = false;
}
bijWijziging(vergeetMatchers);

// Occurrences of every entity per document and in total, switched-off ones
// included; the panel and browsing read the same counting. A document record
// never changes its content, so the records name what was counted; their ids
// would not, as a new session gives out the same ids again.
function tellingen() {
  const m = dispMatcher();
  if (!m) return null;
  const docs = S.docs;
  const vorige = weergave.tellingVoor;
  if (!vorige || vorige.length !== docs.length || docs.some((d, i) => d !== vorige[i])) {
    const perDoc = docs.map((doc) => {
      const counts = {};
      A().replaceWith(A().blocksText(doc.blocks), m, () => '', counts);
      return counts;
    });
    const totaal = {};
    for (const counts of perDoc) {
      for (const [id, n] of Object.entries(counts)) totaal[id] = (totaal[id] ?? 0) + n;
    }
    Object.assign(weergave, { telling: totaal, perDoc, tellingVoor: [...docs] });
  }
  return weergave;
}

export function telAlles() {
  return tellingen()?.telling ?? {};
}

// One entity's count per document id, for the documents that hold it.
export function telPerDoc(id) {
  const t = tellingen();
  const aantallen = {};
  S.docs.forEach((doc, i) => {
    if (t?.perDoc[i][id]) aantallen[doc.id] = t.perDoc[i][id];
  });
  return aantallen;
}
