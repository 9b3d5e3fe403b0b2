import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { anonymize, buildMatcher } from '../../../web/src/core/matcher.js';
import { suggestVariants } from '../../../web/src/core/variants.js';
import { CATS } from '../../../web/src/core/categories.js';

let seed = 3;
const rnd = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };

function randomText(length) {
  const alphabet = [
    'a', 'Z', 'é', 'IJ', ' ', '\u00A0', '\n', '\t', '.', '-', '@', '+', '(', ')', '/', ':', "'", '0', '7', '\u0000',
    '\u0007', '\u001B', '\uD800', '\uDFFF', '\u{1F600}', '\u200B', '\uFEFF', 'ß', 'İ', 'ǅ', 'B.V.', 'NL', 'straat ',
  ];
  let s = '';
  while (s.length < length) s += alphabet[rnd(alphabet.length)];
  return s;
}

const INPUTS = [
  ['random characters', randomText(50000)],
  ['one letter', 'a'.repeat(200000)],
  ['one capital', 'A'.repeat(200000)],
  ['capitalised words', 'Karel Dekker Van Dam '.repeat(5000)],
  ['hyphenated capitalised words', 'Jan-'.repeat(25000)],
  ['initials', 'J.'.repeat(50000) + ' ' + 'K. L. '.repeat(10000)],
  ['digits', '1'.repeat(100000) + ' 1.2 3-4 '.repeat(10000)],
  ['particles', 'van de '.repeat(15000)],
  ['a document label before a long word', 'legitimatie: paspoort' + 'a'.repeat(100000)],
  ['a greeting, a closing and a list label before hyphenated runs',
    ['Beste ', 'Met vriendelijke groet,\n', 'Met vriendelijke groet,\n\nKantoor B.V.\n', 'Kinderen:\n']
      .map((lead) => lead + 'Jan-'.repeat(15000) + 'x').join('\n')],
  ['lone surrogates', '\uD800\uDC00\uDC00\uD800'.repeat(20000)],
  ['control characters', '\u0000\u0001\u001F\u007F\r'.repeat(20000)],
  ['more hits from one detector than a call takes arguments', 'Naam: Jan\n'.repeat(200000)],
];

test('detect, anonymize and suggestVariants return on hostile input', { timeout: 120000 }, () => {
  const entities = Object.keys(CATS).map((cat, i) => ({
    id: i, cat, label: `${cat}_1`, value: randomText(12), variants: suggestVariants(cat, randomText(12)), active: true,
  }));
  entities.push({ id: 99, cat: 'PERSOON', label: 'PERSOON_2', value: 'Karel Dekker', variants: suggestVariants('PERSOON', 'Karel Dekker'), active: true });
  const matcher = buildMatcher(entities);
  for (const [name, text] of INPUTS) {
    for (const h of detect(text)) assert.ok(h.start >= 0 && h.start < h.end && h.end <= text.length, name);
    assert.equal(typeof anonymize(text, matcher, {}), 'string', name);
    for (const cat of ['PERSOON', 'BEDRIJF', 'TELEFOON', 'IBAN']) {
      assert.ok(Array.isArray(suggestVariants(cat, text.slice(0, 20000))), `${name} ${cat}`);
    }
  }
  assert.deepEqual(detect(undefined), []);
  assert.deepEqual(suggestVariants('PERSOON', null), []);
});

// Every labelled entry, the name and place contexts, and a street before its
// separator, followed by a long run of blanks as spreadsheet rows of empty
// cells give. Optional blank runs side by side once made each of these take
// seconds.
const LABELS = [
  'ondernemingsnummer', 'btw-nummer', 'btw nr.', 'RSIN', 'BSN', 'KvK', 'tel.', 'geboren', 'geboren te Zwolle',
  'geboortedatum', 'Geb. datum', 'geb.', 'Naam:', 'de heer', 'DE HEER', 'Met vriendelijke groet,', 'Beste',
  'Woonplaats:', 'kenteken', 'paspoortnummer', 'sectie B', 'sectie B nummer', 'kadastrale aanduiding',
  'kadastraal bekend', 'gemeente', 'polisnummer', 'ons kenmerk', 'Kerkstraat 12', 'Markt 22 |', 'Kerkstraat 12\n',
  'wonende te 9000 Gent,', 'Dossier', 'leningnummer', 'rijksregisternummer', 'Geboortedatum fiscale partner',
  'Voorletters', 'Kinderen:', 'Geboorteplaats', 'Met vriendelijke groet,\n', 'Beste Marieke en', 'notaris', 'legitimatie:',
  '+31 (0)20 -', 'Naam', 'Kenmerk:', 'Verhuurder',
  'Zetel: Avenue Louise 54', 'wonende Rue de la', 'Kerkstraat 12 te', 'te 9000', 'RPR Gent, afdeling Gent,',
  'Nummerplaat:', 'Identiteitskaart:', 'GSM', 'Kerkstraat 12 bus', 'Kerkstraat 12 b', 'sectie B nummer 12/', 'Adres: Meir 24,',
];

test('detect returns on a label followed by 100 000 blanks, tabs, no-break spaces or a mix', { timeout: 60000 }, () => {
  for (const label of LABELS) {
    for (const blank of [' ', '\t', '\u00A0', ' \t\u00A0']) {
      const text = label + blank.repeat(100000) + 'x';
      for (const h of detect(text)) assert.ok(h.end <= label.length, `${label} ${JSON.stringify(blank)}`);
    }
  }
});

// Short numbers are replaced by their surroundings: a label, a cell of their
// own, a place after them. Two blank runs side by side around a colon once
// made a postcode behind 200 000 blanks take minutes.
test('anonymize returns on a short number behind or before 200 000 blanks, tabs or no-break spaces', { timeout: 30000 }, () => {
  const entities = [['POSTCODE', '1000'], ['KENMERK', '1250']].map(([cat, value], i) => ({
    id: i, cat, label: `${cat}_1`, value, variants: [value], active: true,
  }));
  const matcher = buildMatcher(entities);
  for (const blank of [' ', '\t', '\u00A0']) {
    const run = blank.repeat(200000);
    for (const [text, expected] of [
      ['Postcode' + run + '1000', 'Postcode' + run + '[POSTCODE_1]'],
      [run + '1000' + run, run + '[POSTCODE_1]' + run],
      ['Postcode:' + run + '1250' + run + 'x', 'Postcode:' + run + '[KENMERK_1]' + run + 'x'],
    ]) assert.equal(anonymize(text, matcher), expected, JSON.stringify(blank));
  }
});
