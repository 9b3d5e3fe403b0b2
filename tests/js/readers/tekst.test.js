import { test } from 'node:test';
import assert from 'node:assert/strict';
import { tekstBlokken } from '../../../web/src/app/readers/tekst.js';

const p = (text) => ({ t: 'p', text });

test('text splits into paragraphs at blank lines', () => {
  const cases = [
    ['Geachte heer,\r\n   \r\nMet vriendelijke groet', [p('Geachte heer,'), p('Met vriendelijke groet')]],
    ['regel een\nregel twee', [p('regel een\nregel twee')]],
    ['oud\r\rmac\rregel', [p('oud'), p('mac\nregel')]],
    ['  ingesprongen  \t\n\n\n\t\nslot ', [p('  ingesprongen'), p('slot')]],
    ['\n \n\r\n\t\n', []],
    ['', []],
  ];
  for (const [input, expected] of cases) assert.deepEqual(tekstBlokken(input), expected, JSON.stringify(input));
});
