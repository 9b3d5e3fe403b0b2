// Written forms of an entity: proposed forms for a new entity, their
// de-duplication, and the splitting off of a surname two persons share.
import { isNumCat } from './categories.js';
import { isShortNumber, ownSeparators } from './forms.js';
import { capFirst, normNum, normText } from './normalise.js';
import { TUSSENVOEGSELS, TUSSENVOEGSELS_ELDERS } from './vocabulary.js';
import { INITIALEN, RECHTSVORM_AFKORTING } from './words.js';

const ELDERS = new Set(TUSSENVOEGSELS_ELDERS);
// "el" and "ben" are particles only as written in lower case: "Ben" is a first name.
const isTussenvoegsel = (w) => TUSSENVOEGSELS.has(w.toLowerCase()) || ELDERS.has(w);

const RECHTSVORM_EIND = new RegExp('(?:' + RECHTSVORM_AFKORTING + ')$');

export function dedupe(cat, list) {
  const num = isNumCat(cat);
  const seen = new Set();
  const out = [];
  for (const item of list) {
    const t = normText(item);
    if (!t) continue;
    // A number form with separators of its own is searched as written, so it
    // stays beside the forms of the same digits; a short number finds only
    // itself, so its plain form stays beside it too.
    const key = num ? normNum(t) : t;
    const own = num ? ownSeparators(t) : '';
    const asSearched = own ? key + '\u0001' + own : key;
    if (seen.has(asSearched)) continue;
    if (!num || !isShortNumber(t)) seen.add(key);
    seen.add(asSearched);
    out.push(t);
  }
  return out;
}

export function suggestVariants(cat, value) {
  const v = normText(value);
  const list = [v];
  if (cat === 'PERSOON') {
    const t = alsGewoneNaam(v);
    if (t !== v) return dedupe(cat, [v, ...suggestVariants(cat, t)]);
    list.push(...persoonsVormen(v));
  } else if (cat === 'BEDRIJF') {
    const stam = stamZonderRechtsvorm(v);
    if (stam.length > 2) list.push(stam, stam + ' B.V.', stam + ' BV', stam + ' B.V');
  } else if (cat === 'TELEFOON') {
    list.push(...telefoonVormen(v));
  }
  return dedupe(cat, list);
}

// "KAREL VAN DAM" -> "Karel van Dam"; any other value comes back unchanged.
function alsGewoneNaam(v) {
  if (!/\p{Lu}{2}/u.test(v) || v !== v.toUpperCase()) return v;
  return v.split(' ').map((w, i) => {
    if (i > 0 && TUSSENVOEGSELS.has(w.toLowerCase())) return w.toLowerCase();
    if (INITIALEN.test(w)) return w;
    // "IJ" is one letter: "IJSBRAND" is "IJsbrand"; a name called by keeps its
    // capital inside its parentheses: "(PIET)" is "(Piet)".
    const [kop] = /^\P{L}*(?:IJ|.)/u.exec(w);
    return kop + w.slice(kop.length).toLowerCase();
  }).join(' ');
}

function persoonsVormen(v) {
  const words = v.split(' ');
  let at = words.findIndex((w, i) => i > 0 && isTussenvoegsel(w));
  if (at < 0) at = words.length - 1;
  const voor = words.slice(0, at);
  const achter = words.slice(at).join(' ');
  if (!voor.length || !achter) return [];
  const forms = [];
  // A short one-word surname alone would replace too much ("Ek", "Bos").
  if (at < words.length - 1 || achter.length > 3) {
    forms.push(achter);
    if (/^[a-z]/.test(achter)) forms.push(capFirst(achter));
  }
  // A name called by between parentheses ("P.J. (Piet) Visser") has no initial.
  const voornamen = voor.filter((w) => !/^\(.*\)$/.test(w));
  if (!voornamen.length) return forms;
  const initialen = voornamen.map(voorletter);
  forms.push(initialen.join('') + ' ' + achter);
  if (voornamen.length === 1 && initialen[0] !== voornamen[0]) forms.push(initialen[0].replace('.', '') + ' ' + achter);
  return forms;
}

function voorletter(w) {
  if (/^[A-Z]\.?$/.test(w) || INITIALEN.test(w)) return w.endsWith('.') ? w : w + '.';
  return String.fromCodePoint(w.codePointAt(0)).toUpperCase() + '.';
}

// The stem before a closing Dutch legal form, or '' when there is none.
// Found from the end by hand: a regex anchored at both ends would backtrack
// quadratically over long runs of separators.
function stamZonderRechtsvorm(v) {
  const m = RECHTSVORM_EIND.exec(v);
  if (!m) return '';
  let end = m.index;
  while (end > 0 && /[\s,]/.test(v[end - 1])) end--;
  return end < m.index ? v.slice(0, end) : '';
}

function telefoonVormen(v) {
  // "(0)" after the country code is no digit of the number: +31 (0)20 ... is 020 ...
  const n = v.replace(/\(\s*0\s*\)/g, '').replace(/[^\d+]/g, '');
  // Dutch and Belgian numbers from abroad are also written nationally.
  if (n.startsWith('+31') || n.startsWith('+32')) return ['0' + n.slice(3)];
  if (n.startsWith('0031') || n.startsWith('0032')) return ['0' + n.slice(4)];
  const m = /^0([1-9])(.*)$/.exec(n);
  return m ? ['+31' + m[1] + m[2], '+31 ' + m[1] + ' ' + m[2]] : [];
}

const k = (x) => normText(x).toLowerCase();

// Removes the forms of person ent that other persons share, from all of
// them, and returns those forms as ent wrote them.
export function gedeeldeVarianten(entities, ent) {
  if (ent.cat !== 'PERSOON') return [];
  const persons = entities.filter((e) => e !== ent && e.cat === 'PERSOON');
  const eigen = k(ent.value);
  const gedeeld = [];
  for (const v of [...ent.variants]) {
    const kv = k(v);
    if (kv === eigen) continue;
    const others = persons.filter((e) => k(e.value) !== kv && e.variants.some((x) => k(x) === kv));
    if (!others.length) continue;
    for (const e of others) removeWhere(e.variants, (x) => k(x) === kv);
    gedeeld.push(v);
  }
  const weg = new Set(gedeeld.map(k));
  const waarden = new Set(persons.map((e) => k(e.value)));
  removeWhere(ent.variants, (x) => weg.has(k(x)) || (k(x) !== eigen && waarden.has(k(x))));
  return gedeeld;
}

function removeWhere(list, pred) {
  let j = 0;
  for (const x of list) if (!pred(x)) list[j++] = x;
  list.length = j;
}
