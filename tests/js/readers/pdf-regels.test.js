import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pdfRegels, veldItems } from '../../../web/src/app/readers/pdf-regels.js';

// A text item as the PDF library gives it: baseline start (x, y), width, height.
const item = (str, x, y, width, h = 10) => ({ str, transform: [h, 0, 0, h, x, y], width, height: h });
const texts = (items) => pdfRegels(items).map((b) => b.text);

test('gaps between items on one baseline, measured in character widths of the right-hand item', () => {
  // "Bakker" is 30 wide: 5 per character.
  const cases = [
    [15, 'Naam\tBakker'], // 3 widths
    [12.5, 'Naam Bakker'], // exactly 2.5: not wider, so a space
    [5, 'Naam Bakker'],
    [1, 'NaamBakker'], // exactly 0.2: not wider, so nothing
    [0.5, 'NaamBakker'],
    [-8, 'NaamBakker'], // overlapping items
  ];
  for (const [gap, line] of cases) assert.deepEqual(texts([item('Naam', 0, 700, 20), item('Bakker', 20 + gap, 700, 30)]), [line], `gap ${gap}`);
  // The left item's wider characters do not count.
  assert.deepEqual(texts([item('W', 0, 700, 50), item('abcde', 60, 700, 10)]), ['W\tabcde']);
});

test('spaces are tidied around tabs, inside items and at the ends', () => {
  const cases = [
    [[item('Naam:   ', 0, 700, 40), item('Bakker', 100, 700, 30)], ['Naam:\tBakker']],
    [[item(' Jan  de   Vries ', 0, 700, 85)], ['Jan de Vries']],
    [[item('Bedrag', 0, 700, 30), item('\u00a0€ 5', 32, 700, 20)], ['Bedrag\u00a0€ 5']],
    [[item('Totaal ', 0, 700, 35), item('12', 36, 700, 10)], ['Totaal 12']],
    // A blank item past a wide gap leaves no trailing tab; an empty one counts 5 per character.
    [[item('A', 0, 700, 5), item(' ', 100, 700, 5)], ['A']],
    [[item('A', 0, 700, 5), item('', 7, 700, 0), item('B', 7, 700, 5)], ['A B']],
    [[item('', 0, 700, 0), item(' ', 50, 700, 5)], []],
  ];
  for (const [items, lines] of cases) assert.deepEqual(texts(items), lines, JSON.stringify(items.map((i) => i.str)));
});

test('rows: the first opened row within half the smaller height takes the item', () => {
  const cases = [
    ['4 apart, heights 10 and 12', [item('a', 0, 700, 5, 10), item('b', 50, 704, 5, 12)], ['a\tb']],
    ['6 apart', [item('a', 0, 700, 5, 10), item('b', 50, 706, 5, 12)], ['b', 'a']],
    ['exactly half the height apart', [item('a', 0, 700, 5, 10), item('b', 50, 705, 5, 10)], ['b', 'a']],
    // The row keeps the y of the item that opened it.
    ['a drifting baseline', [item('a', 0, 700, 5), item('b', 50, 704, 5), item('c', 100, 708, 5)], ['c', 'a\tb']],
    ['items given right to left', [item('rechts', 200, 700, 30), item('links', 0, 700, 25)], ['links\trechts']],
    ['equal x keep their order', [item('een', 0, 700, 15), item('twee', 0, 700, 20)], ['eentwee']],
    ['top of the page first, equal rows in order', [item('onder', 0, 100, 25), item('boven', 0, 800, 25), item('ook', 0, 100.2, 15)], ['boven', 'onderook']],
    // Rotated text has no vertical scale: the item's height counts, else 10.
    ['rotated, by height', [{ str: 'x', transform: [0, 20, -20, 0, 0, 700], width: 5, height: 20 }, item('y', 50, 708, 5, 20)], ['x\ty']],
    ['rotated, no height', [{ str: 'x', transform: [0, 1, -1, 0, 0, 700], width: 5, height: 0 }, item('y', 50, 704, 5, 10)], ['x\ty']],
    ['mirrored', [item('x', 0, 700, 5, -12), item('y', 50, 705, 5, 12)], ['x\ty']],
  ];
  for (const [name, items, lines] of cases) assert.deepEqual(texts(items), lines, name);
  assert.deepEqual(pdfRegels([item('Jan', 0, 700, 15)]), [{ t: 'p', line: true, text: 'Jan' }]);
});

test('filled form fields become items at their place, one per line of the value', () => {
  const widget = (fieldValue, extra) => ({ subtype: 'Widget', rect: [100, 700, 300, 720], fieldType: 'Tx', fieldValue, ...extra });
  const at = (str, y, height = 14, width = 200, x = 100) => ({ str, width, height, transform: [1, 0, 0, height, x, y], veld: true });
  const cases = [
    ['two lines', [widget('Jan Jansen\nKerkstraat 1')], [at('Jan Jansen', 708), at('Kerkstraat 1', 696)], 1],
    ['blank lines keep their place', [widget(' een \r\n\rdrie')], [at('een', 708), at('drie', 684)], 1],
    ['a small field', [widget('x', { rect: [10, 10, 14, 13] })], [at('x', 1, 6, 10, 10)], 1],
    ['choices', [widget(['a', { displayValue: 'B', exportValue: 'b' }, { exportValue: 'c' }, {}])], [at('a, B, c,', 708)], 1],
    ['left out', [
      widget('Off'), widget('  '), widget(undefined), widget([]), widget('x', { fieldType: 'Btn' }), widget('x', { fieldType: 'Sig' }),
      widget('x', { subtype: 'Link' }), widget('x', { rect: null }),
    ], [], 0],
  ];
  for (const [name, annotations, items, velden] of cases) assert.deepEqual(veldItems(annotations), { items, velden }, name);
});

test('a field value joins the row of its label', () => {
  const { items } = veldItems([{ subtype: 'Widget', rect: [200, 696, 400, 716], fieldType: 'Tx', fieldValue: 'P. de Vries' }]);
  assert.deepEqual(texts([item('Naam:', 50, 705, 25, 10), ...items]), ['Naam:\tP. de Vries']);
});
