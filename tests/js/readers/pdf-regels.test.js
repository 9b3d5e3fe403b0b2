import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pdfRegels, veldItems } from '../../../web/src/app/readers/pdf-regels.js';
import { echteSpaties } from '../../../web/src/app/readers/pdf-spaties.js';

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
    // Without a vertical scale the item's height counts, else 10.
    ['no scale, by height', [{ str: 'x', transform: [20, 0, 0, 0, 0, 700], width: 5, height: 20 }, item('y', 50, 708, 5, 20)], ['x\ty']],
    ['no scale, no height', [{ str: 'x', transform: [1, 0, 0, 0, 0, 700], width: 5, height: 0 }, item('y', 50, 704, 5, 10)], ['x\ty']],
    ['mirrored', [{ str: 'x', transform: [12, 0, 0, -12, 0, 700], width: 5, height: 12 }, item('y', 50, 705, 5, 12)], ['x\ty']],
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

// Text turned a quarter: along y, lines apart in x (a landscape page with /Rotate 90).
const turned = (str, x, y, width, h = 10) => ({ str, transform: [0, h, -h, 0, x, y], width, height: h });

test('text along another direction is grouped along its own baselines', () => {
  const cases = [
    ['a landscape page', [
      turned('Pieter van Dijk', 100, 50, 75), turned('Adres: Kerkstraat 12', 115, 50, 100), turned('BSN:', 130, 50, 20), turned('123456782', 130, 100, 45),
    ], ['Pieter van Dijk', 'Adres: Kerkstraat 12', 'BSN:\t123456782']],
    // Turned the other way: the first line lies at the greatest x.
    ['turned clockwise', [
      { str: 'Jan', transform: [0, -10, 10, 0, 500, 700], width: 15, height: 10 },
      { str: 'Bakker', transform: [0, -10, 10, 0, 500, 682], width: 30, height: 10 },
      { str: 'Utrecht', transform: [0, -10, 10, 0, 485, 700], width: 35, height: 10 },
    ], ['Jan Bakker', 'Utrecht']],
    // A stamp up the margin of a letter keeps its own order after the letter's lines.
    ['mixed directions', [
      item('Geachte heer Smit,', 50, 700, 90), turned('Ingekomen', 20, 300, 45), item('Uw aanslag', 50, 680, 50), turned('14-03-2024', 20, 350, 50),
    ], ['Geachte heer Smit,', 'Uw aanslag', 'Ingekomen 14-03-2024']],
  ];
  for (const [name, items, lines] of cases) assert.deepEqual(texts(items), lines, name);
});

// A scan's text layer as OCR writes it: each line on its own baseline angle.
const skewed = (str, x, y, width, degrees, h = 10) => {
  const r = (degrees * Math.PI) / 180;
  return { str, transform: [h * Math.cos(r), h * Math.sin(r), -h * Math.sin(r), h * Math.cos(r), x, y], width, height: h };
};

test('the lines of a slightly skewed scan keep one direction and their order', () => {
  const cases = [
    ['each line its own angle', [
      skewed('de heer Pieter', 50, 700, 70, 0.45), skewed('van Dijk', 50, 685, 40, 0.55), skewed('Kerkstraat 12', 50, 670, 65, 0.45),
    ], ['de heer Pieter', 'van Dijk', 'Kerkstraat 12']],
    ['words of one line either side of a whole degree', [
      skewed('Pieter', 50, 700, 30, 1.4), skewed('van', 85, 701, 15, 1.6), skewed('Dijk', 105, 701.5, 20, 1.4), skewed('Utrecht', 50, 685, 35, 1.6),
    ], ['Pieter van Dijk', 'Utrecht']],
  ];
  for (const [name, items, lines] of cases) assert.deepEqual(texts(items), lines, name);
});

test('letter-spaced text comes out as words; a real space stays', () => {
  const cases = [
    // As the library gives it: letters with a space between each, real spaces as items of their own.
    ['spaced items', [item('P i e t e r', 6, 700, 36.4), item(' ', 42.4, 700, 8.2), item('v a n', 48.6, 700, 21.4), item(' ', 70, 700, 8.2),
      item('D i j k ,', 76.2, 700, 28.2), item(' ', 104.4, 700, 8.2), item('B S N', 110.5, 700, 23.5), item(' ', 134, 700, 8.2),
      item('1 2 3 4 5 6 7 8 2', 140.2, 700, 69.2)], ['Pieter van Dijk, BSN 123456782']],
    // One item per letter, 1.5 apart at size 10; the word gap is wider than a quarter of the size.
    ['an item per letter', [...'Jan'].map((c, i) => item(c, i * 7, 700, 5.5)).concat([...'Smit'].map((c, i) => item(c, 25 + i * 7, 700, 5.5))), ['Jan Smit']],
    ['words stay words', [item('a b', 0, 700, 15), item('Jan de Vries', 20, 700, 60)], ['ab Jan de Vries']],
    ['ordinary text', [item('Jan de Vries', 0, 700, 60), item('B', 62, 700, 5)], ['Jan de Vries B']],
  ];
  for (const [name, items, lines] of cases) assert.deepEqual(texts(items), lines, name);
});

test('the real spaces of letter-spaced items come from the glyphs the page shows', () => {
  const OPS = { showText: 44, setFont: 37 };
  // Glyphs as the library's operator list gives them: TJ adjustments as numbers, spaces flagged.
  const glyphs = (text) => [...text].map((c) => (c === ' ' ? { unicode: ' ', isSpace: true } : { unicode: c, isSpace: false }));
  const ops = {
    fnArray: [37, 44, 44, 44],
    argsArray: [['F1', 1], [glyphs('Geachte heer,')], [[...glyphs('Pieter van'), -120, ...glyphs(' Dijk, BSN 123456782')]], [glyphs('a b')]],
  };
  const spaced = (str) => ({ str, transform: [10, 0, 0, 10, 0, 700], width: 100, height: 10 });
  const items = [spaced('Geachte heer,'), spaced('P i e t e r v a n D i j k , B S N 1 2 3 4 5 6 7 8 2'), spaced('a b'), spaced('N i e t g e t o o n d')];
  assert.deepEqual(echteSpaties(items, ops, OPS).map((i) => i.str),
    ['Geachte heer,', 'Pieter van Dijk, BSN 123456782', 'a b', 'N i e t g e t o o n d']);
  // Not found among the glyphs: taken to be one word.
  assert.deepEqual(texts([spaced('N i e t g e t o o n d')]), ['Nietgetoond']);
});
