// The entity list: lookup, label numbering, adding values and scanning documents.
import { A } from './globals.js';
import { K } from './kantoorlijst.js';
import { S, volgendId } from './session.js';
import { adem, voortgang } from './ui.js';
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

// Variants are replaced, never changed in place: the display matcher tells
// them apart by the array.
export function voegVariantToe(ent, vorm) {
  ent.variants = A().dedupe(ent.cat, [...ent.variants, vorm]);
}

export function voegToe(cat, value, auto, rol) {
  const waarde = A().normText(value);
  if (!waarde) return null;
  const bestaand = zoekEnt(cat, waarde);
  if (bestaand) {
    // The same number written with other separators ("(038) 421 56 90" and
    // "038 - 421 56 90") is one entity that must find both forms.
    if (isNum(cat)) voegVariantToe(bestaand, waarde);
    return bestaand;
  }
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
  const bron = A().escRe(w).replace(/ /g, '\\s+');
  return new RegExp(`(?<![\\p{L}\\p{N}])${bron}(?![\\p{L}\\p{N}])`, 'iu').test(tekst);
}

// Long texts are detected in parts of about DEEL characters, cut at line
// ends; each part is detected with RAND characters of the text on either side
// and keeps the hits that start inside it, so that the hits are those of the
// whole text at once, while the page can breathe between parts.
const DEEL = 100_000;
const RAND = 4000;

export function* detectInDelen(tekst) {
  const detect = A().detect;
  if (tekst.length <= DEEL) {
    yield detect(tekst);
    return;
  }
  for (let begin = 0; begin < tekst.length;) {
    const regel = tekst.indexOf('\n', begin + DEEL);
    const eind = regel < 0 ? tekst.length : regel + 1;
    const van = Math.max(0, begin - RAND);
    const hits = [];
    for (const hit of detect(tekst.slice(van, Math.min(tekst.length, eind + RAND)))) {
      const start = hit.start + van;
      if (start >= begin && start < eind) hits.push({ ...hit, start, end: hit.end + van });
    }
    yield hits;
    begin = eind;
  }
}

// One document's hits in the order they are added: its known hits, the
// detection part by part, then the office list's always terms. Each step
// gives its hits and how far through the text it is (0 to 1).
function* stappen(doc, nooit) {
  const core = A();
  const weg = (h) => nooit.has(core.normText(h.value).toLowerCase());
  const tekst = core.blocksText(doc.blocks);
  const groot = tekst.length > DEEL;
  yield { hits: (doc.bekend || []).filter((h) => !weg(h)), deel: 0, groot };
  let gedaan = 0;
  for (const hits of detectInDelen(tekst)) {
    gedaan += 1;
    yield { hits: hits.filter((h) => !weg(h)), deel: Math.min(1, (gedaan * DEEL) / Math.max(tekst.length, 1)), groot };
  }
  // The name goes to the AI too, in the heading of each document.
  const naam = naamTekst(doc.name);
  yield { hits: core.detect(naam).filter((h) => !weg(h)), deel: 1, groot };
  const altijd = K.altijd.filter(({ cat, value }) => core.CATS[cat] && (bevat(tekst, value) || bevat(naam, value)));
  yield { hits: altijd.map(({ cat, value }) => ({ cat, value })), deel: 1, groot };
}

// A file name read as text: without its extension, underscores as blanks.
const naamTekst = (naam) => String(naam ?? '').replace(/\.[A-Za-z0-9]{1,5}$/, '').replace(/_+/g, ' ');

function voegHitsToe(hits) {
  let nieuw = 0;
  for (const hit of hits) {
    if (!A().CATS[hit.cat]) continue;
    const voor = S.ents.length;
    voegToe(hit.cat, hit.value, true, hit.rol);
    if (S.ents.length > voor) nieuw += 1;
  }
  return nieuw;
}

const nooitSet = () => new Set(K.nooit.map((t) => A().normText(t).toLowerCase()));

// Scans documents into the entity list; returns how many hits added an entity. Does not save.
export function scan(docs) {
  const nooit = nooitSet();
  let nieuw = 0;
  for (const doc of docs) for (const { hits } of stappen(doc, nooit)) nieuw += voegHitsToe(hits);
  return nieuw;
}

// The same as scan, under the overlay: after every part of a long text the
// overlay tells how far it is and the browser has its turn. Short texts are
// scanned without a pause, as scan does.
export async function scanStapsgewijs(docs) {
  const nooit = nooitSet();
  let nieuw = 0;
  for (const doc of docs) {
    for (const { hits, deel, groot } of stappen(doc, nooit)) {
      nieuw += voegHitsToe(hits);
      if (!groot) continue;
      voortgang(`Bezig met zoeken naar gegevens in ${doc.name}… ${Math.round(deel * 100)}%`);
      await adem();
    }
  }
  return nieuw;
}
