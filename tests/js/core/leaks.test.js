import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { kandidaten } from '../../../web/src/core/checks.js';
import { suggestVariants } from '../../../web/src/core/variants.js';

const hitsOf = (text, cat) => detect(text).filter((h) => h.cat === cat).map((h) => h.value);

// Ordinary Dutch and Belgian office text that once gave no hit or the wrong
// one: the text, the category, and every hit of that category it must give.
const FOUND = [
  ['de heer J. van Dijk', 'PERSOON', ['J. van Dijk']],
  ['mevrouw A. Nijhof', 'PERSOON', ['A. Nijhof']],
  ['de heer P. Oosterveld', 'PERSOON', ['P. Oosterveld']],
  ['Naam: Piet van der Wal', 'PERSOON', ['Piet van der Wal']],
  ['Beste Dries,', 'PERSOON', ['Dries']],
  ['Erfgenamen: Anna Hoogendijk en Bram Westerveld', 'PERSOON', ['Anna Hoogendijk', 'Bram Westerveld']],
  ['Met vriendelijke groet,\n\nRob Kerkhof\n', 'PERSOON', ['Rob Kerkhof']],
  ['Gisteren belde Jan van Dijk.', 'PERSOON', ['Jan van Dijk']],
  ["Pieter van 't Hof tekende", 'PERSOON', ["Pieter van 't Hof"]],
  ['met Jan van der Laan', 'PERSOON', ['Jan van der Laan']],
  ['geboren te Zwolle', 'PLAATS', ['Zwolle']],
  ['overleden te Amsterdam', 'PLAATS', ['Amsterdam']],
  ['gelegen te Utrecht', 'PLAATS', ['Utrecht']],
  ['geboren te Zwolle op 12-03-1958', 'GEBDATUM', ['12-03-1958']],
  ['Geb. datum: 12-03-1958', 'GEBDATUM', ['12-03-1958']],
  ['Geb.datum: 3 maart 1958', 'GEBDATUM', ['3 maart 1958']],
  ['tel. (020) 123 45 67', 'TELEFOON', ['(020) 123 45 67']],
  ['020 - 123 45 67', 'TELEFOON', ['020 - 123 45 67']],
  ['06 - 12 34 56 78', 'TELEFOON', ['06 - 12 34 56 78']],
  ['033 - 465 12 90', 'TELEFOON', ['033 - 465 12 90']],
  ['tel. +32 3 123 45 67', 'TELEFOON', ['+32 3 123 45 67']],
  ['gsm +32 470 12 34 56', 'TELEFOON', ['+32 470 12 34 56']],
  ['+32 (0)476 21 90 83', 'TELEFOON', ['+32 (0)476 21 90 83']],
  ['0032 9 123 45 67', 'TELEFOON', ['0032 9 123 45 67']],
  ['tel 03 123 45 67', 'TELEFOON', ['03 123 45 67']],
  ['Fax: 03/218.40.77', 'TELEFOON', ['03/218.40.77']],
  ['06 12345678\t020 1234567', 'TELEFOON', ['06 12345678', '020 1234567']],
  ['mevrouw Ö. Şahin', 'PERSOON', ['Ö. Şahin']],
  ['Naam: Ömer Yılmaz', 'PERSOON', ['Ömer Yılmaz']],
  ['de heer Emre Öztürk', 'PERSOON', ['Emre Öztürk']],
  ["mevrouw D'Haese", 'PERSOON', ["D'Haese"]],
  ['de heer D’Hooghe', 'PERSOON', ['D’Hooghe']],
  ['BSN: 123 456 782', 'BSN', ['123 456 782']],
  ['Jansen & de Vries Belastingadviseurs B.V.', 'BEDRIJF', ['Jansen & de Vries Belastingadviseurs B.V.']],
  ['Brands & Oosterhuis Accountants B.V.', 'BEDRIJF', ['Brands & Oosterhuis Accountants B.V.']],
  ['Wij spraken met Jansen en Zonen B.V.', 'BEDRIJF', ['Jansen en Zonen B.V.']],
  ['Kerkhof Bakkerij V.O.F. en Bakker B.V.', 'BEDRIJF', ['Kerkhof Bakkerij V.O.F.', 'Bakker B.V.']],
  ['Mohammed el Amrani en Youssef el Amrani', 'PERSOON', ['Mohammed el Amrani', 'Youssef el Amrani']],
  ["Jean d'Hondt tekende", 'PERSOON', ["Jean d'Hondt"]],
  ['Beste Ben,', 'PERSOON', ['Ben']],
  ['oud-Piet van Dam belde', 'PERSOON', ['Piet van Dam']],
  ['Aa-Bb van Dam', 'PERSOON', ['Aa-Bb van Dam']],
];

// Near misses: texts that must stay without a hit of the category.
const NOT_FOUND = [
  ['Achter de Hof', 'PERSOON'],
  ['Het pand Achter de Hof is verkocht', 'PERSOON'],
  ['wonende aan de Kerkstraat', 'PERSOON'],
  ['Burgemeester de Withstraat 4', 'PERSOON'],
  ['Jan Dijk', 'PERSOON'],
  ['Ik ben Karel', 'PERSOON'],
  ['om te bellen', 'PLAATS'],
  ['en te Delft', 'PLAATS'],
  ['Dat is te Duur', 'PLAATS'],
  ['vergadering te Zwolle op 12-03-2024', 'GEBDATUM'],
  ['periode 01 - 02 - 2024', 'TELEFOON'],
  ['van 14 - 16 uur', 'TELEFOON'],
  ['(020) 123 45', 'TELEFOON'],
  ['dossier 03 123 45 67', 'TELEFOON'],
  ['rekening 012345678', 'TELEFOON'],
  ['01-01\t15\t2021', 'TELEFOON'],
  ['06\n12345678', 'TELEFOON'],
  ['NL91 ABNA\t0417 1643 00', 'IBAN'],
  ['123 456 782', 'BSN'],
  ['BSN: 123 456 78', 'BSN'],
  ['1234\nAB', 'POSTCODE'],
];

test('ordinary office text gives its hits, and near misses give none', () => {
  for (const [text, cat, values] of FOUND) assert.deepEqual(hitsOf(text, cat), values, text);
  for (const [text, cat] of NOT_FOUND) assert.deepEqual(hitsOf(text, cat), [], text);
});

test('a surname left behind a person or role placeholder is a name candidate', () => {
  const cases = [
    ['Aan: [PERSOON_1]\n\nBeste [PERSOON_1],\nIk sprak [PERSOON_1] Dekker gisteren.', [], ['Dekker']],
    ['[KIND_2] van Dam en [PERSOON_1 (1958)] De Vries', [], ['van Dam', 'De Vries']],
    ['[PERSOON_3] Dekker Bouw', [], ['Dekker Bouw']],
    ['[PERSOON_1] Dekker', ['dekker'], []],
    ['[BEDRIJF_1] Dekker, [PERSOON_1] Met, [PERSOON_2] Bakker en bakker', [], []],
  ];
  for (const [text, bekend, expected] of cases) assert.deepEqual(kandidaten(text, bekend), expected, text);
});

test('name candidates follow the street rule of the detection and keep names after a hyphen', () => {
  assert.deepEqual(kandidaten("Gesprek met Jan van Dijk, oud-Piet Jansen, Achter de Hof, Jan Dijk en Jean d'Hondt"), [
    'Jan van Dijk', 'Piet Jansen', "Jean d'Hondt",
  ]);
});

test('variants: IJ is one letter in capitals, and lower-case particles of other languages split the name', () => {
  assert.ok(suggestVariants('PERSOON', 'IJSBRAND VAN IJZENDOORN').includes('IJsbrand van IJzendoorn'));
  const amrani = suggestVariants('PERSOON', 'Fatima el Amrani');
  assert.ok(amrani.includes('el Amrani') && !amrani.includes('Amrani'), amrani.join(', '));
  assert.deepEqual(suggestVariants('PERSOON', 'Ben de Vries').slice(0, 2), ['Ben de Vries', 'de Vries']);
});
