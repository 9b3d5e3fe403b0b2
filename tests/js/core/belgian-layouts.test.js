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
    ['Mobiel: 0475/12.34.56', T, ['TELEFOON 0475/12.34.56']],
    ['mobiel 09/223.45.67', T, ['TELEFOON 09/223.45.67']],
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
    // The same box in capitals or with a dot.
    ['Adres: Doorniksestraat 45 B3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 B3', ...after]],
    ['Adres: Doorniksestraat 45 B.3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 B.3', ...after]],
    ['Adres: Doorniksestraat 45 Bus 3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 Bus 3', ...after]],
    ['Adres: Doorniksestraat 45 bte. 3, 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 bte. 3', ...after]],
    ['Doorniksestraat 45 Bte 3\n8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45 Bte 3', ...after]],
    // A house-number letter stays one.
    ['Kerkstraat 12 b, 1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12 b', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12b\n1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12b', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12 bus Amsterdam', ADRES, ['ADRES Kerkstraat 12']],
    ['Kerkstraat 12 B, 1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12 B', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12 B\n1234 AB Utrecht', ADRES, ['ADRES Kerkstraat 12 B', 'POSTCODE 1234 AB', 'PLAATS Utrecht']],
    ['Kerkstraat 12 Bus. 3', ADRES, ['ADRES Kerkstraat 12']],
  ]);
});

test('a Belgian postcode and place after "te" or a place label', () => {
  check([
    ['wonende te 8500 Kortrijk.', ADRES, ['POSTCODE 8500', 'PLAATS Kortrijk']],
    ['gevestigd te 9000 Gent.', ADRES, ['POSTCODE 9000', 'PLAATS Gent']],
    ['gevestigd te B-9000 Gent.', ADRES, ['POSTCODE 9000', 'PLAATS Gent']],
    ['Woonplaats: 9000 Gent', ADRES, ['POSTCODE 9000', 'PLAATS Gent']],
    ['wonende Doorniksestraat 45 te 8500 Kortrijk', ADRES, ['ADRES Doorniksestraat 45', 'POSTCODE 8500', 'PLAATS Kortrijk']],
    ['wonende te Kortrijk', ADRES, ['PLAATS Kortrijk']],
    ['wonende te 8500 Kortrijk, Doorniksestraat 45', ADRES, ['POSTCODE 8500', 'PLAATS Kortrijk', 'ADRES Doorniksestraat 45']],
    ['gevestigd te 1234 AB Amsterdam', ADRES, ['POSTCODE 1234 AB', 'PLAATS Amsterdam']],
    // Without "te" or a label four digits before a word are no postcode.
    ['In 2023 Kortrijk verlaten.', ADRES, []],
    ['totaal 8500 Kortrijkse euro', ADRES, []],
    // A currency after the digits makes them an amount, not a postcode.
    ['verkocht te 1500 EUR aan de koper', ADRES, []],
    ['te 2000 Euro per maand', ADRES, []],
    ['te 1000 Eurodorp', ADRES, ['POSTCODE 1000', 'PLAATS Eurodorp']],
  ]);
});

test('a French street after a Dutch address label, and a street word alone is no place', () => {
  check([
    ['Zetel: Avenue Louise 54, 1050 Ixelles', ADRES, ['ADRES Avenue Louise 54', 'POSTCODE 1050', 'PLAATS Ixelles']],
    ['Zetel: Rue de la Loi 16, 1000 Bruxelles', ADRES, ['ADRES Rue de la Loi 16', 'POSTCODE 1000', 'PLAATS Bruxelles']],
    ['Adres: Rue de la Loi 16 bte 3, 1000 Bruxelles', ADRES, ['ADRES Rue de la Loi 16 bte 3', 'POSTCODE 1000', 'PLAATS Bruxelles']],
    ['wonende Chaussée de Louvain 123\n1030 Schaerbeek', ADRES, ['ADRES Chaussée de Louvain 123', 'POSTCODE 1030', 'PLAATS Schaerbeek']],
    ['gevestigd Boulevard d’Avroy 7 - 4000 Liège', ADRES, ['ADRES Boulevard d’Avroy 7', 'POSTCODE 4000', 'PLAATS Liège']],
    ['Adres: Drève du Pressoir 7', ADRES, ['ADRES Drève du Pressoir 7']],
    // A street word without its street, or without a label, is nothing.
    ['Zetel: Avenue', ADRES, []],
    ['Zetel: Place Louise', ADRES, []],
    ['Vestigingsplaats: Laan van Meerdervoort', ADRES, []],
    ['Zetel: Ixelles', ADRES, ['PLAATS Ixelles']],
  ]);
  for (const text of ['De Avenue Louise is een drukke laan.', 'Wij lunchten aan de Avenue Louise 54 in Brussel.']) {
    assert.deepEqual(detect(text).filter((h) => /Avenue/.test(h.value)), [], text);
  }
});

test('any street after an address label is the address when its Belgian postcode and place follow', () => {
  check([
    ['Adres: Meir 24, 2000 Antwerpen', ADRES, ['ADRES Meir 24', 'POSTCODE 2000', 'PLAATS Antwerpen']],
    ['Zetel: Kouter 12 - 9000 Gent', ADRES, ['ADRES Kouter 12', 'POSTCODE 9000', 'PLAATS Gent']],
    ['wonende Coupure Rechts 88 te 9000 Gent', ADRES, ['ADRES Coupure Rechts 88', 'POSTCODE 9000', 'PLAATS Gent']],
    ['gevestigd Groenplaats 5 bus 2, B-2000 Antwerpen', ADRES, ['ADRES Groenplaats 5 bus 2', 'POSTCODE 2000', 'PLAATS Antwerpen']],
    // Without the label, or without its postcode, such a street proves nothing.
    ['Meir 24, 2000 Antwerpen', ADRES, []],
    ['Postadres: Meir 24, 2000 Antwerpen', ADRES, []],
    ['Adres: Meir 24', ADRES, []],
    ['Adres: Dorpsweg 3, 2011 AB Haarlem', ADRES, ['ADRES Dorpsweg 3', 'POSTCODE 2011 AB', 'PLAATS Haarlem']],
  ]);
});

test('a Belgian parcel number is taken whole, and a Dutch parcel keeps its form', () => {
  const K = ['KADASTER'];
  check([
    ['sectie A, nummer 123B', K, ['KADASTER sectie A, nummer 123B']],
    ['sectie C, nr. 789/02D', K, ['KADASTER sectie C, nr. 789/02D']],
    ['sectie B, nummer 456C2', K, ['KADASTER sectie B, nummer 456C2']],
    ['sectie B, nummer 456/02', K, ['KADASTER sectie B, nummer 456/02']],
    ['sectie K nummer 1234 A 5', K, ['KADASTER sectie K nummer 1234 A 5']],
    ['sectie K, nummer 1234A12', K, ['KADASTER sectie K, nummer 1234A12']],
    ['sectie K nummer 1234, appartementsrecht A 12', K, ['KADASTER sectie K nummer 1234, appartementsrecht A 12']],
    ['sectie K nummer 1234 en verder', K, ['KADASTER sectie K nummer 1234']],
  ]);
});

test('Belgian plates, eID card numbers and company numbers after their own labels', () => {
  check([
    ['Kenteken: 1-ABC-234', ['KENTEKEN'], ['KENTEKEN 1-ABC-234']],
    ['Nummerplaat: 1-ABC-234', ['KENTEKEN'], ['KENTEKEN 1-ABC-234']],
    ['nummerplaat 1ABC234', ['KENTEKEN'], ['KENTEKEN 1ABC234']],
    ['Kenteken: AB-12-CD', ['KENTEKEN'], ['KENTEKEN AB-12-CD']],
    ['Nummerplaat: 1-ABC-2345', ['KENTEKEN'], []],
    ['Identiteitskaart: 591-1234567-89', ['IDNR'], ['IDNR 591-1234567-89']],
    ['Identiteitskaart: 591-123456-89', ['IDNR'], []],
    ['ondernemingsnummer 456.789.133', ['KVK'], ['KVK 456.789.133']],
    ['ondernemingsnummer 0456.789.133', ['KVK'], ['KVK 0456.789.133']],
    ['ondernemingsnummer 456.789.134', ['KVK'], []],
    ['RPR Gent, afdeling Gent, 0456.789.133', ['KVK'], ['KVK 0456.789.133']],
    ['RPR Antwerpen, afdeling Antwerpen, 0456.789.133', ['KVK'], ['KVK 0456.789.133']],
    ['RPR Gent, afdeling Gent, 0456.789.134', ['KVK'], []],
  ]);
});
