// Street addresses found by their context. A Dutch postcode anchors a Dutch
// address; a Belgian postcode proves nothing by itself, so a Belgian address
// also needs a street suffix, an honorific line above or a country line below.
// The name or company on the line above an address block is found too.
import {
  HUISNUMMER, PLAATSNAAM, SP, STRAAT, VELD_SCHEIDING, alleenstaand, veldLabels,
} from './building-blocks.js';
import {
  ADRES_VELDNAMEN, FRANSE_STRAATDELEN, FRANSE_STRAATWOORDEN, INSTELLING_BEGIN, INSTELLING_EIND, PLAATS_VELDNAMEN,
  STOPWOORDEN, TUSSENVOEGSELS,
} from './vocabulary.js';
import {
  INITIALEN, KANTOORWOORD, MUNTWOORD, RECHTSVORM, isOverheid, isStraat, stopwoordVooraan, streetName,
} from './words.js';

// A street never starts inside a run of letters joined by dots, hyphens or
// apostrophes ("A.B.C.", "Aa-Bb-Cc"): each start would rescan the whole run.
const STRAAT_BEGIN = String.raw`(?<![\p{L}\p{N}])(?<![\p{L}'.\-][.'\-])`;
const NL_POSTCODE = String.raw`[1-9]\d{3}` + SP + String.raw`?[A-Z]{2}(?![\p{L}\p{N}])`;
// A label may open the street line and the postcode line ("Postcode en
// plaats: 9203 HD"); it starts with a letter, so that it cannot take the
// blanks before it.
const LABEL = String.raw`(?:\p{L}[\p{L} ]{1,24}:[ \t\u00A0]*)?`;
// The d flag gives the offsets of the groups.
const RE_BLOK = new RegExp(
  String.raw`^[ \t]*` + LABEL + STRAAT + String.raw`[ \t,]*\r?\n[ \t]*` + LABEL + NL_POSTCODE,
  'dgmu',
);
// One blank run on each side of the optional comma or cell bar: two optional
// runs side by side would cost quadratic time on a long run of blanks.
const RE_STRAAT_POSTCODE = new RegExp(
  STRAAT_BEGIN + STRAAT + String.raw`[ \t]*(?:[,|][ \t]*)?` + NL_POSTCODE,
  'dgu',
);
// Also with "te" between street and postcode, as a deed writes it
// ("wonende Doorniksestraat 45 te 8500 Kortrijk").
const RE_BE_REGEL = new RegExp(
  STRAAT_BEGIN + STRAAT + String.raw`(?:[ \t]*[,\-–][ \t]*|[ \t]+te[ \t]+)(?:B-)?([1-9]\d{3})[ \t]+(` + PLAATSNAAM
    + String.raw`)(?![\p{L}])`,
  'dgu',
);
const RE_BE_BLOK = new RegExp(
  String.raw`^[ \t]*` + STRAAT + String.raw`[ \t,]*\r?\n[ \t]*(?:B-)?([1-9]\d{3})[ \t]+(` + PLAATSNAAM
    + String.raw`)[ \t]*$`,
  'dgmu',
);
// Postcode and place before the street, as a deed writes them ("wonende te
// 9000 Gent, Coupure Links 118").
const RE_BE_OMGEKEERD = new RegExp(
  String.raw`(?<![\p{L}\p{N}])([1-9]\d{3})[ \t]+(` + PLAATSNAAM + String.raw`),[ \t]*` + STRAAT,
  'dgu',
);
export const PLAATS_LABEL = veldLabels(PLAATS_VELDNAMEN);
// A Belgian postcode and its place after "te" or a place label ("wonende te
// 8500 Kortrijk", "Woonplaats: 9000 Gent"): the label says what the four
// digits are, unless a currency follows them ("te 1500 EUR" is an amount).
const RE_BE_NA_TE = new RegExp(
  '(?:' + alleenstaand('te') + String.raw`[ \t]+|` + PLAATS_LABEL + VELD_SCHEIDING + String.raw`)(?:B-)?([1-9]\d{3})[ \t]+`
    + '(?!' + MUNTWOORD + String.raw`(?![\p{L}]))(` + PLAATSNAAM + String.raw`)(?![\p{L}])`,
  'dgu',
);
// A French street after an address label, with its postcode and commune
// when they follow ("Zetel: Avenue Louise 54, 1050 Ixelles", "wonende Rue de
// la Loi 16 bte 3, 1000 Bruxelles"). The street word alone proves nothing:
// "Place" and "Square" are also plain words.
const FRANS_STRAATDEEL = String.raw`(?:(?:IJ|\p{Lu})[\p{L}'’.\-]*|[dl]['’]\p{Lu}[\p{L}'’.\-]*|` + FRANSE_STRAATDELEN.join('|') + ')';
const ADRES_LABEL = veldLabels(ADRES_VELDNAMEN) + String.raw`(?:[ \t]*:[ \t]*|[ \t]+)`;
const RE_BE_FRANS = new RegExp(
  ADRES_LABEL
    + '((?:' + FRANSE_STRAATWOORDEN.join('|') + ')(?:' + SP + FRANS_STRAATDEEL + '){1,5}' + SP + HUISNUMMER + String.raw`)(?![\p{L}\p{N}])`
    + String.raw`(?:[ \t]*(?:[,\-–]|\r?\n)[ \t]*(?:B-)?([1-9]\d{3})[ \t]+(` + PLAATSNAAM + String.raw`)(?![\p{L}]))?`,
  'dgu',
);
// After an address label a street needs no street suffix to be one
// ("Adres: Meir 24, 2000 Antwerpen").
const ADRES_ERVOOR = new RegExp('(?<=' + ADRES_LABEL + ')', 'uy');
const naAdresLabel = (text, at) => {
  ADRES_ERVOOR.lastIndex = at;
  return ADRES_ERVOOR.test(text);
};
const TE_ERVOOR = /(?<![\p{L}])te[ \t]+(?:B-)?$/u;
// Such a postcode opens its line or follows a comma, a colon or "te": in a
// sentence the four digits are a year ("In 2023 Jansen, Kerkstraat 12").
const OMGEKEERD_ERVOOR = /(?:^|[\n,;:(]|(?<![\p{L}])te)[ \t]*(?:B-)?$/u;
const RE_LINE_BELOW = /\r?\n[ \t]*(\S[^\n]*)/y;
const AANHEF_REGEL = /^[ \t]*(?:de heer|heer|mevrouw|dhr\.?|mevr\.?|mw\.?|mr\.?|t\.a\.v\.?|fam(?:ilie)?\.?)[ \t]/i;
const AANHEF_WEG = /^[ \t]*(?:de heer|heer|mevrouw|dhr\.?|mevr\.?|mw\.?|t\.a\.v\.?|fam(?:ilie)?\.?)[ \t]+/i;
const ADRESKOP = /^(?:Retouradres|Postadres|Bezoekadres|Adres|Afzender|Factuuradres|Correspondentieadres|Postbus)$/i;
const LAND_BELGIE = /^(?:belgi[eë]|belgique|belgium|belgien)$/i;
const RE_NAAMWOORD = /^\p{Lu}[\p{L}'.\-&]*$/u;
const MAX_NAAM_LENGTE = 70;
const MAX_NAAM_WOORDEN = 7;

function hitAt(m, group, cat) {
  const start = m.indices[group][0];
  return { start, end: start + m[group].length, cat, value: m[group] };
}

// The line that ends just before `lineStart`, without its line end.
function lineAbove(text, lineStart) {
  if (lineStart === 0) return { regel: '', start: 0 };
  const end = lineStart - 1;
  const start = text.lastIndexOf('\n', end - 1) + 1;
  return { regel: text.slice(start, end).replace(/\r$/, ''), start };
}

function nameWordOk(w) {
  return RE_NAAMWOORD.test(w) || INITIALEN.test(w) || TUSSENVOEGSELS.has(w) || w === 'en' || w === '&';
}

// A firm's line is a company; a public body's or institution's line
// ("Belastingdienst", "Gemeente Utrecht", "Hoge Raad der Nederlanden") is
// nobody's name. A single word may be a surname ("Koning").
function naamBovenAdres(hits, regel, start) {
  const line = regel.replace(/\s+$/, '');
  const rest = line.replace(AANHEF_WEG, '').trim();
  if (!rest || /[:\d@]/.test(rest) || rest.length > MAX_NAAM_LENGTE) return;
  const words = rest.split(/\s+/);
  if (words.length > MAX_NAAM_WOORDEN || STOPWOORDEN.has(words[0]) || ADRESKOP.test(words[0])) return;
  if (!words.every(nameWordOk)) return;
  const firma = RECHTSVORM.test(rest) || KANTOORWOORD.test(rest);
  const instelling = words.length > 1 && (INSTELLING_BEGIN.has(words[0]) || INSTELLING_EIND.has(words[words.length - 1]));
  if (!firma && (isOverheid(rest) || instelling)) return;
  const from = start + line.length - rest.length;
  hits.push({ start: from, end: from + rest.length, cat: firma ? 'BEDRIJF' : 'PERSOON', value: rest });
}

export function adressen(text) {
  const hits = [];
  for (const m of text.matchAll(RE_BLOK)) {
    hits.push(hitAt(m, 1, 'ADRES'));
    if (m.index > 0) {
      const { regel, start } = lineAbove(text, m.index);
      naamBovenAdres(hits, regel, start);
    }
  }
  for (const m of text.matchAll(RE_STRAAT_POSTCODE)) {
    const street = stopwoordVooraan(m[1]);
    const start = m.indices[1][0] + m[1].length - street.length;
    hits.push({ start, end: start + street.length, cat: 'ADRES', value: street });
  }
  return hits;
}

function countryBelow(text, from) {
  RE_LINE_BELOW.lastIndex = from;
  const below = RE_LINE_BELOW.exec(text);
  return below !== null && LAND_BELGIE.test(below[1].trim());
}

function belgianHits(m) {
  return [hitAt(m, 1, 'ADRES'), hitAt(m, 2, 'POSTCODE'), hitAt(m, 3, 'PLAATS')];
}

export function belgischeAdressen(text) {
  const hits = [];
  for (const m of text.matchAll(RE_BE_REGEL)) {
    if (isStraat(streetName(m[1])) || naAdresLabel(text, m.index)) hits.push(...belgianHits(m));
  }
  for (const m of text.matchAll(RE_BE_BLOK)) {
    const { regel, start } = lineAbove(text, m.index);
    const accepted = isStraat(streetName(m[1])) || AANHEF_REGEL.test(regel)
      || countryBelow(text, m.index + m[0].length);
    if (!accepted) continue;
    hits.push(...belgianHits(m));
    if (regel) naamBovenAdres(hits, regel, start);
  }
  for (const m of text.matchAll(RE_BE_OMGEKEERD)) {
    const ervoor = text.slice(Math.max(0, m.index - 20), m.index);
    if (!OMGEKEERD_ERVOOR.test(ervoor) || (!isStraat(streetName(m[3])) && !TE_ERVOOR.test(ervoor))) continue;
    hits.push(hitAt(m, 3, 'ADRES'), hitAt(m, 1, 'POSTCODE'), hitAt(m, 2, 'PLAATS'));
  }
  for (const m of text.matchAll(RE_BE_NA_TE)) hits.push(hitAt(m, 1, 'POSTCODE'), hitAt(m, 2, 'PLAATS'));
  for (const m of text.matchAll(RE_BE_FRANS)) {
    hits.push(hitAt(m, 1, 'ADRES'));
    if (m[2]) hits.push(hitAt(m, 2, 'POSTCODE'), hitAt(m, 3, 'PLAATS'));
  }
  return hits;
}
