// A person's surname on its own is a weak form: "Van Leeuwen Accountants" is
// a firm, "Sanne Bakker" another person than G. Bakker. Such a form is not
// replaced where a firm word follows it, or where a placeholder or a first
// name that is not the person's own stands right before it: a first name of
// another person of the list, or a common one. For a person whose surname
// is written in capitals, as lists written surname first have it ("DE SMET
// Jan" beside DE SMET Els), such a first name right after it counts the
// same. After any other word ("Uiteraard Dekker", "Erven Dekker") it is
// replaced, and so it is wherever detection itself finds the surname alone.
// The leak check offers a pair left alone as a name to check instead.
import { SP, WOORD } from './building-blocks.js';
import { detect } from './detect.js';
import { alsGelezen, escRe, normText } from './normalise.js';
import { gewoneNaam, naamDelen } from './variants.js';
import { STOPWOORDEN, TUSSENVOEGSELS } from './vocabulary.js';
import { VOORNAMEN } from './voornamen.js';
import { IN_HOOFDLETTERS, KANTOORWOORD, RECHTSVORM_AFKORTING } from './words.js';

const FIRMAWOORD = KANTOORWOORD.source.replace(/\$$/, '') + '|' + RECHTSVORM_AFKORTING + '|Holding|Beheer';
const NA_FIRMA = SP + '(?:' + FIRMAWOORD + String.raw`)(?![\p{L}\p{N}])`;
const RE_FIRMA_NA = new RegExp(NA_FIRMA, 'uy');
const RE_NAAM_BEGIN = /(?<![\p{L}\p{N}])/uy;
const RE_WOORD_NA = /[\p{L}'’\-]+(?![\p{L}\p{N}])/uy;
const isSP = (c) => c === ' ' || c === '\u00A0';
// Detection around a surname left alone: as far as a name's context reaches
// on either side. One pass over a text detects a stretch of it at a time, so
// that many such surnames close together cost one detection, not one each.
const RAND = 400;
const STUK = 8000;

// A person's name as the matcher reads it, as plainly written.
const plainName = (value) => gewoneNaam(alsGelezen(value));

// The words of a first-name part that name someone: a name called by
// without its parentheses, and the parts of a double name ("Jan-Willem").
function voornaamWoorden(voor) {
  const namen = voor.map((w) => w.replace(/^\((.*)\)$/, '$1')).filter((w) => /^\p{Lu}\p{Ll}/u.test(w));
  return [...namen, ...namen.flatMap((w) => (w.includes('-') ? w.split('-') : []))]
    .filter((w) => !STOPWOORDEN.has(w) && !TUSSENVOEGSELS.has(w.toLowerCase()));
}

// The first names after which a surname may be another person's: the
// common ones and those of the persons of the list (a person known by one
// word counts, unless that word is another person's surname). With the
// pattern source of their alternation, for the one expression.
export function voornamenInLijst(entities) {
  const delen = entities.filter((e) => e.cat === 'PERSOON').map((e) => naamDelen(plainName(e.value)));
  const achternamen = new Set(delen.filter(({ voor }) => voor.length).map(({ achter }) => achter.join(' ')));
  const set = new Set(VOORNAMEN);
  for (const { voor, achter } of delen) {
    const woorden = voor.length ? voor : achter.filter((w) => !achternamen.has(w));
    for (const w of voornaamWoorden(woorden)) set.add(w);
  }
  return { set, source: [...set].map(escRe).join('|'), langste: Math.max(...[...set].map((w) => w.length)) };
}

// For entity `ent`, the test of its forms: the first names of the person
// when a form is its surname alone, else null. A name in capitals or
// written surname first is read as plainly written ("DE SMET Els" has the
// surname "De Smet"), once for all its forms.
export function ownNamesIfSurname(ent) {
  if (ent.cat !== 'PERSOON') return () => null;
  const value = plainName(ent.value).split(' ');
  return (form) => {
    const words = normText(form).toLowerCase().split(' ');
    if (words.length >= value.length) return null;
    const tail = value.slice(-words.length);
    if (tail.some((w, i) => w.toLowerCase() !== words[i])) return null;
    return voornaamWoorden(value.slice(0, -words.length));
  };
}

// Whether another person's first name, or a placeholder, stands right
// before `start`: a name from the list that ends at the blank before it
// and has no letter or digit before it.
function andereVoornaamErvoor(text, start, namen, eigen) {
  if (start < 2 || !isSP(text[start - 1])) return false;
  if (text[start - 2] === ']') return true;
  const eind = start - 1;
  for (let k = eind - 1; k >= Math.max(0, eind - namen.langste) && !/\s/.test(text[k]); k--) {
    RE_NAAM_BEGIN.lastIndex = k;
    const naam = text.slice(k, eind);
    if (RE_NAAM_BEGIN.test(text) && namen.set.has(naam) && !eigen.has(naam)) return true;
  }
  return false;
}

// Whether another person's first name follows `end` after one blank, as
// a list written surname first has it.
function andereVoornaamErna(text, end, namen, eigen) {
  if (!isSP(text[end])) return false;
  RE_WOORD_NA.lastIndex = end + 1;
  const naam = RE_WOORD_NA.exec(text)?.[0];
  return naam !== undefined && namen.set.has(naam) && !eigen.has(naam);
}

function firmaErna(text, end) {
  RE_FIRMA_NA.lastIndex = end;
  return RE_FIRMA_NA.test(text);
}

// Whether detection finds exactly this span as a value where it stands
// ("Fiscalist | Van 't Hek Belastingadvies"). `pass` keeps the stretch last
// detected.
function gevondenDaar(text, start, end, pass) {
  const van = Math.max(0, start - RAND);
  let stuk = pass.gevonden;
  if (!stuk || van < stuk.van || Math.min(text.length, end + RAND) > stuk.tot) {
    const tot = Math.min(text.length, end + RAND + STUK);
    const spans = new Set(detect(text.slice(van, tot)).map((h) => `${h.start + van}:${h.end + van}`));
    stuk = pass.gevonden = { van, tot, spans };
  }
  return stuk.spans.has(`${start}:${end}`);
}

// The guard of a surname whose person, written `value`, has the first names
// `own`, with `namen` from voornamenInLijst: `holdsBack` decides at a match;
// `before` and `after` are the same conditions, less what detection finds,
// as pattern source around the surname's pattern in the one expression.
export function surnameGuard(own, namen, value) {
  const eigen = new Set(own);
  const achternaamEerst = alsGelezen(value).split(/\s+/).some((w) => IN_HOOFDLETTERS.test(w));
  const eigenNamen = '(?:' + own.map(escRe).join('|') + ')';
  const nietEigen = own.length ? '(?!' + eigenNamen + SP + ')' : '';
  const nietEigenNa = own.length ? '(?!' + eigenNamen + String.raw`(?![\p{L}\p{N}]))` : '';
  return {
    before: String.raw`(?<!(?<![\p{L}\p{N}])` + nietEigen + '(?:' + namen.source + ')' + SP + String.raw`|\]` + SP + ')',
    after: '(?!' + NA_FIRMA + ')' + (achternaamEerst ? '(?!' + SP + nietEigenNa + '(?:' + namen.source + String.raw`)(?![\p{L}\p{N}]))` : ''),
    // After another first name detection finds the whole name or none, never
    // the surname alone; so only before a firm word is it asked.
    holdsBack: (text, start, end, pass) => andereVoornaamErvoor(text, start, namen, eigen)
      || (achternaamEerst && andereVoornaamErna(text, end, namen, eigen))
      || (firmaErna(text, end) && !gevondenDaar(text, start, end, pass)),
  };
}

// The pair a guard refused, for the leak check: the name word before the
// surname with it, or the surname with the firm word or first name after it.
const RE_WOORD_VOOR = new RegExp('(?:' + WOORD + ')' + SP + '$', 'u');
const RE_VOORNAAM_NA = new RegExp(SP + '(?:' + WOORD + String.raw`)(?![\p{L}\p{N}])`, 'uy');

export function refusedPair(text, start, end) {
  RE_FIRMA_NA.lastIndex = end;
  const firma = RE_FIRMA_NA.exec(text);
  if (firma) return text.slice(start, end + firma[0].length);
  const voor = RE_WOORD_VOOR.exec(text.slice(Math.max(0, start - 80), start));
  if (voor) return voor[0] + text.slice(start, end);
  RE_VOORNAAM_NA.lastIndex = end;
  const na = RE_VOORNAAM_NA.exec(text);
  return text.slice(start, na ? end + na[0].length : end);
}
