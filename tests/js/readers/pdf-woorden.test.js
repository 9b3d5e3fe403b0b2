import { test } from 'node:test';
import assert from 'node:assert/strict';
import { tesseractRegels, woordenNaarBlokken } from '../../../web/src/app/readers/ocr-woorden.js';

const w = (t, x, y, width, h = 20) => ({ t, x, y, w: width, h });
const texts = (regels) => woordenNaarBlokken(regels).map((b) => b.text);

test('the engine\'s lines are kept: its words in its order, tabs past 2.5 character widths', () => {
  // "Bakker" is 60 wide: 10 per character.
  const cases = [
    ['wide gap', [[w('Naam', 0, 0, 40), w('Bakker', 70, 0, 60)]], ['Naam\tBakker']],
    ['exactly 2.5 widths', [[w('Naam', 0, 0, 40), w('Bakker', 65, 0, 60)]], ['Naam Bakker']],
    ['no minimum for a space', [[w('Naam', 0, 0, 40), w('Bakker', 35, 0, 60)]], ['Naam Bakker']],
    // Lines the engine put apart stay apart, in its order, however close their heights.
    ['lines in the engine\'s order', [[w('boven', 0, 100, 50)], [w('onder', 0, 0, 50)]], ['boven', 'onder']],
    ['an empty word counts one character', [[w('ab', 0, 0, 20), w('', 22, 0, 1), w('cd', 30, 0, 20)]], ['ab  cd']],
  ];
  for (const [name, regels, lines] of cases) assert.deepEqual(texts(regels), lines, name);
});

// A letter scanned at 0.8°: across the page each line drops some 25 pixels, more
// than half the height of a short word such as "van".
test('a slightly skewed scan keeps its lines whole', () => {
  const slope = Math.tan((0.8 * Math.PI) / 180);
  const line = (top, words) => {
    let x = 200;
    return words.map(([t, h, down = 0]) => {
      const box = { text: t, confidence: 90, bbox: { x0: x, y0: top + x * slope + (30 - h) - down, x1: x + 28 * t.length, y1: top + x * slope + 30 - down } };
      x += 28 * t.length + 24;
      return box;
    });
  };
  const blocks = [{ paragraphs: [{ lines: [
    { words: line(400, [['Hierbij', 30], ['zend', 30], ['ik', 30], ['u', 22], ['namens', 22], ['de', 30], ['heer', 30], ['Pieter', 30], ['van', 22], ['Dijk', 38, -8]]) },
    { words: line(460, [['wonend', 30], ['aan', 22], ['de', 30], ['Kerkstraat', 30], ['12', 30], ['te', 30], ['Utrecht,', 30], ['de', 30], ['akte', 30], ['op', 30, -8], ['naam', 22], ['van', 22]]) },
  ] }] }];
  assert.deepEqual(woordenNaarBlokken(tesseractRegels(blocks)).map((b) => b.text),
    ['Hierbij zend ik u namens de heer Pieter van Dijk', 'wonend aan de Kerkstraat 12 te Utrecht, de akte op naam van']);
});

test('lines without two letters or digits in a row are noise', () => {
  const cases = [
    [['|', '_', 'l'], []],
    [['a', 'b', '1'], []],
    [['|', 'ab'], ['| ab']],
    [['€', '12'], ['€ 12']],
    [['é1'], ['é1']],
    [['Ωμ'], ['Ωμ']],
  ];
  for (const [words, lines] of cases) {
    assert.deepEqual(texts([words.map((t, i) => w(t, i * 30, 0, 10 * t.length))]), lines, words.join(' '));
  }
  assert.deepEqual(woordenNaarBlokken([[w(' Jan ', 0, 0, 50)]]), [{ t: 'p', line: true, text: 'Jan' }]);
  assert.deepEqual(woordenNaarBlokken([]), []);
});

test('the in-page engine\'s lines: blank and doubtful words dropped, boxes from corners', () => {
  const word = (text, confidence, x0 = 1, y0 = 2) => ({ text, confidence, bbox: { x0, y0, x1: x0 + 30, y1: y0 + 12 } });
  const blocks = [
    { paragraphs: [{ lines: [{ words: [word('Jan', 96), word('ruis', 20), word('  ', 99)] }, { words: [word('Bos', 20.5, 50, 60)] }] }] },
    { paragraphs: [{ lines: [] }, { lines: [{ words: [word('Delft', 80, 5, 90)] }] }] },
  ];
  assert.deepEqual(tesseractRegels(blocks), [
    [{ t: 'Jan', x: 1, y: 2, w: 30, h: 12 }], [{ t: 'Bos', x: 50, y: 60, w: 30, h: 12 }], [{ t: 'Delft', x: 5, y: 90, w: 30, h: 12 }],
  ]);
  assert.deepEqual(tesseractRegels([{ paragraphs: [{ lines: [{ words: [word('ruis', 3)] }] }] }]), []);
  assert.deepEqual(tesseractRegels(null), []);
});
