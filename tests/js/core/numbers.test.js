import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  PUBLIEKE_MAIL, beNummerOk, buitenlandseIbans, elfproef, ibanOk, websites,
} from '../../../web/src/core/numbers.js';

test('11-test', () => {
  const cases = [
    ['123456782', true], ['111222333', true], ['123456789', false], ['000000000', false],
    ['999999999', false], ['12345678', false], ['1234567820', false], ['12345678a', false],
  ];
  for (const [d, ok] of cases) assert.equal(elfproef(d), ok, d);
});

test('IBAN check digits', () => {
  const cases = [
    ['NL91 ABNA 0417 1643 00', true], ['nl91abna0417164300', true], ['NL91 ABNA 0417 1643 01', false],
    ['DE89 3704 0044 0532 0130 00', true], ['DE89 3704 0044 0532 0130 0', false], ['BE68 5390 0754 7034', true],
    ['NL91', false], ['91NL ABNA 0417 1643 00', false], ['', false],
  ];
  for (const [iban, ok] of cases) assert.equal(ibanOk(iban), ok, iban);
});

test('Belgian enterprise number check', () => {
  const cases = [
    ['BE 0401.517.147', true], ['0401517147', true], ['401.517.147', true], ['0401.517.148', false],
    ['2401.517.147', false], ['04015171470', false],
  ];
  for (const [m, ok] of cases) assert.equal(beNummerOk(m), ok, m);
});

test('foreign IBANs need their national length and valid check digits', () => {
  const found = (text) => buitenlandseIbans(text).map((h) => [h.start, h.value]);
  assert.deepEqual(found('Rek. DE89 3704 0044 0532 0130 00.'), [[5, 'DE89 3704 0044 0532 0130 00']]);
  assert.deepEqual(found('DE89\u00A03704\u00A00044\u00A00532\u00A00130\u00A000'), [[0, 'DE89\u00A03704\u00A00044\u00A00532\u00A00130\u00A000']]);
  assert.deepEqual(found('BE68539007547034 en FR14 2004 1010 0505 0001 3M02 606'), [[0, 'BE68539007547034'], [20, 'FR14 2004 1010 0505 0001 3M02 606']]);
  for (const miss of [
    'DE89 3704 0044 0532 0130 001', 'DE89 3704 0044 0532 0130 0', 'DE89 3704 0044 0532 0130 01',
    'DE89 37 04 0044 0532 0130 00', 'XDE89370400440532013000', 'NL91 ABNA 0417 1643 00', 'US12 3456 7890 1234',
  ]) assert.deepEqual(found(miss), [], miss);
});

test('websites', () => {
  const found = (text) => websites(text).map((h) => [h.start, h.value]);
  const cases = [
    ['Zie www.dekker-bouw.nl.', [[4, 'www.dekker-bouw.nl']]],
    ['Zie https://Dekker.NL/offerte?id=3, graag.', [[4, 'https://Dekker.NL/offerte?id=3']]],
    ['dekker.nl:8080/pad (zie bijlage)', [[0, 'dekker.nl:8080/pad']]],
    ['www.belastingdienst.nl en belastingdienst.nl en https://www.kvk.nl/zoeken', []],
    ['mijn.belastingdienst.nl', []],
    ['jaarrekening.pdf en Dekker.nl en 3dekker.nl', []],
    ['info@dekker.nl en .dekker.nl en -dekker.nl', []],
  ];
  for (const [text, expected] of cases) assert.deepEqual(found(text), expected, text);
});

test('public mail domains', () => {
  for (const d of ['gmail.com', 'Hotmail.NL', 'xs4all.nl', 'ziggo.nl']) assert.match(d, PUBLIEKE_MAIL);
  for (const d of ['dekker.nl', 'mail-dekker.nl', 'gmail']) assert.doesNotMatch(d, PUBLIEKE_MAIL);
});
