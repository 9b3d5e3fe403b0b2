import assert from 'node:assert/strict';
import { test } from 'node:test';
import { batchBericht, groepeer, knipselNaam, labelUitInvoer, schoonSelectie } from '../../../web/src/app/text.js';

test('Dutch digit grouping', () => {
  for (const [n, s] of [[0, '0'], [999, '999'], [12345, '12.345'], [1048576, '1.048.576']]) assert.equal(groepeer(n), s);
});

test('screen clipping names', () => {
  assert.equal(knipselNaam(1, 'image/png'), 'Schermknipsel 1.png');
  assert.equal(knipselNaam(2, 'image/jpeg'), 'Schermknipsel 2.jpg');
  assert.equal(knipselNaam(3, ''), 'Schermknipsel 3.png');
});

test('the toast that ends a batch names the files that could not be read', () => {
  const gelezen = '28 document(en) gelezen, 40 nieuwe gegevens gevonden.';
  const cases = [
    [28, 40, [], gelezen],
    [28, 40, ['15_kapot.pdf'], `${gelezen} Niet gelezen: 15_kapot.pdf.`],
    [28, 40, ['15_kapot.pdf', '22_kapot.docx'], `${gelezen} Niet gelezen: 15_kapot.pdf en 22_kapot.docx.`],
    [28, 40, ['a.pdf', 'b.pdf', 'c.pdf'], `${gelezen} Niet gelezen: a.pdf, b.pdf en c.pdf.`],
    [28, 40, ['a.pdf', 'b.pdf', 'c.pdf', 'd.pdf', 'e.pdf'], `${gelezen} Niet gelezen: a.pdf, b.pdf, c.pdf en 2 andere.`],
    // Nothing read: one failure keeps its own toast with the reason; more are named together.
    [0, 0, ['kapot.pdf'], ''],
    [0, 0, ['a.pdf', 'b.pdf'], 'Niet gelezen: a.pdf en b.pdf.'],
  ];
  for (const [n, gevonden, mislukt, bericht] of cases) assert.equal(batchBericht(n, gevonden, mislukt), bericht, mislukt.join());
});

test('a typed placeholder becomes a label', () => {
  const cases = [['[partner 1]', 'PARTNER_1'], ['[]', ''], [' _kind--2_ ', 'KIND_2'], ['[Erfgenaam_3]', 'ERFGENAAM_3'], ['één', 'N']];
  for (const [invoer, label] of cases) assert.equal(labelUitInvoer(invoer), label, invoer);
});

test('a selection is cleaned to the bare words', () => {
  const cases = [['“Jan  de\nVries”,', 'Jan de Vries'], ["('B.V. Dekker').", 'B.V. Dekker'], ['  ; ', '']];
  for (const [sel, schoon] of cases) assert.equal(schoonSelectie(sel), schoon, sel);
});
