import { test } from 'node:test';
import assert from 'node:assert/strict';
import { dedupe, gedeeldeVarianten, suggestVariants } from '../../../web/src/core/variants.js';
import { normNum, normText } from '../../../web/src/core/normalise.js';

test('normal forms', () => {
  assert.equal(normNum('NL91 ABNA 0417 1643 00'), 'NL91ABNA0417164300');
  assert.equal(normNum('nl91-abna.0417'), 'NL91ABNA0417');
  assert.equal(normText('  Karel\n\u00A0van\t Dam '), 'Karel van Dam');
});

test('suggestVariants', () => {
  const cases = [
    ['PERSOON', 'Karel van Dam', ['Karel van Dam', 'van Dam', 'Van Dam', 'K. van Dam', 'K van Dam']],
    ['PERSOON', 'Karel Dekker', ['Karel Dekker', 'Dekker', 'K. Dekker', 'K Dekker']],
    ['PERSOON', 'Karel Ek', ['Karel Ek', 'K. Ek', 'K Ek']],
    ['PERSOON', 'De Wit', ['De Wit', 'de Wit']],
    ['PERSOON', 'Van den Berg', ['Van den Berg', 'van den Berg']],
    ['PERSOON', "van 't Hek", ["van 't Hek", "Van 't Hek"]],
    ['PERSOON', 'DE VRIES', ['DE VRIES', 'De Vries', 'de Vries']],
    ['PERSOON', 'Anna Maria de Wit', ['Anna Maria de Wit', 'de Wit', 'De Wit', 'A.M. de Wit']],
    ['PERSOON', 'J.P. Dekker', ['J.P. Dekker', 'Dekker']],
    ['PERSOON', 'K Dekker', ['K Dekker', 'Dekker', 'K. Dekker']],
    ['PERSOON', 'Dekker', ['Dekker']],
    ['PERSOON', 'KAREL VAN DAM', ['KAREL VAN DAM', 'Karel van Dam', 'van Dam', 'Van Dam', 'K. van Dam', 'K van Dam']],
    ['PERSOON', 'J.P. DE VRIES', ['J.P. DE VRIES', 'J.P. de Vries', 'de Vries', 'De Vries']],
    ['PERSOON', '  Karel\u00A0 Dekker ', ['Karel Dekker', 'Dekker', 'K. Dekker', 'K Dekker']],
    ['PERSOON', '   ', []],
    ['PERSOON', 'P.J. (Piet) Visser', ['P.J. (Piet) Visser', 'Visser', 'P.J. Visser']],
    ['PERSOON', 'P.J. (PIET) VISSER', ['P.J. (PIET) VISSER', 'P.J. (Piet) Visser', 'Visser', 'P.J. Visser']],
    ['PERSOON', 'Jan (Hans) de Vries', ['Jan (Hans) de Vries', 'de Vries', 'De Vries', 'J. de Vries', 'J de Vries']],
    ['BEDRIJF', 'Dekker Bouw N.V.', ['Dekker Bouw N.V.', 'Dekker Bouw', 'Dekker Bouw B.V.', 'Dekker Bouw BV', 'Dekker Bouw B.V']],
    ['BEDRIJF', 'Dekker Bouw, BV', ['Dekker Bouw, BV', 'Dekker Bouw', 'Dekker Bouw B.V.', 'Dekker Bouw BV', 'Dekker Bouw B.V']],
    ['BEDRIJF', 'AB BV', ['AB BV']],
    ['BEDRIJF', 'Scheldeland Verzekeringen NV', [
      'Scheldeland Verzekeringen NV', 'Scheldeland Verzekeringen', 'Scheldeland Verzekeringen B.V.',
      'Scheldeland Verzekeringen BV', 'Scheldeland Verzekeringen B.V']],
    ['BEDRIJF', 'Bouwbedrijf CNV', ['Bouwbedrijf CNV']],
    ['BEDRIJF', 'Dekker Bouw', ['Dekker Bouw']],
    ['TELEFOON', '06 12345678', ['06 12345678', '+31612345678']],
    ['TELEFOON', '020-1234567', ['020-1234567', '+31201234567']],
    ['TELEFOON', '+31 20 123 4567', ['+31 20 123 4567', '0201234567']],
    ['TELEFOON', '0031 20 123 4567', ['0031 20 123 4567', '0201234567']],
    ['TELEFOON', '+31 (0)20 123 4567', ['+31 (0)20 123 4567', '0201234567']],
    ['TELEFOON', '+32 475 12 34 56', ['+32 475 12 34 56', '0475123456']],
    ['TELEFOON', '0032 9 223 45 67', ['0032 9 223 45 67', '092234567']],
    ['IBAN', 'NL91 ABNA 0417 1643 00', ['NL91 ABNA 0417 1643 00']],
  ];
  for (const [cat, value, expected] of cases) assert.deepEqual(suggestVariants(cat, value), expected, value);
});

test('dedupe keys: text case-sensitive, numbers on letters and digits', () => {
  assert.deepEqual(dedupe('PERSOON', ['Dekker', 'DEKKER', ' Dekker ', '']), ['Dekker', 'DEKKER']);
  assert.deepEqual(dedupe('IBAN', ['NL91 ABNA 0417 1643 00', 'nl91abna0417164300']), ['NL91 ABNA 0417 1643 00']);
  assert.deepEqual(dedupe('POSTCODE', ['1234 AB', '1234AB', '1234 AC']), ['1234 AB', '1234 AC']);
  // A number form with separators of its own is searched as written, so it is
  // kept; one with only blanks, dots and hyphens is found by any form of its digits.
  assert.deepEqual(dedupe('TELEFOON', ['(038) 421 56 90', '038 421 56 90', '038 - 421 56 90', '(038) 421-56-90']),
    ['(038) 421 56 90', '038 - 421 56 90']);
  assert.deepEqual(dedupe('TELEFOON', ['038 421 56 90', '(038) 421 56 90']), ['038 421 56 90', '(038) 421 56 90']);
  // A short number finds only itself as written, so each writing stays.
  assert.deepEqual(dedupe('KENMERK', ['12-50', '1250', '12.50', '1250', '12-50']), ['12-50', '1250', '12.50']);
});

const persoon = (value, variants = suggestVariants('PERSOON', value)) => ({ cat: 'PERSOON', value, variants });

test('gedeeldeVarianten splits off a surname two persons share', () => {
  const lotte = persoon('Lotte Dekker');
  const karel = persoon('Karel Dekker');
  const bedrijf = { cat: 'BEDRIJF', value: 'Dekker', variants: ['Dekker'] };
  const list = [lotte, bedrijf, karel];
  assert.deepEqual(gedeeldeVarianten(list, karel), ['Dekker']);
  assert.deepEqual(karel.variants, ['Karel Dekker', 'K. Dekker', 'K Dekker']);
  assert.deepEqual(lotte.variants, ['Lotte Dekker', 'L. Dekker', 'L Dekker']);
  assert.deepEqual(bedrijf.variants, ['Dekker'], 'other categories keep their forms');
});

test('gedeeldeVarianten compares without case and drops forms that are another person', () => {
  const vader = persoon('Dekker', ['Dekker']);
  const lotte = persoon('Lotte Dekker', ['Lotte Dekker', 'DEKKER', 'L. Dekker']);
  const karel = persoon('Karel Dekker', ['Karel Dekker', 'dekker', 'K. Dekker']);
  const list = [vader, lotte, karel];
  assert.deepEqual(gedeeldeVarianten(list, karel), ['dekker']);
  assert.deepEqual(lotte.variants, ['Lotte Dekker', 'L. Dekker']);
  assert.deepEqual(vader.variants, ['Dekker'], 'a value is never removed');
  assert.deepEqual(karel.variants, ['Karel Dekker', 'K. Dekker']);

  const jan = persoon('Jan Bos', ['Jan Bos', 'Lotte Dekker']);
  assert.deepEqual(gedeeldeVarianten([...list, jan], jan), []);
  assert.deepEqual(jan.variants, ['Jan Bos']);
  assert.deepEqual(gedeeldeVarianten(list, { cat: 'BEDRIJF', value: 'Dekker', variants: ['Dekker'] }), []);
});
