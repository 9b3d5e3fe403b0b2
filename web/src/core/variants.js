// Written forms of an entity: proposed forms for a new entity, their
// de-duplication, and the splitting off of a surname two persons share.
import { isNumCat } from './categories.js';
import { isShortNumber, ownSeparators } from './forms.js';
import {
  alsGelezen, capFirst, normNum, normText, zichtbaar,
} from './normalise.js';
import { TUSSENVOEGSELS, TUSSENVOEGSELS_ELDERS } from './vocabulary.js';
import { INITIALEN, IN_HOOFDLETTERS, RECHTSVORM_AFKORTING } from './words.js';

const ELDERS = new Set(TUSSENVOEGSELS_ELDERS);
// "el" and "ben" are particles only as written in lower case: "Ben" is a first name.
const isTussenvoegsel = (w) => TUSSENVOEGSELS.has(w.toLowerCase()) || ELDERS.has(w);

const RECHTSVORM_EIND = new RegExp('(?:' + RECHTSVORM_AFKORTING + ')$');
const RECHTSVORM_VOORAF = new RegExp('^(' + RECHTSVORM_AFKORTING + ') (.+)$');

export function dedupe(cat, list) {
  const num = isNumCat(cat);
  const seen = new Set();
  const out = [];
  for (const item of list) {
    const t = normText(item);
    if (!t) continue;
    // A number form with separators of its own is searched as written, so it
    // stays beside the forms of the same digits; a short number finds only
    // itself, so its plain form stays beside it too. Invisible characters
    // are no separators: the form is searched without them.
    const key = num ? normNum(t) : t;
    const own = num ? ownSeparators(zichtbaar(t)) : '';
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
    const t = gewoneNaam(v);
    if (t !== v) return dedupe(cat, [v, ...andereVolgorde(v), ...suggestVariants(cat, t)]);
    list.push(...persoonsVormen(v));
  } else if (cat === 'BEDRIJF') {
    const stam = stamZonderRechtsvorm(v);
    if (stam.length > 2) list.push(stam, stam + ' B.V.', stam + ' BV', stam + ' B.V');
    // A Belgian legal form before the name ("NV Decoster Bouw"): also the
    // name alone and with the form after it.
    const vooraf = RECHTSVORM_VOORAF.exec(v);
    if (vooraf && vooraf[2].length > 2) list.push(vooraf[2], vooraf[2] + ' ' + vooraf[1]);
  } else if (cat === 'TELEFOON') {
    list.push(...telefoonVormen(v));
  }
  return dedupe(cat, list);
}

// A person's name as plainly written: "KAREL VAN DAM" -> "Karel van Dam";
// a surname in capitals beside plain first names, in either order, as
// Belgian documents write it, comes after them with its first particle
// capitalised: "DE SMET Els" and "Els DE SMET" -> "Els De Smet". Any other
// value comes back unchanged.
export function gewoneNaam(v) {
  if (!/\p{Lu}{2}/u.test(v)) return v;
  if (v === v.toUpperCase()) return alsGewoneNaam(v);
  const delen = hoofdletterAchternaam(v);
  return delen ? [...delen.voornamen, ...vlaamseAchternaam(delen.achternaam)].join(' ') : v;
}

// The first names and the surname in capitals of a name that holds both,
// with whether the surname comes first; null for any other name.
function hoofdletterAchternaam(v) {
  if (v === v.toUpperCase()) return null;
  const w = v.split(' ');
  const hoofd = (x) => IN_HOOFDLETTERS.test(x);
  const n = w.findIndex((x) => !hoofd(x));
  if (n > 0 && !w.slice(n).some(hoofd)) return { voornamen: w.slice(n), achternaam: w.slice(0, n), voorop: true };
  const m = w.findIndex(hoofd);
  if (m > 0 && w.slice(m).every(hoofd)) return { voornamen: w.slice(0, m), achternaam: w.slice(m), voorop: false };
  return null;
}

// The same name in the other order: "DE SMET Els" and "Els DE SMET".
function andereVolgorde(v) {
  const delen = hoofdletterAchternaam(v);
  if (!delen) return [];
  const { voornamen, achternaam, voorop } = delen;
  return [(voorop ? [...voornamen, ...achternaam] : [...achternaam, ...voornamen]).join(' ')];
}

function alsGewoneNaam(v) {
  return v.split(' ').map((w, i) => {
    if (i > 0 && TUSSENVOEGSELS.has(w.toLowerCase())) return w.toLowerCase();
    if (INITIALEN.test(w)) return w;
    // "IJ" is one letter: "IJSBRAND" is "IJsbrand"; a name called by keeps its
    // capital inside its parentheses: "(PIET)" is "(Piet)".
    const [kop] = /^\P{L}*(?:IJ|.)/u.exec(w);
    return kop + w.slice(kop.length).toLowerCase();
  }).join(' ');
}

// "VAN DEN BROECK" -> "Van den Broeck", "D'HONDT" -> "D'Hondt".
function vlaamseAchternaam(w) {
  return w.map((x, i) => {
    const klein = x.toLowerCase();
    if (i > 0 && TUSSENVOEGSELS.has(klein)) return klein;
    return klein.replace(/(^|['’\-])(ij|\p{L})/gu, (_, voor, letter) => voor + letter.toUpperCase());
  });
}

// A name split into the words before its surname and the surname: from the
// first particle after the first word on, else the last word.
export function naamDelen(v) {
  const words = v.split(' ');
  let at = words.findIndex((w, i) => i > 0 && isTussenvoegsel(w));
  if (at < 0) at = words.length - 1;
  return { voor: words.slice(0, at), achter: words.slice(at) };
}

function persoonsVormen(v) {
  const { voor, achter: woorden } = naamDelen(v);
  const achter = woorden.join(' ');
  if (!voor.length || !achter) return [];
  // A name that opens with its particle ("De Vries", "Van den Berg") is a
  // surname alone: its first word is no first name to leave out or shorten
  // ("mevrouw de Vries" came back as "mevrouw de De Vries"). Its other form
  // has the particle in the other case.
  if (voor.every(isTussenvoegsel)) return [andereBeginletter(v)];
  const forms = [];
  // A short one-word surname alone would replace too much ("Ek", "Bos").
  if (woorden.length > 1 || achter.length > 3) {
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

function andereBeginletter(v) {
  return /^\p{Ll}/u.test(v) ? capFirst(v) : v[0].toLowerCase() + v.slice(1);
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

// Invisible characters aside: "Kui&shy;pers" is the surname "Kuipers".
const k = (x) => alsGelezen(x).toLowerCase();

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
