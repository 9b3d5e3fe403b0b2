import { test } from 'node:test';
import assert from 'node:assert/strict';
import { personenMetLabel, personenZonderLabel, stripStopwoorden } from '../../../web/src/core/names.js';
import { detect } from '../../../web/src/core/detect.js';

// Hits as compact rows; every hit must cover exactly its value (up to no-break spaces).
function rows(text, hits) {
  return hits.map((h) => {
    assert.equal(text.slice(h.start, h.end).replace(/\u00A0/g, ' '), h.value, 'offsets of ' + h.value);
    return h.rol ? [h.cat, h.value, h.rol] : [h.cat, h.value];
  });
}
const persons = (text) => rows(text, detect(text).filter((h) => h.cat === 'PERSOON' || h.cat === 'BEDRIJF'));

test('names after field labels carry the role the label gives, also for further names', () => {
  const aangifte = [
    'Naam belastingplichtige: Pieter Bakker',
    'Naam fiscale partner: Eva Bakker-Smit',
    'Naam: Hendrik Vos',
    'Kinderen: Sem Bakker, Noor Bakker en Daan Bakker',
    'ERFGENAMEN:\tAnna de Vries & Bram de Vries',
    'Executeur: Lotte Kramer',
  ].join('\n');
  assert.deepEqual(rows(aangifte, personenMetLabel(aangifte)), [
    ['PERSOON', 'Pieter Bakker', 'CLIENT'],
    ['PERSOON', 'Eva Bakker-Smit', 'PARTNER'],
    ['PERSOON', 'Hendrik Vos'],
    ['PERSOON', 'Sem Bakker', 'KIND'],
    ['PERSOON', 'Noor Bakker', 'KIND'],
    ['PERSOON', 'Daan Bakker', 'KIND'],
    ['PERSOON', 'Anna de Vries', 'ERFGENAAM'],
    ['PERSOON', 'Bram de Vries', 'ERFGENAAM'],
    ['PERSOON', 'Lotte Kramer'],
  ]);
});

test('an enumeration gives at most six further names, each within 200 characters', () => {
  const eight = 'Naam: Jan, Piet, Klaas, Kees, Joop, Henk, Sjaak, Gerrit';
  assert.deepEqual(personenMetLabel(eight).map((h) => h.value), ['Jan', 'Piet', 'Klaas', 'Kees', 'Joop', 'Henk', 'Sjaak']);
  const cut = 'Naam: Jan,' + ' '.repeat(196) + 'Pieters';
  assert.deepEqual(personenMetLabel(cut).map((h) => h.value), ['Jan', 'Pie']);
  const tooFar = 'Naam: Jan,' + ' '.repeat(199) + 'Pieters';
  assert.deepEqual(personenMetLabel(tooFar).map((h) => h.value), ['Jan']);
});

test('names after honorifics, with the pipeline keeping one of each', () => {
  const brief = 'Aanwezig waren de heer J.P. van Dam en mevrouw A.M. de Wit.';
  assert.deepEqual(personenMetLabel(brief).map((h) => [h.start, h.value]), [
    [23, 'J.P. van Dam'], [47, 'A.M. de Wit'], [47, 'A.M. de Wit'],
  ]);
  assert.deepEqual(persons(brief), [['PERSOON', 'J.P. van Dam'], ['PERSOON', 'A.M. de Wit']]);
  assert.deepEqual(persons('Opgesteld door: mr. Lotte de Groot'), [['PERSOON', 'Lotte de Groot']]);
});

test('a role survives against the same name found without a label', () => {
  assert.deepEqual(persons('Naam fiscale partner: E. Jansen'), [['PERSOON', 'E. Jansen', 'PARTNER']]);
  assert.deepEqual(persons('Erfgenamen: Anna de Vries en mevrouw B. de Vries'), [
    ['PERSOON', 'Anna de Vries', 'ERFGENAAM'], ['PERSOON', 'B. de Vries', 'ERFGENAAM'],
  ]);
});

test('names in capitals after an honorific', () => {
  const cases = [
    ['DE HEER J. VAN DAM', ['J. VAN DAM']],
    ['T.a.v. mevrouw KAREL DE VRIES-BAKKER', ['KAREL DE VRIES-BAKKER']],
    ['MEVROUW A.M. JANSEN', ['A.M. JANSEN']],
    ['DHR. DE VRIES', ['DE VRIES']],
    ['T.A.V. DE VOORZITTER', []],
    ['DE HEER JAN VAN', []],
    ['T.A.V. HET BESTUUR', []],
    ['MEVROUW JO', []],
    ['DE HEER STICHTING JANSEN', []],
    ['DHR. RAAD VAN STATE', []],
  ];
  for (const [text, names] of cases) {
    assert.deepEqual(personenMetLabel(text).filter((h) => h.value === h.value.toUpperCase()).map((h) => h.value), names, text);
  }
});

test('names by their shape: initials and particles, not institutions or abbreviations', () => {
  const cases = [
    ['Wij spraken P. Bakker en K.\u00A0de Boer.', ['P. Bakker', 'K. de Boer']],
    ['Volgens Jan van der Berg is dit juist.', ['Jan van der Berg']],
    ['Het advies van Anna Maria ter Horst-Jansen volgt.', ['Anna Maria ter Horst-Jansen']],
    ['Dit is verzonden aan B.V. Jansen.', []],
    ['De Raad van State, de Kamer van Koophandel, het Ministerie van Financiën en de Hoge Raad der Nederlanden.', []],
    ['De Raad van Bestuur en de Dienst van Belastingen, de Afdeling van Toezicht.', []],
    ['Kosten van de Verzekering van Zaken en de Aangifte van Erfbelasting.', []],
    ['Zie Hoofdstuk van de wet, de Stichting van Oranje.', []],
  ];
  for (const [text, names] of cases) assert.deepEqual(personenZonderLabel(text).map((h) => h.value), names, text);
});

test('names under a closing formula and after a greeting', () => {
  const cases = [
    ['Met vriendelijke groet,\n\nKarel Dekker\n', [['PERSOON', 'Karel Dekker']]],
    ['Hoogachtend,\nJansen Advies', [['BEDRIJF', 'Jansen Advies']]],
    ['Met vriendelijke groet,\nKarel Dekker, adviseur\n', []],
    ['Beste Allen,\nhierbij de stukken.', []],
    ['Geachte Mevrouw Jansen,\nhierbij de stukken.', [['PERSOON', 'Jansen']]],
    ['Beste Karel!', [['PERSOON', 'Karel']]],
  ];
  for (const [text, expected] of cases) assert.deepEqual(rows(text, personenZonderLabel(text)), expected, text);
});

test('a word followed by a colon is never the surname', () => {
  assert.deepEqual(personenMetLabel('Aanwezig: mevrouw Jansen: akkoord'), []);
  assert.deepEqual(personenMetLabel('Naam: Bakker:'), []);
});

test('a surname with a capitalised particle stays whole, a sentence word goes', () => {
  const text = 'Akkoord gegeven door mevrouw De Vries. Volgens Van der Berg ook.';
  assert.deepEqual(persons(text), [['PERSOON', 'De Vries'], ['PERSOON', 'Van der Berg']]);
  assert.deepEqual(rows('Beste Volgens Jansen,', personenZonderLabel('Beste Volgens Jansen,')), [['PERSOON', 'Jansen']]);
});

test('stripStopwoorden cleans the front of a company name', () => {
  const cases = [
    ['Bakker Bouw B.V.', 'Bakker Bouw B.V.'],
    ['2023 van Bakker Bouw B.V.', 'Bakker Bouw B.V.'],
    ['Volgens De Vries Holding B.V.', 'De Vries Holding B.V.'],
    ['Het 12 bij Jansen B.V.', 'Jansen B.V.'],
    ['Volgens', 'Volgens'],
    ['', ''],
  ];
  for (const [value, cleaned] of cases) assert.equal(stripStopwoorden(value), cleaned, value);
  const text = 'In 2023 van Bakker Bouw B.V. ontvangen.';
  assert.deepEqual(rows(text, detect(text)), [['BEDRIJF', 'Bakker Bouw B.V.']]);
});

test('a text full of institutions and laws yields no person', () => {
  const text = 'Op grond van de Wet op de vennootschapsbelasting heeft de Hoge Raad der Nederlanden beslist. '
    + 'De Raad van State, de Kamer van Koophandel, het Ministerie van Financiën en de Staatssecretaris van '
    + 'Financiën zijn gehoord. De Algemene Vergadering van Aandeelhouders en de Raad van Commissarissen keurden '
    + 'de Jaarrekening van de vennootschap goed. Zie Artikel van de Statuten en de Dienst van Belastingen.';
  assert.deepEqual(detect(text).filter((h) => h.cat === 'PERSOON'), []);
});
