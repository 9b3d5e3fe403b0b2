import { test } from 'node:test';
import assert from 'node:assert/strict';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';

const entities = [
  { id: 1, cat: 'PERSOON', label: 'PERSOON_1', value: 'Karel van Dam', active: true },
  { id: 2, cat: 'GEBDATUM', label: 'GEBDATUM_1', value: '12-03-1958', active: true },
  { id: 3, cat: 'PERSOON', label: 'KIND_1', value: 'Sem Bakker', active: true },
  { id: 4, cat: 'PERSOON', label: 'KIND_10', value: 'Noor Bakker', active: true },
  { id: 5, cat: 'ADRES', label: 'ADRES_1', value: 'Kerkstraat 12a', active: false },
];

const restored = (text) => segmentsToText(restore(text, entities).segments);

test('restore recognises the placeholder forms that assistants write', () => {
  const cases = [
    ['[PERSOON_1] belde.', 'Karel van Dam belde.'],
    ['[persoon_1]', 'Karel van Dam'],
    ['[ PERSOON 1 ]', 'Karel van Dam'],
    ['\\[PERSOON\\_1\\]', 'Karel van Dam'],
    ['**[PERSOON_1]**', '**Karel van Dam**'],
    ['PERSOON 1 en PERSOON-1', 'Karel van Dam en Karel van Dam'],
    ['PERSOON _ 1', 'Karel van Dam'],
    ['per persoon 1 en Persoon 1', 'per persoon 1 en Persoon 1'],
    ['XPERSOON_1', 'XPERSOON_1'],
    ['PERSOON_1s', 'Karel van Dams'],
    ['PERSOON_12', 'PERSOON_12'],
    ['PERSOON1', 'PERSOON1'],
    ['[KIND_10] en KIND_1', 'Noor Bakker en Sem Bakker'],
    ['[ADRES_1]', 'Kerkstraat 12a'],
  ];
  for (const [answer, expected] of cases) assert.equal(restored(answer), expected, answer);
});

test('restore consumes a birth year only when it belongs to the date', () => {
  const cases = [
    ['geboren [GEBDATUM_1 (1958)].', 'geboren 12-03-1958.'],
    ['geboren [GEBDATUM_1] (1958).', 'geboren 12-03-1958.'],
    ['geboren [GEBDATUM_1]\t( 1958 ).', 'geboren 12-03-1958.'],
    ['geboren [GEBDATUM_1] (1960).', 'geboren 12-03-1958 (1960).'],
    ['geboren [GEBDATUM_1 (1960)].', 'geboren 12-03-1958.'],
    ['GEBDATUM_1 (1958)', '12-03-1958'],
  ];
  for (const [answer, expected] of cases) assert.equal(restored(answer), expected, answer);
});

test('restore returns segments that mark the restored values', () => {
  const result = restore('Beste [PERSOON_1], uw kind KIND_1 en [PERSOON_1].', entities);
  assert.deepEqual(result.segments, [
    { text: 'Beste ' },
    { ent: entities[0], text: 'Karel van Dam' },
    { text: ', uw kind ' },
    { ent: entities[2], text: 'Sem Bakker' },
    { text: ' en ' },
    { ent: entities[0], text: 'Karel van Dam' },
    { text: '.' },
  ]);
  assert.deepEqual([...result.found], ['PERSOON_1', 'KIND_1']);
});

test('restore reports placeholder-like labels that no entity has', () => {
  const answer = '[PERSOON_9] en [PERSOON_9], \\[PERSOON\\_9\\], [PERSOON], [ADRESSEN], BSN_2, [Noot 1], [BIJLAGE], [persoon_7]';
  const { unknown } = restore(answer, entities);
  assert.deepEqual(unknown, ['PERSOON_9', 'PERSOON', 'ADRESSEN', 'BSN_2']);
  assert.deepEqual(restore('PERSOON_12', entities).unknown, ['PERSOON_12']);
  assert.deepEqual(restore('[PERSOON_1] KIND_10', entities).unknown, []);
});

test('restore with no entities or no text', () => {
  assert.deepEqual(restore('[PERSOON_3] belde', []), {
    segments: [{ text: '[PERSOON_3] belde' }], found: new Set(), unknown: ['PERSOON_3'],
  });
  assert.deepEqual(restore('', []).segments, [{ text: '' }]);
  assert.deepEqual(restore('', entities).segments, []);
  assert.deepEqual(restore('geen plaatshouders', entities).segments, [{ text: 'geen plaatshouders' }]);
});

test('a later entity with the same label wins', () => {
  const twice = [
    { cat: 'PERSOON', label: 'PERSOON_1', value: 'oud' },
    { cat: 'PERSOON', label: 'persoon_1', value: 'nieuw' },
  ];
  assert.equal(segmentsToText(restore('[PERSOON_1]', twice).segments), 'nieuw');
});
