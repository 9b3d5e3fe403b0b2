// A surname alone is left as it stands only after another person's first
// name (of the list, or a common one) or before a firm word, and never where
// detection itself finds it; a pair left alone is named for the leak check.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { anonymize, buildMatcher } from '../../../web/src/core/matcher.js';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';
import { gedeeldeVarianten, suggestVariants } from '../../../web/src/core/variants.js';

// Persons as the page adds them: each with its forms, a shared surname split off.
function personen(...values) {
  const list = [];
  for (const value of values) {
    const ent = { id: list.length + 1, cat: 'PERSOON', value, variants: suggestVariants('PERSOON', value), active: true };
    list.push(ent);
    for (const vorm of gedeeldeVarianten(list, ent)) list.push({ id: list.length + 1, cat: 'PERSOON', value: vorm, variants: [vorm], active: true });
  }
  list.forEach((e, i) => { e.label = `PERSOON_${i + 1}`; });
  return list;
}

function vervang(text, entities) {
  const geweigerd = new Set();
  const uit = anonymize(text, buildMatcher(entities), null, { geweigerd });
  return { uit, geweigerd: [...geweigerd], terug: segmentsToText(restore(uit, entities).segments) };
}

test('after an ordinary word a surname alone is replaced', () => {
  const list = personen('Karel Dekker');
  const cases = [
    ['Uiteraard Dekker erft de woning.', 'Uiteraard [PERSOON_1] erft de woning.'],
    ['Nadien Dekker gebeld.', 'Nadien [PERSOON_1] gebeld.'],
    ['Erven Dekker tekenen morgen.', 'Erven [PERSOON_1] tekenen morgen.'],
    ['Uiteraard DEKKER en Bloemenhandel Dekker.', 'Uiteraard [PERSOON_1] en Bloemenhandel [PERSOON_1].'],
  ];
  for (const [text, expected] of cases) assert.equal(vervang(text, list).uit, expected, text);
});

test('after another first name, common or of the list, a surname alone stays and the pair is named', () => {
  const list = personen('G. Bakker', 'Jolijn');
  const cases = [
    ['Sanne Bakker belde G. Bakker.', 'Sanne Bakker belde [PERSOON_1].', ['Sanne Bakker']],
    ['Jolijn Bakker belde.', '[PERSOON_2] Bakker belde.', ['Jolijn Bakker']],
    ['[PERSOON_2] Bakker belde.', '[PERSOON_2] Bakker belde.', ['Bakker']],
    ['Jan-Willem Bakker belde.', 'Jan-Willem Bakker belde.', ['Jan-Willem Bakker']],
    ['Bakker Accountants en Bakker Holding', 'Bakker Accountants en Bakker Holding', ['Bakker Accountants', 'Bakker Holding']],
  ];
  for (const [text, expected, paren] of cases) {
    const { uit, geweigerd, terug } = vervang(text, list);
    assert.equal(uit, expected, text);
    assert.deepEqual(geweigerd, paren, text);
    assert.equal(terug, text.replace('[PERSOON_2]', 'Jolijn'), 'never "Sanne G. Bakker"');
  }
});

test('written surname first in capitals, another first name after a surname alone keeps it too', () => {
  const cases = [
    ['DE SMET Els', 'DE SMET Els en haar broer DE SMET Jan.', '[PERSOON_1] en haar broer DE SMET Jan.', ['DE SMET Jan']],
    ['DE SMET Els', 'De Smet Jan tekent.', 'De Smet Jan tekent.', ['De Smet Jan']],
    ['DE SMET Els Maria', 'DE SMET Maria tekent.', '[PERSOON_1] Maria tekent.', []],
    ['DE SMET Els', 'DE SMET en De Smet Antwerpen tekenen.', '[PERSOON_1] en [PERSOON_1] Antwerpen tekenen.', []],
    // A person written as usual keeps the rule as it was.
    ['Karel Dekker', 'Heeft Dekker Anna gebeld?', 'Heeft [PERSOON_1] Anna gebeld?', []],
  ];
  for (const [value, text, expected, paren] of cases) {
    const { uit, geweigerd, terug } = vervang(text, personen(value));
    assert.equal(uit, expected, text);
    assert.deepEqual(geweigerd, paren, text);
    if (paren.length) assert.equal(terug, text, 'never "DE SMET Els Jan"');
  }
});

test('the person\'s own first names, in every written form, are no other person\'s', () => {
  const cases = [
    ['W.J. (Willem) Brouwer', 'Mag Willem Brouwer de rente aftrekken?', 'Mag Willem [PERSOON_1] de rente aftrekken?'],
    ['Karel Jan Dekker', 'Jan Dekker belde.', 'Jan [PERSOON_1] belde.'],
    ['KAREL DEKKER', 'Karel Dekker en Sanne Dekker', '[PERSOON_1] en Sanne Dekker'],
    ['DE SMET Els', 'Els DE SMET, Els De Smet en Jan De Smet', '[PERSOON_1], [PERSOON_1] en Jan De Smet'],
    ['Jan-Willem Brouwer', 'Willem Brouwer en Jan Brouwer', 'Willem [PERSOON_1] en Jan [PERSOON_1]'],
  ];
  for (const [value, text, expected] of cases) assert.equal(vervang(text, personen(value)).uit, expected, text);
});

test('a surname that detection finds where it stands is replaced there, also before a firm word', () => {
  const list = personen("Joost van 't Hek");
  const text = "Joost van 't Hek\nFiscalist | Van 't Hek Belastingadvies";
  assert.equal(vervang(text, list).uit, '[PERSOON_1]\nFiscalist | [PERSOON_1] Belastingadvies');
  // Where detection finds no person the firm keeps its name.
  const firma = personen('Femke van Leeuwen');
  assert.equal(vervang('Van Leeuwen Accountants en Van Leeuwen zelf.', firma).uit, 'Van Leeuwen Accountants en [PERSOON_1] zelf.');
});

test('a soft hyphen in a person\'s value keeps the guard and the split of a shared surname', () => {
  const bakker = personen('G. Bak\u00ADker');
  assert.deepEqual(vervang('Sanne Bakker belde G. Bakker.', bakker), {
    uit: 'Sanne Bakker belde [PERSOON_1].', geweigerd: ['Sanne Bakker'], terug: 'Sanne Bakker belde G. Bak\u00ADker.',
  });
  const kuipers = personen('Jan Kui\u00ADpers', 'Piet Kuipers');
  assert.deepEqual(kuipers.map((e) => e.value), ['Jan Kui\u00ADpers', 'Piet Kuipers', 'Kuipers']);
  assert.equal(vervang('Kuipers belde Jan Kuipers.', kuipers).terug, 'Kuipers belde Jan Kui\u00ADpers.');
});

test('in a long text each surname before a firm word is judged where it stands, near or far from the last', () => {
  const list = personen("Joost van 't Hek", 'Femke van Leeuwen');
  const stukken = [5, 300, 9000, 20, 17000, 0].map((n) => `${'de tekst '.repeat(n)}Van 't Hek Belastingadvies en Van Leeuwen Accountants.\n`);
  const { uit } = vervang(stukken.join(''), list);
  assert.equal(uit, stukken.join('').replaceAll("Van 't Hek", '[PERSOON_1]'));
});
