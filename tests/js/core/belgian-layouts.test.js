import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';

// Every hit of the categories asked for, as "CAT value", checked against its
// offsets, in text order.
function hitsOf(text, cats) {
  return detect(text).filter((h) => cats.includes(h.cat)).map((h) => {
    assert.equal(text.slice(h.start, h.end), h.value, `offsets of ${h.value} in ${JSON.stringify(text)}`);
    return `${h.cat} ${h.value}`;
  });
}

// Each table: the text, the categories looked at, and every hit of those it
// must give; an empty list marks a near miss that must stay without one.
function check(cases) {
  for (const [text, cats, hits] of cases) assert.deepEqual(hitsOf(text, cats), hits, JSON.stringify(text));
}

test('Belgian mobile numbers after a phone label, beside Dutch mobiles and Belgian landlines', () => {
  const T = ['TELEFOON'];
  check([
    ['GSM 0475/12.34.56', T, ['TELEFOON 0475/12.34.56']],
    ['Tel. 0475.12.34.56', T, ['TELEFOON 0475.12.34.56']],
    ['Telefoonnummer: 0475/12 34 56', T, ['TELEFOON 0475/12 34 56']],
    ['gsm: 0475/123456', T, ['TELEFOON 0475/123456']],
    ['GSM +32 475 12 34 56', T, ['TELEFOON +32 475 12 34 56']],
    ['Tel. 06-12345678', T, ['TELEFOON 06-12345678']],
    ['Tel. 09 223 45 67', T, ['TELEFOON 09 223 45 67']],
    ['Tel. 09/223.45.67', T, ['TELEFOON 09/223.45.67']],
    ['Tel. 04/223.45.67', T, ['TELEFOON 04/223.45.67']],
    // Without a label, or with a digit too many, nine or ten digits are no phone.
    ['Rekening 0475/12.34.56', T, []],
    ['GSM 0475/12.34.567', T, []],
  ]);
});

const ADRES = ['ADRES', 'POSTCODE', 'PLAATS'];

test('a Belgian box belongs to the address, and the postcode and place after it are found', () => {
  const after = ['POSTCODE 8500', 'PLAATS Kortrijk'];
  check([
    ['Adres: Doorniksestraat 45 b3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 b3', ...after]],
    ['Adres: Doorniksestraat 45 b.3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 b.3', ...after]],
    ['Adres: Doorniksestraat 45b12, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45b12', ...after]],
    ['Adres: Doorniksestraat 45 bus A, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 bus A', ...after]],
    ['Adres: Doorniksestraat 45 bte 3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 bte 3', ...after]],
    ['Adres: Doorniksestraat 45 bus 3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 bus 3', ...after]],
    // A house-number letter stays one.
    ['Kerkstraat 12 b, 1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12 b', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12b\n1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12b', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12 bus Amsterdam', ADRES, ['ADRES Kerkstraat 12']],
  ]);
});

