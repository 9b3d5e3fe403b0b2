// The entity list: lookup, label numbering, adding values and scanning documents.
import { escRe } from '../core/normalise.js';
import { A } from './globals.js';
import { K } from './kantoorlijst.js';
import { S, volgendId } from './session.js';
import { isGenegeerd, labelBezet, personenMet, vergelijkVorm, zoekId, zoekVorm } from './ent-index.js';

const isNum = (cat) => Boolean(A().CATS[cat]?.num);

export function sleutelVan(cat, value) {
  return `${cat}:${vergelijkVorm(isNum(cat), value)}`;
}

export function entById(id) {
  return zoekId(id);
}

export function zoekEnt(cat, value) {
  const num = isNum(cat);
  const gezocht = vergelijkVorm(num, value);
  if (!gezocht) return undefined;
  return zoekVorm(num, gezocht);
}

export function nieuwLabel(prefix) {
  let n = S.counters[prefix] || 0;
  let label;
  do {
    n += 1;
    label = `${prefix}_${n}`;
  } while (labelBezet(label));
  S.counters[prefix] = n;
  return label;
}

export function voegToe(cat, value, auto, rol) {
  const waarde = A().normText(value);
  if (!waarde) return null;
  const bestaand = zoekEnt(cat, waarde);
  if (bestaand) return bestaand;
  if (auto && isGenegeerd(sleutelVan(cat, waarde))) return null;
  const ent = {
    id: volgendId(),
    cat,
    label: nieuwLabel(rol || cat),
    value: waarde,
    variants: A().suggestVariants(cat, waarde),
    active: true,
    auto: Boolean(auto),
  };
  S.ents.push(ent);
  // A surname two persons share becomes a person of its own. Only the persons
  // holding one of its forms can share one, so only they are handed over.
  const deelgenoten = ent.cat === 'PERSOON' ? personenMet(ent.variants) : [];
  for (const vorm of A().gedeeldeVarianten(deelgenoten, ent)) {
    if (!zoekEnt(cat, vorm)) voegToe(cat, vorm, auto);
  }
  return ent;
}

// Whole-word, case-insensitive presence of a value in a text.
export function bevat(tekst, waarde) {
  const w = A().normText(waarde);
  if (!w) return false;
  const bron = escRe(w).replace(/ /g, '\\s+');
  return new RegExp(`(?<![\\p{L}\\p{N}])${bron}(?![\\p{L}\\p{N}])`, 'iu').test(tekst);
}

// Scans documents into the entity list; returns how many hits added an entity. Does not save.
export function scan(docs) {
  const core = A();
  const nooit = new Set(K.nooit.map((t) => core.normText(t).toLowerCase()));
  let nieuw = 0;
  for (const doc of docs) {
    const tekst = core.blocksText(doc.blocks);
    const hits = [...(doc.bekend || []), ...core.detect(tekst)]
      .filter((h) => !nooit.has(core.normText(h.value).toLowerCase()));
    for (const { cat, value } of K.altijd) {
      if (core.CATS[cat] && bevat(tekst, value)) hits.push({ cat, value });
    }
    for (const hit of hits) {
      if (!core.CATS[hit.cat]) continue;
      const voor = S.ents.length;
      voegToe(hit.cat, hit.value, true, hit.rol);
      if (S.ents.length > voor) nieuw += 1;
    }
  }
  return nieuw;
}
