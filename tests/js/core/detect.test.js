import { test } from 'node:test';
import assert from 'node:assert/strict';
import { DETECTORS, detect, eachMatch, zonderOverlap } from '../../../web/src/core/detect.js';
import { buitenlandseIbans, websites } from '../../../web/src/core/numbers.js';
import { personenMetLabel, personenZonderLabel } from '../../../web/src/core/names.js';
import { adressen, belgischeAdressen } from '../../../web/src/core/addresses.js';

const hitsOf = (text, cat) => detect(text).filter((h) => h.cat === cat).map((h) => h.value);

test('every function detector stands in the table', () => {
  for (const fn of [buitenlandseIbans, websites, belgischeAdressen, personenMetLabel, personenZonderLabel, adressen]) {
    assert.ok(DETECTORS.some((entry) => entry.fn === fn), fn.name);
  }
});

// Per pattern entry, in table order: a text with its hit, and a near miss that gives none of that category.
const ENTRIES = [
  ['EMAIL', 'Mail info@dekker-bouw.nl graag.', 'info@dekker-bouw.nl', 'Mail info@dekker graag.'],
  ['IBAN', 'IBAN NL91ABNA0417164300', 'NL91ABNA0417164300', 'IBAN NL91ABNA041716430'],
  ['IBAN', 'Rek. DE89 3704 0044 0532 0130 00.', 'DE89 3704 0044 0532 0130 00', 'Rek. DE89 3704 0044 0532 0130 01.'],
  ['WEBSITE', 'Zie www.dekker-bouw.nl.', 'www.dekker-bouw.nl', 'Zie www.belastingdienst.nl.'],
  ['IBAN', 'IBAN NL9I ABNA O417 1643 OO', 'NL9I ABNA O417 1643 OO', 'IBAN NL9I ABNA O417 1643 O'],
  ['BTWNR', 'Btw NL123456789B01', 'NL123456789B01', 'Btw NL12345678B01'],
  ['BTWNR', 'BTW BE 0401.517.147', 'BE 0401.517.147', 'BTW BE 0401.517.148'],
  ['KVK', 'ondernemingsnummer 0401.517.147', '0401.517.147', 'ondernemingsnummer 0401.517.148'],
  ['BTWNR', 'btw-nummer: DE123456789', 'DE123456789', 'btw-nummer: XX123456789'],
  ['KENMERK', 'Aanslag 1234.56.789.H.01', '1234.56.789.H.01', 'Aanslag 1234.56.789.H.0'],
  ['KENMERK', 'Betalingskenmerk 1234 5678 9012 3456', '1234 5678 9012 3456', 'Betalingskenmerk 1234 5678 9012 345'],
  ['BSN', 'Nummer 1234.56.782 bekend', '1234.56.782', 'Nummer 123456789 bekend'],
  ['BSN', 'BSN: 123456789', '123456789', 'BSN: 12345678'],
  ['BSN', 'geboren 85.07.30-033.28', '85.07.30-033.28', 'geboren 85.07.30-033.29'],
  ['BSN', 'INSZ: 85.07.30-033.29', '85.07.30-033.29', 'INSZ: 85.07.30-033'],
  ['KVK', 'KvK-nummer 12345678', '12345678', 'KvK-nummer 1234567'],
  ['TELEFOON', 'Bel +31 (0)20 123 4567.', '+31 (0)20 123 4567', 'Bel 06-1234567.'],
  ['POSTCODE', 'Postcode 1234 AB', '1234 AB', 'Postcode 1234 SS'],
  ['PLAATS', '2514 AB Den Haag', 'Den Haag', '2514 AB den haag'],
  ['ADRES', 'Prins Hendrikstraat 12a', 'Prins Hendrikstraat 12a', 'Prins Hendrikstraat'],
  ['ADRES', 'Postbus 1234', 'Postbus 1234', 'Postbus AB'],
  ['GEBDATUM', 'geboortedatum: 3 maart 1958', '3 maart 1958', 'op 3 maart 1958'],
  ['BEDRIJF', 'Dekker Bouw B.V. levert', 'Dekker Bouw B.V.', 'Dekker Bouw BVO levert'],
  ['BEDRIJF', 'Stichting Vrienden Van Het Museum', 'Stichting Vrienden Van Het Museum', 'stichting vrienden'],
  ['PLAATS', 'gevestigd te Amsterdam', 'Amsterdam', 'om te Amsterdam'],
  ['PLAATS', 'Woonplaats: Utrecht', 'Utrecht', 'woonplaats Utrecht'],
  ['PLAATS', 'Amsterdam, 12 maart 2024', 'Amsterdam', 'Maandag, 12 maart 2024'],
  ['KENTEKEN', 'auto AB-12-CD', 'AB-12-CD', 'auto AB-123-CD'],
  ['KENTEKEN', 'kenteken: 12abc3', '12abc3', 'kenteken: ABCDEF'],
  ['IDNR', 'paspoortnummer: NW1234567', 'NW1234567', 'paspoortnummer: ABCDEFGH'],
  ['KADASTER', 'sectie B nummer 1234 A 12', 'sectie B nummer 1234 A 12', 'sectie B 1234'],
  ['KADASTER', 'kadastrale aanduiding: Amsterdam K 1234', 'Amsterdam K 1234', 'kadastrale aanduiding: onbekend'],
  ['KADASTER', 'ASD04 K 1234', 'ASD04 K 1234', 'ASD04 K'],
  ['PLAATS', 'kadastraal bekend als gemeente Zwolle', 'Zwolle', 'kadastraal bekend als Bijlage'],
  ['KENMERK', 'polisnummer: AB-2023/0456', 'AB-2023/0456', 'polisnummer: AB-12'],
];

test('every pattern entry finds its data and refuses a near miss', () => {
  for (const [cat, text, value, miss] of ENTRIES) {
    assert.deepEqual(hitsOf(text, cat), [value], text);
    assert.deepEqual(hitsOf(miss, cat), [], `near miss: ${miss}`);
  }
});

test('the number detectors play together', () => {
  const cases = [
    ['Burgerservicenummer 123456782', [['BSN', '123456782']]],
    ['RSIN 123456782', [['RSIN', '123456782']]],
    ['Fiscaal nummer: 123456782', [['RSIN', '123456782']]],
    ['fiscaalnummer 123456782', [['RSIN', '123456782']]],
    // The whole identifier, never the nine digits inside it.
    ['Loonheffingennummer 123456782L01', [['KENMERK', '123456782L01']]],
    ['Btw-id NL123456782B01', [['BTWNR', 'NL123456782B01']]],
    ['Btw-id NL 123456782 B 01', [['BTWNR', 'NL 123456782 B 01']]],
    ['BSN: 123456782IBAN: x', [['BSN', '123456782']]],
    ['ref AB123456782C5', []],
    ['rsin/bsn: 123456782', [['RSIN', '123456782']]],
    ['BSN 123456789', [['BSN', '123456789']]],
    ['1234567890 en 12345678,2 en 12345678.2', []],
    ['NL91 ABNA 0417 1643 00', [['IBAN', 'NL91 ABNA 0417 1643 00']]],
    ['NL91 ABNA 0417 1643 01', [['IBAN', 'NL91 ABNA 0417 1643 01']]],
  ];
  for (const [text, expected] of cases) {
    assert.deepEqual(detect(text).map((h) => [h.cat, h.value]), expected, text);
  }
});

test('hits are offsets into the text, sorted, and never overlap', () => {
  const text = 'Stichting Dekker Bouw B.V., Kerkstraat 12, 1234 AB Zwolle, BSN 123456782, info@dekker.nl';
  const hits = detect(text);
  assert.deepEqual(hits.map((h) => [h.cat, h.value]), [
    ['BEDRIJF', 'Stichting Dekker Bouw B.V.'], ['ADRES', 'Kerkstraat 12'], ['POSTCODE', '1234 AB'],
    ['PLAATS', 'Zwolle'], ['BSN', '123456782'], ['EMAIL', 'info@dekker.nl'],
  ]);
  for (const h of hits) assert.equal(text.slice(h.start, h.end), h.value);
  assert.deepEqual(detect(''), []);
});

test('the overlap pass keeps the longest, ties in list order, and lets touching hits be', () => {
  const hit = (start, end, cat = 'OVERIG') => ({ start, end, cat, value: 'x'.repeat(end - start) });
  const a = hit(0, 5, 'A');
  const b = hit(3, 8, 'B');
  const c = hit(5, 6, 'C');
  const d = hit(1, 3, 'D');
  assert.deepEqual(zonderOverlap([d, c, a, b], 10), [a, c]);

  // Against the plain pairwise rule on random hits.
  let seed = 9;
  const rnd = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
  for (let round = 0; round < 200; round++) {
    const hits = Array.from({ length: 30 }, () => { const s = rnd(60); return hit(s, s + 1 + rnd(8)); });
    const sorted = [...hits].sort((x, y) => (y.end - y.start) - (x.end - x.start));
    const taken = [];
    for (const h of sorted) if (!taken.some((t) => h.start < t.end && t.start < h.end)) taken.push(h);
    assert.deepEqual(zonderOverlap(hits, 70), taken.sort((x, y) => x.start - y.start));
  }
});

// Entries searched with a skip rule must find exactly what their pattern's
// own global search finds.
test('skip rules give the matches of the plain search', () => {
  const pieces = [
    'A', 'J.', 'a', '.', ' ', '\u00A0', '-', "'", '@', 'x.nl', 'B.V.', 'BV', 'straat', 'Kerk', 'Prins ', 'van ',
    'de ', "'t ", 'St. ', '12', '3', 'Dr. ', 'Burgemeester ', 'é', '\u{1D49C}', 'Koningin ', 'laan', 'C.V.', '&', 'Jan',
    'Willem ', 'btw', 'BTW-', 'mwst', 'nr. ', ': ', 'DE', '123456789', 'ſ',
  ];
  let seed = 5;
  const rnd = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
  const skipping = DETECTORS.filter((e) => e.skip);
  assert.equal(skipping.length, 4);
  const texts = [
    'Jan-Burgemeester Hendrikstraat 5', 'van Prins Willem Alexanderlaan 5', 'XyzA. Dekker B.V.',
    'J.J.Jansen Bouw B.V.', 'ab.cd@x.nl.ef@y.nl', 'De Prins Prins Willem Alexanderlaan 5',
    'van Prins Koning Willem Wilhelminalaan 5', 'btwbtw-nummer DE123456789', 'mwstbtw: DE 123456789',
    'aJ.K. Jansen B.V.', '\u{1D49C}J.K. Jan B.V.', 'de BV. De BV',
  ];
  for (let round = 0; round < 5000; round++) {
    let text = '';
    for (let i = 1 + rnd(25); i > 0; i--) text += pieces[rnd(pieces.length)];
    texts.push(text);
  }
  let matches = 0;
  for (const text of texts) {
    for (const entry of skipping) {
      const viaSkip = [];
      eachMatch(entry, text, (m) => viaSkip.push([m.index, m[0]]));
      const plain = [...text.matchAll(entry.re)].map((m) => [m.index, m[0]]);
      assert.deepEqual(viaSkip, plain, JSON.stringify(text));
      matches += plain.length;
    }
  }
  assert.ok(matches > 300, 'the generated texts hold matches');
});
