// Tests on one word or one value, and the small word functions built on the
// vocabulary.
import {
  ACHTERVOEGSELS, HOOFD_TV, OVERHEID, ROLLEN, STOPWOORDEN, TUSSENVOEGSELS, VELDKOPPEN,
} from './vocabulary.js';
import { RE_WIT } from './normalise.js';

export const WEEKDAG = /^(?:maandag|dinsdag|woensdag|donderdag|vrijdag|zaterdag|zondag|datum)$/i;
export const STRAAT_ACHTERVOEGSEL = new RegExp('(?:' + ACHTERVOEGSELS + ')$');
// The Belgian legal forms, and all abbreviated legal forms a firm's name
// ends in, as pattern source.
export const RECHTSVORM_BELGISCH = String.raw`BVBA|bvba|VZW|vzw|Comm\.?V\.?`;
export const RECHTSVORM_AFKORTING = String.raw`B\.\s?V\.?|BV|N\.\s?V\.?|NV|V\.O\.F\.?|VOF|C\.V\.|CV|` + RECHTSVORM_BELGISCH;
export const RECHTSVORM = new RegExp(String.raw`(?:^|\s)(?:B\.?\s?V\.?|N\.?\s?V\.?|V\.?O\.?F\.?|C\.?V\.?|U\.A\.|` + RECHTSVORM_BELGISCH
  + String.raw`|Stichting|Vereniging|Holding|Coöperatie|Maatschap|Beheer)(?:\s|$)`, 'i');
// A currency written as a word: "1000 EUR", "25 euro".
export const MUNTWOORD = String.raw`(?:EUR(?:OS?)?|[Ee]ur(?:os?)?)`;
export const WERKWOORD_MEERVOUD = /(?:eren|elen|enen|aars|eurs|ers|ingen)$/;
export const ZELFSTANDIG_NAAMWOORD = /(?:ing|heid|schap|teit|tie|sie|nis|ment|ingen|aties|lijk|isch)$/;
export const GEEN_AANSPREEKNAAM = /^(?:Allen|Collega'?s?|Relatie|Klant|Dames|Heren|Lezer|Team|Mevrouw|Heer|Heer\/mevrouw)$/;
export const INITIALEN = /^(?:IJ\.|\p{Lu}\.)+$/u;
// A word in capitals only, as a surname in capitals is written ("PEETERS", "D'HONDT").
export const IN_HOOFDLETTERS = /^\p{Lu}[\p{Lu}'’\-]+$/u;
export const KANTOORWOORD = /(?:Accountants?|Advies|Adviseurs|Administratie(?:kantoor)?|Belastingadvies|Groep|Kantoor|Notarissen|Advocaten|Consultancy|Partners)$/;

export function words(v) {
  return v.split(RE_WIT).filter(Boolean);
}

// A label as written with either case of its first letter, or all capitals.
export function hoofdletterVarianten(w) {
  const first = w.charAt(0);
  return '(?:[' + first.toUpperCase() + first + ']' + w.slice(1) + '|' + w.toUpperCase() + ')';
}

// The role prefix a field label gives, or null.
export function rolVan(label) {
  const rest = label.replace(/^naam\s*/i, '').trim();
  const hit = ROLLEN.find(({ re }) => re.test(rest));
  return hit ? hit.rol : null;
}

export function laatsteWoord(v) {
  return v.replace(/^[\s\S]*\s/, '');
}

export function isStraat(v) {
  return STRAAT_ACHTERVOEGSEL.test(laatsteWoord(v).toLowerCase());
}

// Drops sentence words and numbers off the front of a name, but keeps a
// capitalised particle that starts the surname ("De Vries", "Van der Berg").
export function stopwoordVooraan(v) {
  const w = words(v);
  let i = 0;
  while (w.length - i > 1) {
    const word = w[i];
    const next = w[i + 1];
    const startsSurname = HOOFD_TV.has(word) && (/^[A-Z]/.test(next) || TUSSENVOEGSELS.has(next));
    if ((STOPWOORDEN.has(word) && !startsSurname) || /^\d+$/.test(word)) i++;
    else break;
  }
  return w.slice(i).join(' ');
}

// The street name without its house number.
export function streetName(street) {
  const digit = street.search(/\d/);
  return (digit < 0 ? street : street.slice(0, digit)).replace(/\s+$/, '');
}

const SUFFIX_WOORDEN = new Set(ACHTERVOEGSELS.split('|'));
// The lower-case words of street names that open a street ("Achter de Hof").
const STRAAT_VOORZETSELS = new Set(['achter', 'over', 'onder', 'tegen', 'voor', 'aan', 'bij', 'op', 'in', 'te']);

// A value that ends in a street suffix reads as a street, except a surname
// that is the suffix word itself after a particle ("van Dijk", "van 't Hof",
// "van der Laan") where no street preposition opens the value.
export function straatVorm(v) {
  if (!isStraat(v)) return false;
  const w = words(v);
  const n = w.length;
  const achternaam = n > 1 && SUFFIX_WOORDEN.has(w[n - 1].toLowerCase()) && TUSSENVOEGSELS.has(w[n - 2].toLowerCase());
  return !achternaam || STRAAT_VOORZETSELS.has(w[0].toLowerCase());
}

// A name that a label, honorific, enumeration, closing formula or greeting
// announces may end like a street: Van Dijk, Nijhof and Westerveld are
// common surnames. A name found by its shape alone may not.
export function naamOk(v, aangekondigd = false) {
  const w = words(v);
  if (w.every((x) => STOPWOORDEN.has(x) || TUSSENVOEGSELS.has(x.toLowerCase()))) return false;
  // Field names of a header row; a particle before one makes a surname
  // ("Van der Plaats").
  if (w.every((x) => STOPWOORDEN.has(x) || VELDKOPPEN.has(x))) return false;
  if (isOverheid(v)) return false;
  return aangekondigd || !straatVorm(v);
}

// A public body: one of its words, or a word ending in "dienst".
export function isOverheid(v) {
  return words(v).some((w) => OVERHEID.has(w) || /dienst$/.test(w));
}

export function titel(w) {
  return w.charAt(0) + w.slice(1).toLowerCase();
}
