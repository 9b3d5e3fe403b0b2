// Checks of a pseudonymised text for data that may have escaped: loose parts
// of replaced values, near misses of replaced names, and unknown names.
// They only suggest; nothing is replaced here.
import {
  B, E, HOOFDLETTER_VOORAF, SP, TV_ELDERS, TV_GELIJMD, WOORD, naKoppelteken,
} from './building-blocks.js';
import { ROL_PREFIXEN, isNumCat } from './categories.js';
import { buildMatcher, entityFor, replaceWith } from './matcher.js';
import { escRe, normText, textOf } from './normalise.js';
import { PUBLIEK_DOMEIN, PUBLIEKE_MAIL } from './numbers.js';
import {
  HOOFD_TV, INSTELLING_BEGIN, INSTELLING_EIND, STOPWOORDEN, TUSSENVOEGSELS,
} from './vocabulary.js';
import {
  INITIALEN, KANTOORWOORD, RECHTSVORM, WERKWOORD_MEERVOUD, ZELFSTANDIG_NAAMWOORD, stopwoordVooraan, straatVorm,
  streetName,
} from './words.js';

const RE_PH = /\[[A-Z0-9_]+(?: \(\d{4}\))?\]/g;
// Starts only where a run of address characters starts, so that a long
// token is not rescanned from each of its characters.
const RE_MAIL = /(?<![\w.%+-])[\w.%+-]+@[\w.-]+/g;
const RE_LOWER_WORD = /(?<![\p{L}])\p{Ll}[\p{Ll}']+/gu;
const RE_NEAR_WORD = /(?<![\p{L}\p{N}])\p{Lu}[\p{L}\p{N}|!]{3,}(?![\p{L}\p{N}])/gu;
const RE_KANDIDAAT = new RegExp(
  HOOFDLETTER_VOORAF + String.raw`(?<![\p{L}\p{N}\[_])` + naKoppelteken(String.raw`\p{L}\p{N}\[_`) + '(' + WOORD + '(?:' + SP
    + '(?:(?:van|de|der|den|ter|ten|' + TV_ELDERS + ')' + SP + '|' + TV_GELIJMD + '){0,2}' + WOORD
    + String.raw`){1,2})(?![\p{L}\p{N}_\]])`,
  'gu',
);
// A person or role placeholder: a name word right after it is likely the
// surname of a person whose first name alone was replaced.
const RE_PH_PERSOON = new RegExp(String.raw`^\[(?:PERSOON|` + ROL_PREFIXEN.join('|') + String.raw`)_\d+(?: \(\d{4}\))?\]$`);
const RE_NA_PH = new RegExp(
  SP + '((?:(?:[Vv]an|[Dd]e|[Dd]er|[Dd]en|[Tt]er|[Tt]en|' + TV_ELDERS + ')' + SP + '|' + TV_GELIJMD + '){0,2}' + WOORD
    + String.raw`)(?![\p{L}\p{N}_\]])`,
  'uy',
);
const NAME_CATS = new Set(['PERSOON', 'BEDRIJF', 'ADRES', 'PLAATS']);
// Nouns of the office's own trade: in a firm's name they are no name word,
// and "Register Accountant" is no misspelt "Accountants".
const VAKWOORD = new Set([
  'Register', 'Accountant', 'Notaris', 'Advocaat', 'Adviseur', 'Belastingadviseur', 'Fiscalist', 'Administrateur',
  'Boekhouder', 'Jurist', 'Mediator', 'Makelaar', 'Taxateur', 'Curator', 'Bewindvoerder', 'Deurwaarder',
]);
const isVakwoord = (w) => VAKWOORD.has(w) || KANTOORWOORD.test(w);
const MIN_DOMAIN = 4;
const MIN_PART = 3;
const MIN_NAME_WORD = 5;
const MIN_NAME_WORD_WITH_EDIT = 6;

const entityList = (entities) => (Array.isArray(entities) ? entities.filter(Boolean) : []);
const startsCapital = (w) => /^\p{Lu}/u.test(w);
const isParticle = (w) => TUSSENVOEGSELS.has(w.toLowerCase());

// Every placeholder becomes one space; `personen` collects the offsets, in
// the result, of the spaces that stand for person and role placeholders.
function withoutPlaceholders(text, personen) {
  const t = textOf(text);
  let out = '';
  let last = 0;
  for (const m of t.matchAll(RE_PH)) {
    out += t.slice(last, m.index);
    if (personen && RE_PH_PERSOON.test(m[0])) personen.push(out.length);
    out += ' ';
    last = m.index + m[0].length;
  }
  return out + t.slice(last);
}

function wordsWithPieces(value) {
  return value.split(/\s+/).filter(Boolean).flatMap((word) => [word, ...word.split('-')]);
}

function lowerCaseWords(text) {
  return new Set(text.match(RE_LOWER_WORD));
}

function domainParts(ent) {
  const value = textOf(ent.value);
  const at = value.indexOf('@');
  if (at < 0) return [];
  const domain = value.slice(at + 1).split('@')[0].toLowerCase();
  if (!domain || PUBLIEKE_MAIL.test(domain) || PUBLIEK_DOMEIN.test(domain)) return [];
  const stem = domain.replace(/\.[a-z]{2,}$/, '');
  return [domain, stem.slice(stem.lastIndexOf('.') + 1)];
}

function valueParts(ent) {
  const value = textOf(ent.value);
  return ent.cat === 'ADRES' ? [streetName(value)] : wordsWithPieces(value);
}

function namePart(part) {
  if (INITIALEN.test(part)) return null;
  const p = part.replace(/[.,]+$/, '');
  if (p.length < MIN_PART || !startsCapital(p)) return null;
  if (STOPWOORDEN.has(p) || isParticle(p) || RECHTSVORM.test(p)) return null;
  return p;
}

// A part of letters and digits alone stands as a whole word exactly where it is
// one of the text's maximal letter-and-digit runs: one set of those runs
// answers for every such part instead of a scan of the text per part.
const RE_RUN = /[\p{L}\p{N}]+/gu;
const RE_ALL_RUN = /^[\p{L}\p{N}]+$/u;

function wholeWordFinder(text) {
  let runs = null;
  return (p) => {
    if (RE_ALL_RUN.test(p)) {
      runs ??= new Set(text.match(RE_RUN));
      return runs.has(p) || runs.has(p.toUpperCase());
    }
    if (!text.includes(p) && !text.includes(p.toUpperCase())) return false;
    return new RegExp(B + '(?:' + escRe(p) + '|' + escRe(p.toUpperCase()) + ')' + E, 'u').test(text);
  };
}

export function losseDelen(text, entities) {
  const searched = withoutPlaceholders(text);
  const standsAlone = wholeWordFinder(searched);
  const withoutMail = searched.replace(RE_MAIL, ' ');
  const active = entityList(entities).filter((ent) => ent.active);
  const reported = new Set();
  const result = [];

  // Many addresses share a domain: each part is looked for once.
  const tested = new Set();
  for (const ent of active.filter((e) => e.cat === 'EMAIL')) {
    for (const part of domainParts(ent)) {
      if (part.length < MIN_DOMAIN || tested.has(part)) continue;
      tested.add(part);
      const re = new RegExp(String.raw`(?<![\p{L}\p{N}])` + escRe(part) + String.raw`(?![\p{L}\p{N}\-])`, 'iu');
      if (re.test(withoutMail)) {
        reported.add(part);
        result.push({ ent, deel: part, cat: 'WEBSITE' });
      }
    }
  }

  for (const ent of active.filter((e) => NAME_CATS.has(e.cat))) {
    for (const part of valueParts(ent)) {
      const p = namePart(part);
      if (p === null || reported.has(p)) continue;
      if (standsAlone(p)) {
        reported.add(p);
        result.push({ ent, deel: p });
      }
    }
  }
  return result;
}

// Lower case, with the usual OCR confusions folded to one form.
export function ocrVorm(w) {
  return textOf(w)
    .toLowerCase()
    .replaceAll('rn', 'm')
    .replaceAll('vv', 'w')
    .replaceAll('cl', 'd')
    .replace(/[1|!]/g, 'l')
    .replaceAll('0', 'o')
    .replaceAll('5', 's')
    .replaceAll('8', 'b');
}

// Levenshtein distance over UTF-16 code units; max + 1 as soon as it
// must exceed max. Only the cells within max of the diagonal are computed: no
// other lies on a path of at most max edits, and a long word costs no square.
export function afstand(a, b, max) {
  if (Math.abs(a.length - b.length) > max) return max + 1;
  // Row i holds the cells j = i - max ... i + max, at index j - i + max.
  const width = 2 * max + 1;
  const inB = (j) => j >= 0 && j <= b.length;
  let prev = Array.from({ length: width }, (_, k) => (inB(k - max) ? k - max : Infinity));
  for (let i = 1; i <= a.length; i++) {
    const cur = new Array(width).fill(Infinity);
    for (let k = 0; k < width; k++) {
      const j = i + k - max;
      if (!inB(j)) continue;
      cur[k] = j === 0 ? i : Math.min(
        (prev[k + 1] ?? Infinity) + 1,
        (cur[k - 1] ?? Infinity) + 1,
        prev[k] + (a[i - 1] === b[j - 1] ? 0 : 1),
      );
    }
    if (Math.min(...cur) > max) return max + 1;
    prev = cur;
  }
  return Math.min(prev[b.length - a.length + max], max + 1);
}

function nameWordsOf(entities) {
  const known = new Set();
  const nameWords = [];
  for (const ent of entityList(entities).filter((e) => NAME_CATS.has(e.cat))) {
    for (const variant of Array.isArray(ent.variants) ? ent.variants : []) {
      for (const word of wordsWithPieces(textOf(variant))) {
        known.add(word.toLowerCase());
        const usable = word.length >= MIN_NAME_WORD && /^\p{Lu}/u.test(word)
          && !STOPWOORDEN.has(word) && !isParticle(word) && !RECHTSVORM.test(word) && !isVakwoord(word);
        if (ent.active && usable) nameWords.push({ ent, word, ocr: ocrVorm(word) });
      }
    }
  }
  return { known, nameWords };
}

const isNear = (nw, ocr) => nw.ocr === ocr
  || (nw.word.length >= MIN_NAME_WORD_WITH_EDIT && afstand(nw.ocr, ocr, 1) <= 1);

// A form and the forms with one code unit left out: two forms at most one
// edit apart share one of them.
function withOneLeftOut(s) {
  const keys = new Set([s]);
  for (let i = 0; i < s.length; i++) keys.add(s.slice(0, i) + s.slice(i + 1));
  return keys;
}

// The first name word near an OCR form, as a search of the whole list in order
// would find it, but tested only against the name words that share a key with
// it. Keys cost the square of a form's length: a longer form (text that lost
// its blanks) is tested against the name words of about its length instead.
const MAX_KEYED = 40;

function nearestNameWord(nameWords) {
  const byKey = new Map();
  const byLength = new Map();
  const file = (map, key, i) => {
    if (map.has(key)) map.get(key).push(i);
    else map.set(key, [i]);
  };
  nameWords.forEach((nw, i) => {
    file(byLength, nw.ocr.length, i);
    if (nw.ocr.length > MAX_KEYED + 1) return;
    const keys = nw.word.length >= MIN_NAME_WORD_WITH_EDIT ? withOneLeftOut(nw.ocr) : [nw.ocr];
    for (const key of keys) file(byKey, key, i);
  });
  return (ocr) => {
    const lists = ocr.length > MAX_KEYED
      ? [ocr.length - 1, ocr.length, ocr.length + 1].map((n) => byLength.get(n))
      : [...withOneLeftOut(ocr)].map((key) => byKey.get(key));
    let first = Infinity;
    for (const list of lists) {
      const hit = list?.find((i) => i < first && isNear(nameWords[i], ocr));
      if (hit !== undefined) first = hit;
    }
    return nameWords[first];
  };
}

export function bijnaNamen(text, entities) {
  const searched = withoutPlaceholders(text);
  const { known, nameWords } = nameWordsOf(entities);
  if (nameWords.length === 0) return [];
  const lowerWords = lowerCaseWords(searched);
  const nearest = nearestNameWord(nameWords);
  const seen = new Set();
  const result = [];
  for (const [word] of searched.matchAll(RE_NEAR_WORD)) {
    if (seen.has(word)) continue;
    seen.add(word);
    const lower = word.toLowerCase();
    if (known.has(lower) || lowerWords.has(lower) || STOPWOORDEN.has(word) || isVakwoord(word)) continue;
    const near = nearest(ocrVorm(word));
    if (near) result.push({ ent: near.ent, deel: word });
  }
  return result;
}

function nameWordBad(w, lowerWords) {
  return ZELFSTANDIG_NAAMWOORD.test(w) || STOPWOORDEN.has(w) || w.length < 2 || lowerWords.has(w.toLowerCase());
}

function isCandidate(words, lowerWords, known) {
  if (words.length < 2 || !startsCapital(words[0])) return false;
  const [first] = words;
  if (HOOFD_TV.has(first) || STOPWOORDEN.has(first) || INSTELLING_BEGIN.has(first)) return false;
  if (WERKWOORD_MEERVOUD.test(first) || INSTELLING_EIND.has(words[words.length - 1])) return false;
  if (words.filter(startsCapital).some((w) => nameWordBad(w, lowerWords))) return false;
  const group = words.join(' ');
  return !straatVorm(group) && !known.has(group.toLowerCase());
}

// The surname, with its particles, right after a person or role placeholder.
function naPlaceholder(searched, at, lowerWords, known) {
  RE_NA_PH.lastIndex = at + 1;
  const m = RE_NA_PH.exec(searched);
  if (!m) return null;
  const w = m[1].split(' ');
  const name = w[w.length - 1];
  if (HOOFD_TV.has(name) || nameWordBad(name, lowerWords) || known.has(m[1].toLowerCase())) return null;
  return { at: at + 2, group: m[1] };
}

export function kandidaten(text, bekend) {
  const personen = [];
  const searched = withoutPlaceholders(text, personen);
  const known = new Set((Array.isArray(bekend) ? bekend : []).map((x) => normText(x).toLowerCase()));
  const lowerWords = lowerCaseWords(searched);
  const found = new Map(); // group -> offset of its first occurrence
  for (const m of searched.matchAll(RE_KANDIDAAT)) {
    const group = stopwoordVooraan(m[1]);
    if (found.has(group)) continue;
    const words = group.split(' ');
    if (isCandidate(words, lowerWords, known)) found.set(group, m.index);
    else if (words.length > 2 && !HOOFD_TV.has(words[0])) {
      // A word before a name ("Notitie Jolanda Smit") spoils only itself.
      const rest = words.slice(1).join(' ');
      if (!found.has(rest) && isCandidate(words.slice(1), lowerWords, known)) found.set(rest, m.index + m[0].length - rest.length);
    }
  }
  // A group that starts with the word already names it.
  const starts = new Set(found.values());
  for (const at of personen) {
    const after = naPlaceholder(searched, at, lowerWords, known);
    if (after && !starts.has(after.at) && !(found.get(after.group) <= after.at)) found.set(after.group, after.at);
  }
  return [...found].sort((a, b) => a[1] - b[1]).map(([group]) => group);
}

// Forms of active entities that stand in the text in a letter case the
// matcher does not replace ("femke van leeuwen"), each once, as written. A
// single word all in lower case is passed over, as "bakker" and "visser" are
// also plain words, unless `alleWoorden` (file names are often lower case).
export function andersGeschreven(text, entities, alleWoorden = false) {
  const ents = entityList(entities).filter((e) => e.active && !isNumCat(e.cat));
  const klein = buildMatcher(ents.map((e) => ({ ...e, bron: e, variants: e.variants.map((v) => v.toLowerCase()) })));
  if (!klein) return [];
  // Built only once a form stands in another case: mostly none does.
  let exact = null;
  const t = textOf(text).replace(RE_PH, (ph) => ' '.repeat(ph.length));
  const low = t.toLowerCase();
  const sameLength = low.length === t.length;
  const seen = new Set();
  const result = [];
  replaceWith(low, klein, (ent, m, at) => {
    const deel = normText(sameLength ? t.slice(at, at + m.length) : m);
    const gewoonWoord = !alleWoorden && !/\s/.test(deel) && deel === deel.toLowerCase();
    if (!seen.has(deel) && !gewoonWoord && !entityFor((exact ??= buildMatcher(ents)), deel)) {
      seen.add(deel);
      result.push({ ent: ent.bron, deel });
    }
    return m;
  });
  return result;
}
