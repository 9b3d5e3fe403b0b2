import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  GEEN_VOORLETTERS, HOOFD_TV, INSTELLING_BEGIN, INSTELLING_EIND, OVERHEID, STOPWOORDEN, TUSSENVOEGSELS, VELDKOPPEN,
  VELDNAMEN,
} from '../../../web/src/core/vocabulary.js';
import {
  WEEKDAG, hoofdletterVarianten, isStraat, laatsteWoord, naamOk, rolVan, stopwoordVooraan, titel,
} from '../../../web/src/core/words.js';
import {
  AANHEF, ACHTER, NAAM, ONDERTEKENING, PLAATSNAAM, REEKS, STRAAT, VELD,
} from '../../../web/src/core/building-blocks.js';

// A word dropped from a list silently changes what the detectors find: the
// words each list must hold, from its first entry to its last.
test('word lists hold their words, as written', () => {
  const cases = [
    [TUSSENVOEGSELS, ['van', "'t", 'te', 'vd', 'v.d.'], ['Van']],
    [HOOFD_TV, ['De', 'Van', 'Het'], ['de']],
    [GEEN_VOORLETTERS, ['BV', 'VPB', 'WA'], ['JP']],
    [INSTELLING_EIND, ['Nederlanden', 'Zaken', 'Mens'], ['Jansen']],
    [STOPWOORDEN, ['Door', 'Volgens', 'Exclusief'], ['volgens', 'Jansen']],
    [INSTELLING_BEGIN, ['Raad', 'Kantonrechter', 'Rechten'], ['Jansen']],
    [new Set(VELDNAMEN), ['naam', 'gecontroleerd door', 'toeslagpartner'], ['Naam']],
    [VELDKOPPEN, ['Geboortedatum', 'Contactpersoon', 'Rechtsvorm'], ['Jansen']],
    [OVERHEID, ['Belastingdienst', 'UWV', 'FOD'], ['Jansen']],
  ];
  for (const [set, present, absent] of cases) {
    for (const w of present) assert.ok(set.has(w), w);
    for (const w of absent) assert.ok(!set.has(w), w);
  }
});

test('stopwoordVooraan drops sentence words but keeps a capitalised particle of a surname', () => {
  const cases = [
    ['Volgens Karel Dekker', 'Karel Dekker'],
    ['De Vries', 'De Vries'],
    ['Van der Berg', 'Van der Berg'],
    ['De heer', 'heer'],
    ['12 Dekker', 'Dekker'],
    ['Volgens', 'Volgens'],
    ['Aan  De\u00A0Wit', 'De Wit'],
  ];
  for (const [v, expected] of cases) assert.equal(stopwoordVooraan(v), expected, v);
});

test('naamOk refuses stop words, particles and street names', () => {
  const cases = [
    ['Adres', false], ['De', false], ['van der', false], ['Jan Dijk', false], ['Karel Hof', false],
    ['Karel van Dam', true], ['Volgens', false], ['volgens', true],
  ];
  for (const [v, ok] of cases) assert.equal(naamOk(v), ok, v);
});

test('an announced name may end like a street; a name by shape only in a suffix word after a particle', () => {
  const cases = [
    ['P. Oosterveld', true, true], ['P. Oosterveld', false, false], ['Jan van Dijk', false, true],
    ["Pieter van 't Hof", false, true], ['Jan van der Laan', false, true], ['Achter de Hof', false, false],
    ['Jan Westerdijk', false, false], ['Jan van Westerdijk', false, false], ['Adres', true, false],
  ];
  for (const [v, aangekondigd, ok] of cases) assert.equal(naamOk(v, aangekondigd), ok, `${v} ${aangekondigd}`);
});

test('rolVan maps field labels to role prefixes', () => {
  const cases = [
    ['naam fiscale partner', 'PARTNER'], ['echtgenote', 'PARTNER'], ['kinderen', 'KIND'],
    ['ubo', 'UBO'], ['uiteindelijk belanghebbende', 'UBO'], ['naam cliënt', 'CLIENT'], ['Klant', 'CLIENT'],
    ['directeur', 'BESTUURDER'], ['erfgenamen', 'ERFGENAAM'], ['overledene', 'ERFLATER'],
    ['executeur', null], ['aandeelhouders', null], ['naam', null],
  ];
  for (const [label, rol] of cases) assert.equal(rolVan(label), rol, label);
});

test('word helpers', () => {
  assert.equal(isStraat('KERKSTRAAT'), true);
  assert.equal(isStraat('Straatman'), false);
  assert.equal(isStraat('Hofman'), false);
  assert.equal(laatsteWoord('Karel\u00A0Dekker'), 'Dekker');
  assert.equal(laatsteWoord('Dekker '), '');
  assert.equal(titel('DEKKER'), 'Dekker');
  assert.equal(WEEKDAG.test('Maandag'), true);
  assert.equal(WEEKDAG.test('DATUM'), true);
  assert.equal(WEEKDAG.test('maandagochtend'), false);
});

const whole = (source, flags = 'u') => new RegExp('^(?:' + source + ')$', flags);

test('hoofdletterVarianten accepts the label as written, with either first letter, or in capitals', () => {
  const re = whole(hoofdletterVarianten('naam partner'));
  for (const s of ['naam partner', 'Naam partner', 'NAAM PARTNER']) assert.match(s, re);
  assert.doesNotMatch('Naam Partner', re);
});

test('name blocks', () => {
  const naam = whole(NAAM);
  for (const s of ['K.L. van der Berg', 'Karel Dekker', 'Jan Peter de Vries-van Dam', 'De Wit', 'IJsbrand Ek']) {
    assert.match(s, naam, s);
  }
  for (const s of ['karel dekker', 'DEKKER']) assert.doesNotMatch(s, naam, s);
  // A field label is no surname.
  assert.equal(new RegExp(ACHTER, 'u').exec('Naam: Dekker')[0], 'Dekker');
});

test('place and street blocks', () => {
  const plaats = whole(PLAATSNAAM);
  for (const s of ["'s-Hertogenbosch", 'Den Haag', 'Alphen aan den Rijn', 'Bergen op Zoom', 'IJmuiden']) {
    assert.match(s, plaats, s);
  }
  assert.doesNotMatch('amsterdam', plaats);
  const straat = new RegExp(STRAAT, 'u');
  assert.equal(straat.exec('Van Goghstraat 12 bis')[1], 'Van Goghstraat 12');
  assert.equal(straat.exec("'s-Gravenweg 3-5")[1], "'s-Gravenweg 3-5");
  // A Belgian postcode after a dash is no house-number range.
  assert.equal(new RegExp('^12' + REEKS, 'u').exec('12 - 3000 Leuven')[0], '12');
  assert.equal(new RegExp('^12' + REEKS, 'u').exec('12 - 14 hoek')[0], '12 - 14');
});

test('label, greeting and closing blocks', () => {
  const veld = new RegExp(VELD, 'u').exec('NAAM FISCALE PARTNER:\tLotte Dekker');
  assert.equal(veld[1], 'NAAM FISCALE PARTNER');
  assert.equal(new RegExp(VELD, 'u').exec('Voornaam Dekker'), null);
  assert.equal(new RegExp(AANHEF + NAAM, 'u').exec('t.a.v. mevr. L. Dekker')[0], 'mevr. L. Dekker');
  assert.equal(new RegExp('^' + ONDERTEKENING, 'u').exec('Met vriendelijke groet,\n\n  K. Dekker')[0], 'Met vriendelijke groet,\n\n  ');
});
