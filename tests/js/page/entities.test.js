import assert from 'node:assert/strict';
import { beforeEach, describe, test } from 'node:test';
import { fakeDocument, freshSession } from './helpers.js';
import { gewijzigd } from '../../../web/src/app/change.js';
import {
  bevat, detectInDelen, entById, nieuwLabel, scan, sleutelVan, voegToe, zoekEnt,
} from '../../../web/src/app/entities.js';
import { K } from '../../../web/src/app/kantoorlijst.js';
import { S, leeg, vervangSessie } from '../../../web/src/app/session.js';

const labels = () => S.ents.map((e) => e.label);
const doc = (text, bekend) => ({ id: 'd1', name: 'x', blocks: [{ t: 'p', text }], warn: [], info: '', bekend });

beforeEach(() => {
  freshSession();
  K.altijd = [];
  K.nooit = [];
});

describe('voegToe', () => {
  test('a value held by an entity of the same kind is not added again, whatever its category', () => {
    const plaats = voegToe('PLAATS', 'Dekker Bouw', true);
    assert.equal(voegToe('BEDRIJF', '  dekker   bouw ', false), plaats);
    const iban = voegToe('IBAN', 'NL91ABNA0417164300', true);
    assert.equal(voegToe('IBAN', 'NL91 ABNA 0417 1643 00', false), iban);
    assert.equal(voegToe('KENMERK', 'nl91-abna-0417-1643-00', false), iban);
    assert.equal(S.ents.length, 2);
  });

  test('a text value and a number value with the same letters stay two entities', () => {
    voegToe('OVERIG', 'AB 12', false);
    voegToe('KENMERK', 'AB12', false);
    assert.equal(S.ents.length, 2);
  });

  test('an empty value gives null and takes no id', () => {
    assert.equal(voegToe('PERSOON', ' \n ', true), null);
    assert.equal(S.seq, 1);
  });

  test('a shared surname becomes a person of its own and leaves both full names', () => {
    const lotte = voegToe('PERSOON', 'Lotte Dekker', true);
    const karel = voegToe('PERSOON', 'Karel Dekker', true);
    const dekker = S.ents.find((e) => e.value === 'Dekker');
    assert.ok(dekker, 'Dekker is an entity');
    assert.equal(dekker.label, 'PERSOON_3');
    for (const e of [lotte, karel]) assert.ok(!e.variants.includes('Dekker'), e.value);
  });

  test('a soft hyphen inside a name makes no second entity and splits no shared surname apart', () => {
    const jan = voegToe('PERSOON', 'Jan Kui\u00ADpers', true);
    assert.equal(voegToe('PERSOON', 'Jan Kuipers', true), jan);
    voegToe('PERSOON', 'Piet Kuipers', true);
    assert.deepEqual(S.ents.map((e) => e.value), ['Jan Kui\u00ADpers', 'Piet Kuipers', 'Kuipers']);
    assert.ok(!jan.variants.includes('Kui\u00ADpers'));
  });

  test('the ignore list refuses automatic finds only', () => {
    S.genegeerd.push(sleutelVan('PERSOON', 'Jan  de Vries'));
    assert.equal(voegToe('PERSOON', 'jan de vries', true), null);
    assert.equal(voegToe('PERSOON', 'Jan de Vries', false).auto, false);
    S.genegeerd.push(sleutelVan('IBAN', 'nl91 abna 0417 1643 00'));
    assert.equal(voegToe('IBAN', 'NL91ABNA0417164300', true), null);
  });
});

describe('labels', () => {
  test('numbers never go down and skip labels already in use', () => {
    voegToe('PERSOON', 'Jan Jansen', false);
    voegToe('PERSOON', 'Piet Pietersen', false);
    S.ents.shift();
    assert.equal(voegToe('PERSOON', 'Klaas Klaassen', false).label, 'PERSOON_3');
    S.ents.push({ id: 99, cat: 'PERSOON', label: 'PERSOON_4', value: 'Uit sleutel', variants: ['Uit sleutel'], active: true, auto: false });
    assert.equal(nieuwLabel('PERSOON'), 'PERSOON_5');
  });

  test('a role counts on its own and keeps the person category', () => {
    voegToe('PERSOON', 'Jan Jansen', true);
    const partner = voegToe('PERSOON', 'Els Jansen-Bos', true, 'PARTNER');
    assert.deepEqual([partner.label, partner.cat], ['PARTNER_1', 'PERSOON']);
    assert.equal(voegToe('PERSOON', 'Kees Bos', true).label, 'PERSOON_2');
  });
});

describe('scan', () => {
  test('numbers placeholders in order of first appearance, known hits first, across documents', () => {
    const a = doc('Rekening NL91ABNA0417164300 van de heer Jan de Vries.', [{ cat: 'EMAIL', value: 'info@voorbeeld.nl' }]);
    const b = { ...doc('Betaal op NL20INGB0001234567 of NL91ABNA0417164300.'), id: 'd2' };
    const n = scan([a, b]);
    assert.deepEqual(labels().filter((l) => !l.startsWith('PERSOON')), ['EMAIL_1', 'IBAN_1', 'IBAN_2']);
    assert.equal(S.ents.find((e) => e.label === 'IBAN_2').value, 'NL20INGB0001234567');
    assert.equal(n, S.ents.length);
    assert.equal(scan([a, b]), 0, 'a second scan adds nothing');
  });

  test('a deleted automatic find does not come back on a rescan', () => {
    const d = doc('IBAN NL91ABNA0417164300.');
    scan([d]);
    const [iban] = S.ents;
    S.ents = [];
    S.genegeerd.push(sleutelVan(iban.cat, iban.value));
    assert.equal(scan([d]), 0);
    assert.equal(S.ents.length, 0);
  });

  test('office list: a never term removes an equal value only, an always term needs a whole word', () => {
    K.nooit = ['nl91abna0417164300'];
    K.altijd = [{ cat: 'BEDRIJF', value: 'Bakkerij  Jansen' }, { cat: 'BEDRIJF', value: 'Jans' }, { cat: 'GEEN', value: 'Bakkerij' }];
    scan([doc('IBAN NL91ABNA0417164300 en NL91ABNA0417164300X.\nVoor BAKKERIJ\nJANSEN en Jansens.')]);
    assert.deepEqual(S.ents.map((e) => [e.cat, e.value]), [['BEDRIJF', 'Bakkerij Jansen']]);
  });
});

test('zoekEnt compares numbers on letters and digits and text case-insensitively', () => {
  const e = voegToe('POSTCODE', '1234 AB', false);
  assert.equal(zoekEnt('KVK', '1234-ab'), e);
  assert.equal(zoekEnt('PLAATS', '1234 ab'), undefined);
});

test('bevat finds whole words regardless of case and line breaks', () => {
  const cases = [
    ['Bakkerij Jansen', 'bij bakkerij\n jansen.', true],
    ['Jansen', 'Jansens', false],
    ['Jansen', 'ÉJansen', false],
    ['C++ (B.V.)', 'firma c++ (b.v.) hier', true],
    ['  ', 'iets', false],
  ];
  for (const [waarde, tekst, verwacht] of cases) assert.equal(bevat(tekst, waarde), verwacht, `${waarde} in ${tekst}`);
});

describe('lookups after changes', () => {
  const sessie = () => {
    globalThis.sessionStorage = { setItem() {}, removeItem() {} };
    fakeDocument();
  };

  test('follow edits made before the change routine, a deletion and a replaced list', () => {
    sessie();
    const jan = voegToe('PERSOON', 'Jan de Vries', false);
    const iban = voegToe('IBAN', 'NL91ABNA0417164300', true);
    jan.variants = ['Jan de Vries', 'J. de Vries'];
    jan.label = 'PARTNER_1';
    gewijzigd();
    assert.equal(zoekEnt('BEDRIJF', 'j. de vries'), jan);
    assert.equal(nieuwLabel('PARTNER'), 'PARTNER_2');
    jan.variants = ['Jan de Vries'];
    gewijzigd();
    assert.equal(zoekEnt('PERSOON', 'J. de Vries'), undefined);

    S.ents = S.ents.filter((e) => e !== iban);
    gewijzigd();
    assert.equal(entById(iban.id), undefined);
    assert.equal(zoekEnt('IBAN', iban.value), undefined);

    // A key file or a new session replaces the list wholesale.
    const uitSleutel = { id: 50, cat: 'IBAN', label: 'IBAN_7', value: 'NL20INGB0001234567', variants: ['NL20INGB0001234567'], active: true, auto: false };
    vervangSessie({ ...leeg(), ents: [uitSleutel], seq: 51 });
    gewijzigd();
    assert.equal(zoekEnt('KENMERK', 'NL20 INGB 0001 2345 67'), uitSleutel);
    assert.equal(entById(50), uitSleutel);
    assert.equal(entById(jan.id), undefined);
    assert.equal(voegToe('IBAN', 'NL91ABNA0417164300', true).label, 'IBAN_1');
  });

  test('a person sharing a surname with one of thousands still gives the surname its own entity', () => {
    for (let i = 0; i < 3000; i++) voegToe('PERSOON', `Klant${i} Achternaam${i}`, true);
    voegToe('PERSOON', 'Lotte Dekker', true);
    const karel = voegToe('PERSOON', 'Karel Dekker', true);
    const dekker = zoekEnt('PERSOON', 'Dekker');
    assert.equal(dekker?.value, 'Dekker');
    assert.ok(!karel.variants.includes('Dekker'));
  });
});

test('a long text detected in parts gives the hits of the whole text, in order', () => {
  const brief = (i) => `Geachte heer Jan Klant${i},\n\nUw teruggaaf gaat naar NL91ABNA0417164300 en uw BSN 111222333 staat op de aangifte.\n`
    + `U woont aan de Kerkstraat ${i % 90 + 1}, 1234 AB Zaandam. Bel ons op 06-12345678.\n\nMet vriendelijke groet,\nEls Bakker`;
  const tekst = Array.from({ length: 1200 }, (_, i) => brief(i)).join('\n');
  assert.ok(tekst.length > 200_000);
  const delen = [...detectInDelen(tekst)];
  assert.ok(delen.length > 1);
  assert.deepEqual(delen.flat(), globalThis.AnonCore.detect(tekst));
});
