import { test } from 'node:test';
import assert from 'node:assert/strict';
import { tesseractWoorden, woordenNaarBlokken } from '../../../web/src/app/readers/ocr-woorden.js';

const w = (t, x, y, width, h = 20) => ({ t, x, y, w: width, h });
const texts = (woorden) => woordenNaarBlokken(woorden).map((b) => b.text);

test('words into lines: rows by centre within 0.6 of the smaller height, tabs past 2.5 character widths', () => {
  // "Bakker" is 60 wide: 10 per character.
  const cases = [
    ['wide gap', [w('Naam', 0, 0, 40), w('Bakker', 70, 0, 60)], ['Naam\tBakker']],
    ['exactly 2.5 widths', [w('Naam', 0, 0, 40), w('Bakker', 65, 0, 60)], ['Naam Bakker']],
    ['no minimum for a space', [w('Naam', 0, 0, 40), w('Bakker', 35, 0, 60)], ['Naam Bakker']],
    ['centres 11.9 apart', [w('a1', 0, 0, 20), w('b2', 100, 11.9, 20)], ['a1\tb2']],
    ['centres exactly 0.6 × 20 apart', [w('a1', 0, 0, 20), w('b2', 100, 12, 20)], ['a1', 'b2']],
    ['the smaller height counts', [w('a1', 0, 0, 20, 40), w('b2', 100, 30, 20, 10)], ['a1', 'b2']],
    ['rows top first, words left first', [w('onder', 0, 100, 50), w('rechts', 300, 0, 60), w('links', 0, 2, 50)], ['links\trechts', 'onder']],
    // Sorted by y first, so the higher word opens the row whose centre the others are measured from.
    ['a slanted line', [w('drie', 200, 16, 40), w('een', 0, 0, 30), w('twee', 100, 8, 40)], ['een\ttwee', 'drie']],
    ['an empty word counts one character', [w('ab', 0, 0, 20), w('', 22, 0, 1), w('cd', 30, 0, 20)], ['ab  cd']],
  ];
  for (const [name, woorden, lines] of cases) assert.deepEqual(texts(woorden), lines, name);
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
    assert.deepEqual(texts(words.map((t, i) => w(t, i * 30, 0, 10 * t.length))), lines, words.join(' '));
  }
  assert.deepEqual(woordenNaarBlokken([w(' Jan ', 0, 0, 50)]), [{ t: 'p', line: true, text: 'Jan' }]);
  assert.deepEqual(woordenNaarBlokken([]), []);
});

test('the in-page engine\'s words: blank and doubtful ones dropped, boxes from corners', () => {
  const word = (text, confidence, x0 = 1, y0 = 2) => ({ text, confidence, bbox: { x0, y0, x1: x0 + 30, y1: y0 + 12 } });
  const blocks = [
    { paragraphs: [{ lines: [{ words: [word('Jan', 96), word('ruis', 20), word('  ', 99)] }, { words: [word('Bos', 20.5, 50, 60)] }] }] },
    { paragraphs: [{ lines: [] }, { lines: [{ words: [word('Delft', 80, 5, 90)] }] }] },
  ];
  assert.deepEqual(tesseractWoorden(blocks), [
    { t: 'Jan', x: 1, y: 2, w: 30, h: 12 }, { t: 'Bos', x: 50, y: 60, w: 30, h: 12 }, { t: 'Delft', x: 5, y: 90, w: 30, h: 12 },
  ]);
  assert.deepEqual(tesseractWoorden(null), []);
});
