// Labels of one prefix share a branch of the search pattern; the result must be
// the one that trying every label on its own, longest first, gives.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { restore } from '../../../web/src/core/restore.js';

const ent = (id, label, value) => ({ id, cat: 'PERSOON', label, value, active: true });
const entities = [
  ent(1, 'KIND_1', 'Sem'), ent(2, 'KIND_10', 'Noor'), ent(3, 'KINDX_1', 'Bram'), ent(4, 'PERSOON_1', 'Karel'),
  ent(5, 'PERSOON_12', 'Lotte'), ent(6, 'GEBDATUM_1', '12-03-1958'),
];
// A label with three parts that no text below holds makes restore try every label on its own.
const eachOnItsOwn = [...entities, ent(99, 'ZZ_Q_1', 'nooit')];

const TEKSTEN = [
  '[KINDX 1] en [kind_1] en KIND_10 en KIND_1 en KIND_100 en KIND_1s',
  '[ PERSOON - 12 ] PERSOON_12 PERSOON_123 \\[PERSOON\\_1\\] **[persoon_1]** XPERSOON_1 PERSOON1',
  '[GEBDATUM_1 (1958)] [GEBDATUM_1] (1958) GEBDATUM 1 (1960) [KIND_10 (1999)] [KIND 1 0]',
  'persoon 1 Persoon 1 [PERSOON_9] [KINDX] KINDX_1_2 KIND__1 KIND-_-10',
];

test('grouped labels restore exactly what each label on its own restores', () => {
  for (const tekst of TEKSTEN) {
    const grouped = restore(tekst, entities);
    const alone = restore(tekst, eachOnItsOwn);
    assert.deepEqual(grouped.segments, alone.segments, tekst);
    assert.deepEqual([...grouped.found], [...alone.found], tekst);
    assert.deepEqual(grouped.unknown, alone.unknown, tekst);
  }
});
