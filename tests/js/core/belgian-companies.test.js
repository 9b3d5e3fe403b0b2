// Belgian legal forms: after the name anywhere (BVBA, VZW, CommV), "CV" and a
// form before the name only where a company label or "de" announces it.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { anonymize, buildMatcher } from '../../../web/src/core/matcher.js';
import { suggestVariants } from '../../../web/src/core/variants.js';

function bedrijven(text) {
  return detect(text).filter((h) => h.cat === 'BEDRIJF').map((h) => {
    assert.equal(text.slice(h.start, h.end), h.value, `offsets of ${h.value}`);
    return h.value;
  });
}

test('Belgian legal forms and a legal form before the name give the company', () => {
  const cases = [
    ['Decoster Bouw BVBA levert', ['Decoster Bouw BVBA']],
    ['Vereniging Vlaamse Kinderopvang VZW', ['Vereniging Vlaamse Kinderopvang VZW']],
    ['bij Kinderopvang De Pinguin vzw', ['Kinderopvang De Pinguin vzw']],
    ['Immo Dewaele bvba levert aan de bvba Decoster Bouw', ['Immo Dewaele bvba', 'bvba Decoster Bouw']],
    ['Apotheek Lens CommV en Apotheek Mertens Comm.V.', ['Apotheek Lens CommV', 'Apotheek Mertens Comm.V.']],
    ['Vennootschap: Vandenberghe Bouw CV', ['Vandenberghe Bouw CV']],
    ['Onderneming: CV Immo Dewaele', ['CV Immo Dewaele']],
    ['Vennootschap: NV Decoster Bouw, met zetel te Gent', ['NV Decoster Bouw']],
    ['Werkgever:\tde NV Scheldeland Verzekeringen', ['NV Scheldeland Verzekeringen']],
    ['De verkoper verkoopt aan de BV Immo Dewaele het pand.', ['BV Immo Dewaele']],
    // "CV" without a label is a curriculum vitae or a boiler; a form alone names nothing.
    ['Stuur Jan Jansen CV en de nieuwe CV-ketel', []],
    ['Vandenberghe Bouw CV', []],
    ['De BV heeft getekend; de BV Die daar zit.', []],
    ['BVBA en VZW zijn rechtsvormen.', []],
    ['bvba en vzw zijn rechtsvormen; de bvba 2023 sloot af.', []],
    // A year or a body after the form is no firm: it would replace every 2023.
    ['De winst van de BV 2023 bedroeg € 5.000.', []],
    ['Dit besliste de VZW Algemene Vergadering.', []],
    ['Zo wil de NV Raad van Bestuur het.', []],
    ['Naam onderneming: Bakkerij De Gouden Aar CV', ['Bakkerij De Gouden Aar CV']],
  ];
  for (const [text, expected] of cases) assert.deepEqual(bedrijven(text), expected, text);
});

test('a company with its form before the name is also replaced by its name alone', () => {
  assert.deepEqual(suggestVariants('BEDRIJF', 'NV Decoster Bouw'), ['NV Decoster Bouw', 'Decoster Bouw', 'Decoster Bouw NV']);
  assert.deepEqual(suggestVariants('BEDRIJF', 'Decoster Bouw BVBA').slice(0, 2), ['Decoster Bouw BVBA', 'Decoster Bouw']);
  const ent = { id: 1, cat: 'BEDRIJF', label: 'BEDRIJF_1', value: 'NV Decoster Bouw', variants: suggestVariants('BEDRIJF', 'NV Decoster Bouw'), active: true };
  assert.equal(anonymize('De NV Decoster Bouw, Decoster Bouw NV en Decoster Bouw.', buildMatcher([ent])),
    'De [BEDRIJF_1], [BEDRIJF_1] en [BEDRIJF_1].');
});
