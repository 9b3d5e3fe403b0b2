import assert from 'node:assert/strict';
import { beforeEach, describe, test } from 'node:test';
import { freshSession } from './helpers.js';
import { nieuwLabel, voegToe, zoekEnt } from '../../../web/src/app/entities.js';
import { K } from '../../../web/src/app/kantoorlijst.js';
import { S } from '../../../web/src/app/session.js';
import { conflicten, importeer } from '../../../web/src/app/sleutel/importeren.js';

const entry = (label, value, extra = {}) => ({ cat: 'PERSOON', label, value, variants: [value], active: true, ...extra });

beforeEach(() => {
  freshSession();
  K.altijd = [];
  K.nooit = [];
});

describe('conflicts', () => {
  test('a value under another label and a label taken by another value; the same pair is none', () => {
    voegToe('PERSOON', 'Jan Jansen', false);
    voegToe('IBAN', 'NL91ABNA0417164300', false);
    assert.deepEqual(conflicten([
      entry('PERSOON_1', 'jan  jansen'),
      entry('PERSOON_1', 'Piet Pietersen'),
      entry('PERSOON_4', 'Jan Jansen'),
      { cat: 'KENMERK', label: 'IBAN_1', value: 'nl91 abna 0417 1643 00', variants: [], active: true },
      entry('PERSOON_2', 'Karel Kok'),
    ]), [
      '[PERSOON_1] is hier "Jan Jansen", in het bestand "Piet Pietersen"',
      '"Jan Jansen" is hier [PERSOON_1], in het bestand [PERSOON_4]',
    ]);
  });
});

describe('importing', () => {
  test('into an empty session: every entity with its label, forms, switch, the dossier and the counters', () => {
    const lijst = [
      entry('PERSOON_3', 'Jan Jansen', { variants: ['Jan Jansen', 'J. Jansen'] }),
      entry('PARTNER_1', 'Eva Dekker', { active: false }),
    ];
    assert.deepEqual(importeer({ dossier: 'Jansen', counters: { PERSOON: 5 }, entiteiten: lijst }, lijst), { geladen: 2, gevonden: 0 });
    assert.deepEqual(S.ents.map(({ id, label, value, variants, active, auto }) => ({ id, label, value, variants, active, auto })), [
      { id: 1, label: 'PERSOON_3', value: 'Jan Jansen', variants: ['Jan Jansen', 'J. Jansen'], active: true, auto: false },
      { id: 2, label: 'PARTNER_1', value: 'Eva Dekker', variants: ['Eva Dekker'], active: false, auto: false },
    ]);
    assert.equal(S.dossier, 'Jansen');
    assert.deepEqual(S.counters, { PERSOON: 5, PARTNER: 1 });
  });

  test('a label of the file raises its counter above what the file\'s counters say', () => {
    const lijst = [entry('PERSOON_7', 'Jan Jansen')];
    importeer({ counters: { PERSOON: 2, IBAN: 4 } }, lijst);
    assert.equal(nieuwLabel('PERSOON'), 'PERSOON_8');
    assert.equal(nieuwLabel('IBAN'), 'IBAN_5');
  });

  test('entries the session already holds add their written forms and keep label, switch and dossier', () => {
    S.dossier = 'Eigen';
    const jan = voegToe('PERSOON', 'Jan Jansen', false);
    jan.active = false;
    const lijst = [entry('PERSOON_1', 'jan jansen', { variants: ['jan jansen', 'J. Jansen', 'Jansen'] })];
    assert.deepEqual(importeer({ dossier: 'Ander', entiteiten: lijst }, lijst), { geladen: 0, gevonden: 0 });
    assert.equal(S.ents.length, 1);
    assert.deepEqual([jan.label, jan.active, S.dossier], ['PERSOON_1', false, 'Eigen']);
    assert.ok(jan.variants.includes('J. Jansen') && jan.variants.includes('Jansen'), jan.variants.join('|'));
  });

  test('an entry finds the entity by a form that an earlier entry of the same file brought', () => {
    const jan = voegToe('PERSOON', 'Jan Jansen', false);
    voegToe('IBAN', 'NL91ABNA0417164300', false);
    const lijst = [
      entry('PERSOON_1', 'Jan Jansen', { variants: ['Jan Jansen', 'Johannes Jansen'] }),
      entry('PERSOON_1', 'johannes  jansen', { variants: ['johannes jansen', 'Hans Jansen'] }),
      { cat: 'KENMERK', label: 'IBAN_1', value: 'nl91 abna 0417 1643 00', variants: [], active: true },
    ];
    assert.deepEqual(importeer({}, lijst), { geladen: 0, gevonden: 0 });
    assert.equal(S.ents.length, 2);
    assert.ok(jan.variants.includes('Hans Jansen'), jan.variants.join('|'));
    assert.equal(zoekEnt('PERSOON', 'hans jansen'), jan);
  });

  test('the documents are scanned again, so what they hold beyond the file gets labels after it', () => {
    S.docs.push({ id: 'd1', name: 'x', blocks: [{ t: 'p', text: 'Geachte heer Piet Pietersen, uw IBAN NL91ABNA0417164300.' }], warn: [], info: '' });
    const lijst = [entry('PERSOON_4', 'Jan Jansen')];
    const { geladen, gevonden } = importeer({}, lijst);
    assert.equal(geladen, 1);
    assert.ok(gevonden >= 2, `found ${gevonden}`);
    assert.ok(S.ents.some((e) => e.label === 'PERSOON_5' && e.value === 'Piet Pietersen'), S.ents.map((e) => e.label).join());
  });
});
