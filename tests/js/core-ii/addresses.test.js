import { test } from 'node:test';
import assert from 'node:assert/strict';
import { adressen, belgischeAdressen } from '../../../web/src/core/addresses.js';
import { detect } from '../../../web/src/core/detect.js';

function rows(text, hits) {
  return hits.map((h) => {
    assert.equal(text.slice(h.start, h.end).replace(/\u00A0/g, ' '), h.value, 'offsets of ' + h.value);
    assert.equal(h.rol, undefined);
    return [h.cat, h.value];
  });
}

test('a Dutch address block gives the street and the name or company above it', () => {
  const cases = [
    ['Karel Dekker\nKerkstraat 12a\n1234 AB  Amsterdam', [['ADRES', 'Kerkstraat 12a'], ['PERSOON', 'Karel Dekker']]],
    ['T.a.v. K. van Dam\nKerkstraat 12\n1234 AB Amsterdam', [['ADRES', 'Kerkstraat 12'], ['PERSOON', 'K. van Dam']]],
    ['de heer P. Bakker  \nLaan van Meerdervoort 1-3\n2517 AA Den Haag', [['ADRES', 'Laan van Meerdervoort 1-3'], ['PERSOON', 'P. Bakker']]],
    ['Bakker & Zn. V.O.F.\nMolenweg 7\n8011 SS Zwolle', [['ADRES', 'Molenweg 7'], ['BEDRIJF', 'Bakker & Zn. V.O.F.']]],
    ['Jansen en De Wit\r\nDorpsstraat 4\r\n1234AB Hoorn', [['ADRES', 'Dorpsstraat 4'], ['PERSOON', 'Jansen en De Wit']]],
    ['Kerkstraat 12\n1234 AB Amsterdam', [['ADRES', 'Kerkstraat 12']]],
    ['Bezoekadres: Aan de Kade 5\n3011 SA Rotterdam', [['ADRES', 'Aan de Kade 5']]],
  ];
  for (const [text, expected] of cases) assert.deepEqual(rows(text, adressen(text)), expected, text);
});

test('a line above that cannot be a name gives no hit', () => {
  const lines = [
    'Klantnummer 12345', 'Tel: 020-1234567', 'info@dekker.nl', 'Retouradres', 'Postbus',
    'Geachte mevrouw Jansen', 'Een heel lange regel met veel meer dan zeven woorden erin',
    'Karel Dekker woont hier', 'A'.repeat(71), '   ',
  ];
  for (const line of lines) {
    const text = line + '\nKerkstraat 12\n1234 AB Amsterdam';
    assert.deepEqual(rows(text, adressen(text)), [['ADRES', 'Kerkstraat 12']], line);
  }
});

test('a street with a Dutch postcode on one line loses a leading stop word', () => {
  const text = 'Wij wonen aan de Dorpsweg 3, 1234 AB Hoorn.\nAan de Kade 5, 1234AB Hoorn\nOver Hoofdstraat 9 2011 AB Haarlem';
  assert.deepEqual(rows(text, adressen(text)), [
    ['ADRES', 'Dorpsweg 3'], ['ADRES', 'de Kade 5'], ['ADRES', 'Hoofdstraat 9'],
  ]);
});

test('Belgian addresses need a street suffix, an honorific above or a country below', () => {
  const cases = [
    ['Koning Albertlaan 12 - 9000 Gent', [['ADRES', 'Koning Albertlaan 12'], ['POSTCODE', '9000'], ['PLAATS', 'Gent']]],
    ['Grote Markt 1, B-2000 Antwerpen', [['ADRES', 'Grote Markt 1'], ['POSTCODE', '2000'], ['PLAATS', 'Antwerpen']]],
    ['Onze-Lieve-Vrouwlaan 3 – 2800 Mechelen', [['ADRES', 'Onze-Lieve-Vrouwlaan 3'], ['POSTCODE', '2800'], ['PLAATS', 'Mechelen']]],
    ['Kouter 12 - 9000 Gent', []],
    ['Mr. A. Peeters\nKouter 12\n9000 Gent', [['ADRES', 'Kouter 12'], ['POSTCODE', '9000'], ['PLAATS', 'Gent'], ['PERSOON', 'Mr. A. Peeters']]],
    ['Mevrouw A. Peeters\r\nKouter 12\r\n9000 Gent\r\n', [['ADRES', 'Kouter 12'], ['POSTCODE', '9000'], ['PLAATS', 'Gent'], ['PERSOON', 'A. Peeters']]],
    ['Familie Peeters\nKouter 12\nB-9000 Gent\nBELGIE\n', [['ADRES', 'Kouter 12'], ['POSTCODE', '9000'], ['PLAATS', 'Gent'], ['PERSOON', 'Peeters']]],
    ['Kouter 12\n9000 Gent\n  België', [['ADRES', 'Kouter 12'], ['POSTCODE', '9000'], ['PLAATS', 'Gent']]],
    ['Kouter 12\n9000 Gent\nNederland', []],
    ['Kouter 12\n9000 Gent', []],
    ['Peeters\nStationsstraat 8\n3000 Leuven', [['ADRES', 'Stationsstraat 8'], ['POSTCODE', '3000'], ['PLAATS', 'Leuven'], ['PERSOON', 'Peeters']]],
  ];
  for (const [text, expected] of cases) assert.deepEqual(rows(text, belgischeAdressen(text)), expected, text);
});

test('in the pipeline a Dutch one-line address keeps its Dutch postcode and place', () => {
  const text = 'Adres: Dorpsweg 3, 2011 AB Haarlem';
  assert.deepEqual(rows(text, detect(text)), [['ADRES', 'Dorpsweg 3'], ['POSTCODE', '2011 AB'], ['PLAATS', 'Haarlem']]);
});

test('an address block in capitals with a name in capitals', () => {
  const text = 'DE HEER J. VAN DAM\nKERKSTRAAT 12\n1234 AB AMSTERDAM';
  assert.deepEqual(rows(text, detect(text)), [
    ['PERSOON', 'J. VAN DAM'], ['ADRES', 'KERKSTRAAT 12'], ['POSTCODE', '1234 AB'], ['PLAATS', 'AMSTERDAM'],
  ]);
});

test('a house-number range stays in the street, a dash before a Belgian postcode does not', () => {
  const cases = [
    ['Kerkstraat 12-14, 1234 AB Hoorn', adressen, 'Kerkstraat 12-14'],
    ['Kerkstraat 12 / 2, 1234 AB Hoorn', adressen, 'Kerkstraat 12 / 2'],
    ['Kerkstraat 12 - 9000 Gent', belgischeAdressen, 'Kerkstraat 12'],
  ];
  for (const [text, fn, street] of cases) assert.equal(fn(text)[0].value, street, text);
});

test('a street inside a dotted or hyphenated run of capitals is not started mid-run', () => {
  assert.deepEqual(adressen('-Kerkstraat 5, 1234 AB Hoorn').map((h) => h.value), ['Kerkstraat 5']);
  assert.deepEqual(adressen('A.B.C.D 5, 1234 AB Hoorn').map((h) => h.value), ['A.B.C.D 5']);
});
