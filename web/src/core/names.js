// Person names, found where the text announces them (field labels,
// honorifics, names in capitals, enumerations) and by their own shape
// (initials, particles, under a closing formula, after a greeting); and the
// clean-up of company names found by their legal form.
import {
  AANHEF, ACHTER, HOOFDLETTER_VOORAF, MAX_VOORNAMEN, NAAM, ONDERTEKENING, SP, TV, TV_ELDERS, TV_GELIJMD, VELD_LABEL, VELD_SCHEIDING, VL, VOORLETTER_VOORAF,
  WOORD, naKoppelteken,
} from './building-blocks.js';
import {
  GEEN_VOORLETTERS, INSTELLING_BEGIN, INSTELLING_EIND, STOPWOORDEN, STRAAT_BEGIN, TUSSENVOEGSELS, VELDKOPPEN, VELDNAMEN,
} from './vocabulary.js';
import {
  GEEN_AANSPREEKNAAM, INITIALEN, IN_HOOFDLETTERS, KANTOORWOORD, RECHTSVORM, WERKWOORD_MEERVOUD, ZELFSTANDIG_NAAMWOORD,
  hoofdletterVarianten, isStraat, laatsteWoord, naamOk, rolVan, stopwoordVooraan, titel, words,
} from './words.js';

const MAX_VERVOLG = 6;
const VERVOLG_WINDOW = 200;
const MIN_HOOFDLETTER_WOORD = 3;
const MAX_KOPRIJ = 400;

// A word in capitals is never "EN" or the next honorific, so that two
// persons joined by EN stay two ("DHR R.A. MULDER EN MW S. MULDER").
const HOOFD_WOORD = String.raw`(?!(?:EN|DHR|MW|MEVR|MEVROUW|HEER)(?![\p{L}.]))\p{Lu}[\p{Lu}'\-]+`;
// A surname in capitals beside its first names, in either order, as Belgian
// deeds and payslips write it ("DE SMET Els", "Marc VAN HOVE"), particles in
// capitals included. A legal form, title or abbreviation after a name is no
// part of it ("Jan Jansen BV", "J. Smit RA", "de heer Bakker AOW"), nor is
// the first part of a compound ("mevrouw Jansen WOZ-waarde").
const NA_NAAM = String.raw`(?:BV|NV|VOF|CV|BVBA|VZW|CVBA|COMMV|SA|SRL|RA|AA|MSC|MBA|CPA|DGA|CEO|CFO|BSN|IBAN|KVK|BTW|RRN|TEL|FAX|GEB|`
  + String.raw`AOW|ANW|WOZ|OVB|EUR|UWV|ANBI|AWBZ|WIA|WAO|WMO|DUO)(?![\p{L}])`;
const HOOFD_NAAMWOORD = '(?!' + NA_NAAM + ')' + HOOFD_WOORD + String.raw`(?!-\p{Ll})`;
const HOOFD_ACHTERNAAM = '(?:' + HOOFD_NAAMWOORD + SP + '){0,3}' + HOOFD_NAAMWOORD;
const VOORNAMEN_NA = '(?:' + SP + WOORD + '){1,' + MAX_VOORNAMEN + String.raw`}(?![\p{L}:])`;
const GEMENGD = '(?:' + HOOFD_ACHTERNAAM + VOORNAMEN_NA + '|(?:' + WOORD + SP + '){1,' + MAX_VOORNAMEN + '}' + HOOFD_ACHTERNAAM
  + String.raw`(?![\p{L}:]))`;

// The d flag gives the offsets of the name groups. A label that ends its
// line opens a list of names (group 2 stays empty).
const RE_VELD = new RegExp(VELD_LABEL + '(?:' + VELD_SCHEIDING + '(' + GEMENGD + '|' + NAAM + String.raw`)|[ \t\u00A0]*:[ \t\u00A0]*\r?\n)`, 'dgu');
const RE_AANHEF = new RegExp(AANHEF + '(' + GEMENGD + '|' + NAAM + ')', 'dgu');
const RE_VERVOLG = new RegExp('^(?:[ \\t]*,[ \\t]*|[ \\t]+en[ \\t]+|[ \\t]*&[ \\t]*)(?:' + AANHEF + ')?(' + GEMENGD + '|' + NAAM + ')', 'du');
const RE_NAAM_VOORAAN = new RegExp(NAAM, 'uy');
// A name in capitals after an honorific, with the first names after it
// that Belgian documents write in plain case ("DE HEER PEETERS Marc").
const RE_AANHEF_HOOFD = new RegExp(
  String.raw`(?<![\p{L}])(?:DE` + SP + String.raw`HEER|HEER|MEVROUW|DHR\.?|MEVR\.?|MW\.?|MR\.|DRS\.|IR\.|ING\.|DR\.|T\.A\.V\.?|FAM(?:ILIE)?\.?|[Dd]e heer|[Dd]hr\.?|[Mm]evr\.?|[Mm]evrouw|[Mm]w\.?|[Tt]\.a\.v\.?)[ \t]+`
    + String.raw`((?:\p{Lu}\.` + SP + '?){0,5}(?:' + HOOFD_WOORD + SP
    + '){0,' + MAX_VOORNAMEN + "}(?:(?:VAN|DE|DER|DEN|TER|TEN|HET|'T|VON|van|de|der|den|ter|ten)" + SP
    + '){0,3}' + HOOFD_WOORD + String.raw`)(?![\p{L}.])(` + VOORNAMEN_NA + ')?',
  'dgu',
);
// A call name in parentheses may follow the initials ("P.J. (Piet) Visser").
const RE_VOORLETTERS = new RegExp(
  VOORLETTER_VOORAF + String.raw`(?<![\p{L}\p{N}.])(` + VL + String.raw`)((?:\(` + WOORD + String.raw`\)` + SP + ')?(?:' + TV + SP
    + '){0,3}' + ACHTER + ')',
  'dgu',
);
const RE_TUSSENVOEGSEL = new RegExp(
  HOOFDLETTER_VOORAF + String.raw`(?<![\p{L}\p{N}])` + naKoppelteken(String.raw`\p{L}\p{N}`) + '((?:' + WOORD + SP
    + "){1,2}(?:(?:van|de|der|den|ten|ter|'t|" + TV_ELDERS + ')' + SP + '|' + TV_GELIJMD + '){1,3}'
    + WOORD + '(?:-' + WOORD + String.raw`)?)(?![\p{L}:])`,
  'dgu',
);
// What must follow a name (the end of its line, the comma after a greeting)
// is tested after the match, not in the pattern: a pattern that fails after
// a name retries every split of a long hyphenated run, in quadratic time.
const RE_ONDERTEKENING = new RegExp(ONDERTEKENING + '(' + NAAM + ')', 'dgu');
// The firm's line may stand between the closing formula and the name.
const RE_ONDERTEKENING_FIRMA = new RegExp(
  ONDERTEKENING + String.raw`(\S[^\n]{0,79})\n(?:[ \t]*\n){0,3}[ \t]*(` + NAAM + ')',
  'dgu',
);
// One name, or two joined by "en" ("Beste Marieke en Robin,").
const RE_GROET = new RegExp(
  String.raw`(?<![\p{L}])(?:Beste|Hallo|Hoi|Dag|Lieve|Geachte)[ \t]+(` + NAAM + String.raw`)(?:[ \t]+en[ \t]+(` + NAAM + '))?',
  'dgu',
);
const NA_ONDERTEKENING = /[ \t]*(?:\n|$)/y;
const NA_GROET = /[ \t]*[,!\n]/y;
const NA_LIJST_ITEM = /[ \t]*(?:\r?\n|$)/y;
// Initials alone after their own label ("Voorletters: K.J.").
const RE_VOORLETTERS_VELD = new RegExp(
  String.raw`(?<![\p{L}])` + hoofdletterVarianten('voorletters') + VELD_SCHEIDING + '(' + VL + String.raw`)(?![\p{L}])`,
  'dgu',
);
// The items of a list under a label that ends its line ("Kinderen:"): each
// a line with one name, with or without its list sign (a document's list
// items come without).
const RE_LIJST_ITEM = new RegExp(String.raw`[ \t]*(?:(?:[-•*–]|\d{1,2}[.)])[ \t]+)?(` + NAAM + ')', 'dyu');
// Only a label in the plural opens such a list: after "Werknemer:" the
// lines are headings ("Vakantiegeld"), not names.
const LIJST_LABEL = /(?:en|s)$/i;
// In a header row the next cell holds another label ("Huurder  Verhuurder").
const ALLEEN_LABEL = new RegExp('^(?:' + VELDNAMEN.join('|') + ')$', 'i');
// The cells of a table row: split at tabs or at runs of two or more blanks.
const CELGRENS = /\t|[ \u00A0]{2,}/;
const LABELVORM = /^\p{L}[\p{L}'’.\- ]*$/u;
const isVeldLabel = (cel) => ALLEEN_LABEL.test(cel) || VELDKOPPEN.has(titel(cel)) || STOPWOORDEN.has(titel(cel));
const kanWaardeZijn = (cel) => !isVeldLabel(cel) || (ALLEEN_LABEL.test(cel) && !VELDKOPPEN.has(titel(cel)));
// A title before a notary's or lawyer's name: "te" after it starts the seat.
const ZETEL_TITEL = /(?:notaris|meester|mr\.)[ \t]+$/i;
const ZETEL_TE = /^te\s|(?<=\S\s+\S+)\s+te\s/;
const STRAAT_ZONDER_NAAM = /\p{L}(?:straat|straatweg|plein|gracht|steeg|singel|plantsoen|dreef|allee)$/iu;
const RE_INSTELLING_SLOT = /(?:dienst|ing|heid|schap|teit|tie|limieten|zaken)$/;
// In capitals these particles stand inside a name, never at its edges,
// unless an honorific before it names a person.
const HOOFD_PARTIKELS = new Set(['De', 'Van', 'Het']);
// After "T.a.v." capitals may well be a heading ("T.A.V. DE VOORZITTER").
const TER_ATTENTIE = /^[Tt]\.[Aa]\.[Vv]/;
const KLINKER = /[AEIOUYÀ-ÆÈ-ÏÒ-ÖØ-ÜÝ]/u;

const groupStart = (m, group) => m.indices[group][0];

function volgt(re, text, m) {
  re.lastIndex = m.index + m[0].length;
  return re.test(text);
}

// A person's name as it stands at `start`, with the role its label gives.
function naamHit(hits, start, value, rol) {
  const hit = { start, end: start + value.length, cat: 'PERSOON', value };
  if (rol) hit.rol = rol;
  hits.push(hit);
}

// `aangekondigd`: the text announces the name (label, honorific, enumeration,
// closing formula, greeting), so it may end like a street.
function persoonHit(hits, start, value, { rol, aangekondigd = false } = {}) {
  const trimmed = stopwoordVooraan(value);
  const name = zonderStraatWoord(trimmed);
  if (naamOk(name, aangekondigd)) naamHit(hits, start + value.length - trimmed.length, name, rol);
}

// A name never runs on into a street name ("de heer Ter Laan Kerkstraat"):
// a last word compounded with a street suffix is cut off. The suffix alone
// after a particle is a surname ("van der Steeg").
function zonderStraatWoord(name) {
  const w = name.split(' ');
  const cut = w.length > 1 && STRAAT_ZONDER_NAAM.test(w[w.length - 1]) && !TUSSENVOEGSELS.has(w[w.length - 2].toLowerCase());
  return cut ? w.slice(0, -1).join(' ') : name;
}

// After a notary's or lawyer's title, "te" and what follows is the seat
// ("notaris Jan Baert te Nazareth"), not a particle; after initials or a
// single name it is one ("mr. A.B. te Velde"). `ervoor` is the text from the
// match's start to the name.
function zonderZetel(ervoor, name) {
  const te = ZETEL_TITEL.test(ervoor) ? name.search(ZETEL_TE) : -1;
  return te < 0 ? name : name.slice(0, te);
}

function vervolgNamen(hits, text, pos, rol) {
  for (let n = 0; n < MAX_VERVOLG; n++) {
    const m = RE_VERVOLG.exec(text.slice(pos, pos + VERVOLG_WINDOW));
    if (!m) return;
    aangekondigdeNaam(hits, pos + groupStart(m, 1), m[1], rol, m[0].slice(0, groupStart(m, 1)));
    pos += m[0].length;
  }
}

// A table's header row ("Naam\tRol\tRekening\tE-mail"), whatever its labels:
// three or more cells that each read as a label (words without digits or
// signs, one word unless a known label), and not pairs of a known label and
// its value ("Naam\tJansen\tVoornaam\tJan"; a person's role is as often a
// value as a heading: "Naam\tJansen\tRol\tErfgenaam"). A header row is short:
// a longer line is none, which keeps a long line of tabs linear. A label with
// a colon heads no column.
function isKopRij(text, at) {
  const voor = text.slice(Math.max(0, at - MAX_KOPRIJ), at);
  const na = text.slice(at, at + MAX_KOPRIJ);
  const begin = voor.lastIndexOf('\n');
  const eind = na.indexOf('\n');
  if ((begin < 0 && at > MAX_KOPRIJ) || (eind < 0 && text.length - at > MAX_KOPRIJ)) return false;
  const rij = voor.slice(begin + 1) + (eind < 0 ? na : na.slice(0, eind));
  const cellen = rij.trim().split(CELGRENS).map((c) => c.trim());
  if (cellen.length < 3) return false;
  if (!cellen.every((c) => LABELVORM.test(c) && (isVeldLabel(c) || !/\s/.test(c)))) return false;
  const paren = cellen.length % 2 === 0 && cellen.every((c, i) => i % 2 === 0 || kanWaardeZijn(c));
  return !paren;
}

// In a row of cells, labels and their values alternate from the row's start:
// a label in a value's place is a value ("Jan Jansen\tErfgenaam\tKrijgt de
// woning", "Naam\tJansen\tRol\tErfgenaam\tAandeel\t50%"), and the cell
// after it none of its. Only a row that starts near it is looked at.
function inWaardeCel(text, at) {
  const voor = text.slice(Math.max(0, at - MAX_KOPRIJ), at);
  const begin = voor.lastIndexOf('\n');
  if (begin < 0 && at > MAX_KOPRIJ) return false;
  const cellen = voor.slice(begin + 1).trimStart().split(CELGRENS);
  return cellen.length % 2 === 0;
}

// `partikelVooraan`: a particle may open the name, since first names in
// plain case stand beside it ("DE SMET Els") or an honorific names a person
// before it ("DHR. DE VRIES"); otherwise it would open a heading.
function capitalsNameOk(name, partikelVooraan = false) {
  const all = words(name);
  const named = all.map((w, i) => [w, i]).filter(([w]) => !INITIALEN.test(w));
  if (named.length === 0) return false;
  const bad = ([w, i]) => {
    const t = titel(w);
    const inside = (i > 0 || partikelVooraan) && i < all.length - 1;
    const stop = STOPWOORDEN.has(t) && !(HOOFD_PARTIKELS.has(t) && inside);
    return stop || INSTELLING_BEGIN.has(t) || INSTELLING_EIND.has(t) || ZELFSTANDIG_NAAMWOORD.test(t);
  };
  if (named.some(bad)) return false;
  return named.length > 1 || named[0][0].length >= MIN_HOOFDLETTER_WOORD;
}

// A plain-case word beside a surname in capitals that is no first name.
function geenVoornaam(w) {
  return STOPWOORDEN.has(w) || INSTELLING_BEGIN.has(w) || INSTELLING_EIND.has(w) || VELDKOPPEN.has(w)
    || ZELFSTANDIG_NAAMWOORD.test(w) || isStraat(w) || KANTOORWOORD.test(w) || RECHTSVORM.test(w);
}

// Of a name with its surname in capitals, in either order ("DE SMET Els",
// "Els DE SMET"), the part that is a name: first names after the surname end
// before a word that is none ("PEETERS Kerkstraat"); '' when no part is. A
// surname in capitals needs a vowel ("KPN Zakelijk" is a firm) and is no
// public body ("UWV Amsterdam").
function gemengdeNaam(name) {
  const w = name.split(/[ \u00A0]/);
  const hoofd = (x) => IN_HOOFDLETTERS.test(x) || INITIALEN.test(x);
  const kop = w.findIndex((x) => !hoofd(x));
  let achternaam;
  let end = w.length;
  if (kop > 0) {
    achternaam = w.slice(0, kop);
    for (end = kop; end < w.length && !geenVoornaam(w[end]);) end++;
    if (end === kop) return '';
  } else {
    const n = w.findIndex(hoofd);
    if (w.slice(0, n).some(geenVoornaam)) return '';
    achternaam = w.slice(n);
  }
  const value = name.slice(0, w.slice(0, end).join(' ').length);
  const klinker = KLINKER.test(achternaam.filter((x) => !INITIALEN.test(x)).join(''));
  return klinker && capitalsNameOk(achternaam.join(' '), true) && naamOk(value, true) ? value : '';
}

// A run in capitals may go on past the name ("JAN JANSEN WONENDE TE
// AMSTERDAM VERKLAART HET VOLGENDE"): the longest run of its first words that
// reads as a name, so that every given name is kept and the text after it is
// not. Cut short, one word is no name ("DE HEER JAN VAN").
function capitalsNameVooraan(run, partikelVooraan) {
  const w = run.split(/[ \u00A0]/);
  for (let n = w.length; n > 0 && (n > 1 || w.length === 1); n--) {
    const name = run.slice(0, w.slice(0, n).join(' ').length);
    if (capitalsNameOk(name, partikelVooraan)) return name;
  }
  return '';
}

function hoofdletterNamen(text) {
  const hits = [];
  for (const m of text.matchAll(RE_AANHEF_HOOFD)) {
    const gemengd = m[2] ? gemengdeNaam(m[1] + m[2]) : '';
    const value = gemengd || capitalsNameVooraan(m[1], !TER_ATTENTIE.test(m[0]));
    if (value) naamHit(hits, groupStart(m, 1), value);
  }
  return hits;
}

// A name that a label, honorific or enumeration announces: with its surname
// in capitals as written, else trimmed and checked as any name; where the
// capitals are no surname ("Jan Jansen LLM", "Jan Jansen OF"), the name
// before them. `ervoor` is the text from the match's start to the name.
function aangekondigdeNaam(hits, start, name, rol, ervoor = '') {
  const hoofd = words(name).some((w) => IN_HOOFDLETTERS.test(w));
  const value = hoofd ? gemengdeNaam(name) : '';
  if (value) {
    naamHit(hits, start, value, rol);
    return;
  }
  const gewoon = hoofd ? gewoneNaamVooraan(name) : name;
  if (gewoon) persoonHit(hits, start, zonderZetel(ervoor, gewoon), { rol, aangekondigd: true });
}

// The name in plain case that `name` begins with, if any.
function gewoneNaamVooraan(name) {
  RE_NAAM_VOORAAN.lastIndex = 0;
  return RE_NAAM_VOORAAN.exec(name)?.[0];
}

export function personenMetLabel(text) {
  const hits = hoofdletterNamen(text);
  for (const m of text.matchAll(RE_VELD)) {
    const rol = rolVan(m[1]);
    if (!m[2]) {
      if (LIJST_LABEL.test(m[1])) lijstNamen(hits, text, m.index + m[0].length, rol);
      continue;
    }
    if (ALLEEN_LABEL.test(m[2]) || (!m[0].includes(':') && (isKopRij(text, m.index) || inWaardeCel(text, m.index)))) continue;
    aangekondigdeNaam(hits, groupStart(m, 2), m[2], rol);
    vervolgNamen(hits, text, m.index + m[0].length, rol);
  }
  for (const m of text.matchAll(RE_VOORLETTERS_VELD)) {
    persoonHit(hits, groupStart(m, 1), m[1].trimEnd(), { aangekondigd: true });
  }
  for (const m of text.matchAll(RE_AANHEF)) {
    const start = groupStart(m, 1);
    aangekondigdeNaam(hits, start, m[1], undefined, text.slice(m.index, start));
    vervolgNamen(hits, text, m.index + m[0].length);
  }
  return hits;
}

// One name per list item, for as long as the lines are items.
function lijstNamen(hits, text, pos, rol) {
  RE_LIJST_ITEM.lastIndex = pos;
  for (let m; (m = RE_LIJST_ITEM.exec(text)) && volgt(NA_LIJST_ITEM, text, m);) {
    persoonHit(hits, groupStart(m, 1), m[1], { rol, aangekondigd: true });
    RE_LIJST_ITEM.lastIndex = NA_LIJST_ITEM.lastIndex;
  }
}

function voorletterNaamOk(m) {
  const capitals = m[1].replace(/[^\p{Lu}]/gu, '');
  return !GEEN_VOORLETTERS.has(capitals) && !STOPWOORDEN.has(laatsteWoord(m[2]));
}

function tussenvoegselNaamOk(name) {
  const w = name.split(' ');
  const first = w[0];
  const last = w[w.length - 1];
  if (INSTELLING_BEGIN.has(first) || INSTELLING_EIND.has(last) || STRAAT_BEGIN.has(first)) return false;
  if (ZELFSTANDIG_NAAMWOORD.test(first) || WERKWOORD_MEERVOUD.test(first)) return false;
  return !RE_INSTELLING_SLOT.test(last) && /^\p{Lu}/u.test(name);
}

export function personenZonderLabel(text) {
  const hits = [];
  for (const m of text.matchAll(RE_VOORLETTERS)) {
    if (voorletterNaamOk(m)) persoonHit(hits, m.index, m[0]);
  }
  for (const m of text.matchAll(RE_TUSSENVOEGSEL)) {
    const name = stopwoordVooraan(m[1]);
    if (tussenvoegselNaamOk(name)) persoonHit(hits, m.index + m[1].length - name.length, name);
  }
  for (const m of text.matchAll(RE_ONDERTEKENING)) {
    if (!volgt(NA_ONDERTEKENING, text, m)) continue;
    const start = groupStart(m, 1);
    if (KANTOORWOORD.test(m[1])) hits.push({ start, end: start + m[1].length, cat: 'BEDRIJF', value: m[1] });
    else persoonHit(hits, start, m[1], { aangekondigd: true });
  }
  for (const m of text.matchAll(RE_ONDERTEKENING_FIRMA)) {
    if (!volgt(NA_ONDERTEKENING, text, m)) continue;
    const firma = m[1].trim();
    if (RECHTSVORM.test(firma) || KANTOORWOORD.test(firma)) persoonHit(hits, groupStart(m, 2), m[2], { aangekondigd: true });
  }
  for (const m of text.matchAll(RE_GROET)) {
    if (!volgt(NA_GROET, text, m)) continue;
    for (const group of [1, 2]) {
      if (m[group] && !GEEN_AANSPREEKNAAM.test(m[group])) persoonHit(hits, groupStart(m, group), m[group], { aangekondigd: true });
    }
  }
  return hits;
}

// Leading stop words, numbers and lower-case words ("2023 van Bakker
// Bouw B.V." becomes "Bakker Bouw B.V.").
export function stripStopwoorden(value) {
  let w = words(String(value ?? ''));
  for (;;) {
    const before = w.length;
    w = words(stopwoordVooraan(w.join(' ')));
    let i = 0;
    while (w.length - i > 1 && /^\p{Ll}/u.test(w[i])) i++;
    w = w.slice(i);
    if (w.length === before) return w.join(' ');
  }
}
