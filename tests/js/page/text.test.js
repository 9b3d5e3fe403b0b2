import assert from 'node:assert/strict';
import { test } from 'node:test';
import { groepeer, knipselNaam, labelUitInvoer, schoonSelectie } from '../../../web/src/app/text.js';

test('Dutch digit grouping', () => {
  for (const [n, s] of [[0, '0'], [999, '999'], [12345, '12.345'], [1048576, '1.048.576']]) assert.equal(groepeer(n), s);
});

test('screen clipping names', () => {
  assert.equal(knipselNaam(1, 'image/png'), 'Schermknipsel 1.png');
  assert.equal(knipselNaam(2, 'image/jpeg'), 'Schermknipsel 2.jpg');
  assert.equal(knipselNaam(3, ''), 'Schermknipsel 3.png');
});

test('a typed placeholder becomes a label', () => {
  const cases = [['[partner 1]', 'PARTNER_1'], ['[]', ''], [' _kind--2_ ', 'KIND_2'], ['[Erfgenaam_3]', 'ERFGENAAM_3'], ['één', 'N']];
  for (const [invoer, label] of cases) assert.equal(labelUitInvoer(invoer), label, invoer);
});

test('a selection is cleaned to the bare words', () => {
  const cases = [['“Jan  de\nVries”,', 'Jan de Vries'], ["('B.V. Dekker').", 'B.V. Dekker'], ['  ; ', '']];
  for (const [sel, schoon] of cases) assert.equal(schoonSelectie(sel), schoon, sel);
});
