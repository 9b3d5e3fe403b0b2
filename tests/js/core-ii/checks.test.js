import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  afstand, andersGeschreven, bijnaNamen, kandidaten, losseDelen, ocrVorm,
} from '../../../web/src/core/checks.js';

const entity = (id, cat, value, variants = [value], active = true) => ({
  id, cat, label: cat + '_' + id, value, variants, active,
});
const karel = entity(1, 'PERSOON', 'Karel van Dam', ['Karel van Dam', 'van Dam', 'Van Dam', 'K. van Dam', 'K van Dam']);
const jp = entity(2, 'PERSOON', 'J.P. ter Horst-Jansen');
const adres = entity(3, 'ADRES', 'Laan van Meerdervoort 12a');
const bedrijf = entity(4, 'BEDRIJF', 'Dekker Bouw B.V.');
const mail = entity(5, 'EMAIL', 'info@dekkerbouw.nl');
const gratis = entity(6, 'EMAIL', 'k.vandam@gmail.com');
const overheid = entity(7, 'EMAIL', 'j.smit@belastingdienst.nl');
const marieke = entity(8, 'PERSOON', 'Marieke Hoogendoorn');
const uit = entity(9, 'PERSOON', 'Willem Brouwer', ['Willem Brouwer'], false);
const all = [karel, jp, adres, bedrijf, mail, gratis, overheid, marieke, uit];

const parts = (text, entities = all) => losseDelen(text, entities).map((p) => [p.ent.id, p.deel, p.cat]);

test('only placeholders left means no loose part and no near name', () => {
  const text = '[PERSOON_1] woont aan [ADRES_3]; [GEBDATUM_1 (1958)] en [BEDRIJF_4] mailen via [EMAIL_5].';
  assert.deepEqual(losseDelen(text, all), []);
  assert.deepEqual(bijnaNamen(text, all), []);
  const persoons = entity(12, 'PERSOON', 'Eva Persoons');
  assert.deepEqual(bijnaNamen('Brief aan [PERSOON_12].', [persoons]), []);
  assert.deepEqual(bijnaNamen('Brief aan PERSOON.', [persoons]).map((n) => n.deel), ['PERSOON']);
});

test('loose parts of replaced values that still stand in the text', () => {
  const cases = [
    ['Karel belde gisteren.', [[1, 'Karel', undefined]]],
    ['KAREL belde gisteren.', [[1, 'Karel', undefined]]],
    ['karel belde gisteren.', []],
    ['De Karelsprijs', []],
    ['Wij gaan naar de Laan van Meerdervoort.', [[3, 'Laan van Meerdervoort', undefined]]],
    ['Horst en Jansen tekenden.', [[2, 'Horst', undefined], [2, 'Jansen', undefined]]],
    ['J.P. en ter waren er, net als van en B.V. en Dam.', [[1, 'Dam', undefined]]],
    ['Dekker levert.', [[4, 'Dekker', undefined]]],
  ];
  for (const [text, expected] of cases) assert.deepEqual(parts(text), expected, text);
});

test('the domain of a company mail address is a loose part, a free or public one never', () => {
  assert.deepEqual(parts('Zie DekkerBouw.nl voor de offerte.'), [[5, 'dekkerbouw.nl', 'WEBSITE'], [5, 'dekkerbouw', 'WEBSITE']]);
  assert.deepEqual(parts('Mail info@dekkerbouw.nl of ga naar dekkerbouw-online.'), []);
  assert.deepEqual(parts('Zie gmail.com en belastingdienst.nl.'), []);
});

test('a part found for two entities is reported once, for the first', () => {
  const lotte = entity(10, 'PERSOON', 'Lotte Dekker');
  assert.deepEqual(parts('Dekker belde.', [bedrijf, lotte]), [[4, 'Dekker', undefined]]);
  assert.deepEqual(parts('Dekker belde.', [{ ...bedrijf, active: false }, lotte]), [[10, 'Dekker', undefined]]);
});

test('ocrVorm folds OCR confusions in order', () => {
  const cases = [['Hoogendoorn', 'hoogendoom'], ['Wi11em', 'willem'], ['Vvillem', 'willem'], ['C1ara', 'clara'],
    ['Clara', 'dara'], ['B0s5', 'boss'], ['8rouwer', 'brouwer'], ['Ja!|e', 'jalle']];
  for (const [word, form] of cases) assert.equal(ocrVorm(word), form, word);
});

test('afstand is the edit distance, cut off above its bound', () => {
  const cases = [['kitten', 'sitting', 5, 3], ['kitten', 'sitting', 2, 3], ['abc', 'abc', 1, 0], ['abc', 'abd', 1, 1],
    ['abc', 'abcdef', 1, 2], ['', 'ab', 2, 2], ['abcdef', 'badcfe', 1, 2]];
  for (const [a, b, max, expected] of cases) assert.equal(afstand(a, b, max), expected, `${a} ${b} ${max}`);
});

test('near names: OCR confusions and single typing errors of replaced name words', () => {
  const cases = [
    ['Brief aan Hoogendoom.', ['Hoogendoom']],
    ['Brief aan Hogendoorn.', ['Hogendoorn']],
    ['Brief aan Marieka.', ['Marieka']],
    ['Brief aan Kare1.', ['Kare1']],
    ['Brief aan Karal.', []],
    ['Brief aan Brouwr.', []],
    ['Brief aan Hoogendoorn.', []],
    ['De Marieka ging en marieka kwam.', []],
    ['Volgens Maricke en Maricke.', ['Maricke']],
  ];
  for (const [text, words] of cases) assert.deepEqual(bijnaNamen(text, all).map((n) => n.deel), words, text);
  assert.equal(bijnaNamen('Hoogendoom', all)[0].ent, marieke);
  assert.deepEqual(bijnaNamen('Hoogendoom', [uit]), []);
});

test('a near name has one letter more, less or other, and goes to the first entity it is near', () => {
  const jansens = entity(21, 'PERSOON', 'Jansens');
  const janssen = entity(22, 'PERSOON', 'Janssen');
  const near = (text, entities) => bijnaNamen(text, entities).map((n) => [n.ent.id, n.deel]);
  assert.deepEqual(near('Jansen, Jannsens en Janzens', [jansens]), [[21, 'Jansen'], [21, 'Jannsens'], [21, 'Janzens']]);
  assert.deepEqual(near('Jansen', [jansens, janssen]), [[21, 'Jansen']]);
  assert.deepEqual(near('Jansen', [janssen, jansens]), [[22, 'Jansen']]);
});

test('a word far longer than every name word is no near name; a near name beside it still is', () => {
  const dekker = entity(13, 'PERSOON', 'Karel Dekker', ['Karel Dekker', 'Dekker']);
  const blob = 'NL'.repeat(32000);
  const cases = [
    [`Zie ${blob} hier.`, []],
    [`Zie ${blob} Dekkar, Deker ${blob}.`, ['Dekkar', 'Deker']],
    // Glued to it, a near name is part of the long word.
    [`Zie ${blob}Dekkar.`, []],
    // One letter more than the longest name word is near it, two letters more are not.
    ['Zie Dekkerr en Dekkerrr.', ['Dekkerr']],
  ];
  for (const [text, words] of cases) assert.deepEqual(bijnaNamen(text, [dekker]).map((n) => n.deel), words, text.slice(0, 40));
});

test('a name word as long as a text without blanks: itself no near name, one edit from it a near name', () => {
  // Detection takes such a word whole after "de heer" or before "B.V.".
  const blob = 'NL'.repeat(32000);
  const dekker = entity(13, 'PERSOON', 'Karel Dekker', ['Karel Dekker', 'Dekker']);
  const lang = entity(14, 'BEDRIJF', `${blob} B.V.`, [`${blob} B.V.`, blob]);
  const near = (text) => bijnaNamen(text, [lang, dekker]).map((n) => [n.ent.id, n.deel.length > 20 ? n.deel.length : n.deel]);
  const cases = [
    [`Zie ${blob} en Dekkar.`, [[13, 'Dekkar']]],
    // A letter more, a letter less, another letter; two letters more.
    [`Zie ${blob}N, ${blob.slice(1)}, ${blob.slice(0, -1)}X en ${blob}NL.`, [[14, 64001], [14, 63999], [14, 64000]]],
  ];
  for (const [text, expected] of cases) assert.deepEqual(near(text), expected, text.slice(0, 30));
  // Around every length a name word can have, one edit is near and two are not.
  for (const length of [30, 39, 40, 41, 42, 43, 80]) {
    const word = 'Dekker'.repeat(20).slice(0, length);
    const ent = entity(15, 'PERSOON', `Jan ${word}`);
    const text = `Zie ${word}e, ${word.slice(0, -1)}, ${word.slice(0, -1)}x, ${word}ee en ${word.slice(0, -2)}.`;
    const expected = [`${word}e`, word.slice(0, -1), `${word.slice(0, -1)}x`];
    assert.deepEqual(bijnaNamen(text, [ent]).map((n) => n.deel), expected, `${length}`);
  }
});

test('near names of five-letter words need the same OCR form', () => {
  const thijs = entity(11, 'PERSOON', 'Thijs Smits');
  assert.deepEqual(bijnaNamen('Smíts, Smit5 en Srnits', [thijs]).map((n) => n.deel), ['Smit5', 'Srnits']);
});

test('a word of the office trade is no near name, nor the anchor of one', () => {
  const kantoor = entity(12, 'BEDRIJF', 'Van Leeuwen Accountants');
  const text = 'Register Accountant ([BEDRIJF_12]) en Van Leuwen Accountents';
  assert.deepEqual(bijnaNamen(text, [kantoor]).map((n) => n.deel), ['Leuwen']);
});

test('known forms in another letter case are reported as written, plain lower-case words not', () => {
  const femke = entity(13, 'PERSOON', 'Femke van Leeuwen', ['Femke van Leeuwen', 'van Leeuwen', 'Van Leeuwen']);
  const bakker = entity(14, 'PERSOON', 'G. Bakker', ['G. Bakker', 'Bakker']);
  const text = 'Kan femke van leeuwen en FEMKE van leeuwen komen? De bakker, VAN LEEUWEN en [PERSOON_14] ook; femke van leeuwen.';
  assert.deepEqual(andersGeschreven(text, [femke, bakker, uit]).map((n) => [n.ent.id, n.deel]),
    [[13, 'femke van leeuwen'], [13, 'FEMKE van leeuwen']]);
  assert.deepEqual(andersGeschreven('willem brouwer', [uit]), []);
});

test('name candidates: two or three capitalised words that no entity holds', () => {
  const text = [
    'Piet Jansen en Anna van den Berg waren bij de Raad van State.',
    'Piet Jansen tekende. De Vries Bouw en Kamer van Koophandel niet.',
    'Zij woont in de Kerk Straat. Hoge Raad der Nederlanden.',
    'Ook Lotte Dekker en Anna Brouwer, met [PERSOON_1] Smit.',
    'Jan Kuipers belde; jan is een kuipers-zoon.',
  ].join('\n');
  assert.deepEqual(kandidaten(text, ['Lotte Dekker', '  anna  BROUWER ']), ['Piet Jansen', 'Anna van den Berg', 'Smit']);
  assert.deepEqual(kandidaten('Piet Jansen'), ['Piet Jansen']);
  assert.deepEqual(kandidaten('Volgens Piet Jansen'), ['Piet Jansen']);
  assert.deepEqual(kandidaten('=== Document 2: Notitie Jolanda Smit.txt ==='), ['Jolanda Smit'], 'a noun before a name');
});
