import { test } from 'node:test';
import assert from 'node:assert/strict';
import { entiteiten } from '../../../web/src/lezers/entiteiten.js';

test('character references: known ones decoded, the rest left as written', () => {
  const cases = [
    ['Jansen &amp; Zn &lt;b&gt;', 'Jansen & Zn <b>'],
    ['&EACUTE;&Euml;&euml;', 'éËë'],
    ['&ntilde;&szlig;&aring;&acirc;&frac12;&sup2;', 'ñßåâ½²'],
    ['&#x20AC; &#X20ac; &#8364;', '€ € €'],
    ['a&nbsp;b', 'a b'],
    ['&#128512;', '😀'],
    ['&onbekend; &amp &#x110000; &#99999999999;', '&onbekend; &amp &#x110000; &#99999999999;'],
    ['&amp;lt;', '&lt;'],
  ];
  for (const [input, expected] of cases) assert.equal(entiteiten(input), expected, input);
});
