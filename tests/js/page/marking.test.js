import assert from 'node:assert/strict';
import { beforeEach, describe, test } from 'node:test';
import { freshSession } from './helpers.js';
import { voegToe } from '../../../web/src/app/entities.js';
import { bladerVolgorde, plekVan } from '../../../web/src/app/marking/browse.js';
import { blocksHtml, hlHtml } from '../../../web/src/app/marking/marks.js';
import {
  dispMatcher, matcher, telAlles, telPerDoc, vergeetMatchers,
} from '../../../web/src/app/matchers.js';
import { S } from '../../../web/src/app/session.js';

beforeEach(() => {
  freshSession();
  vergeetMatchers();
});

describe('marking', () => {
  test('hostile text is escaped, marks keep their entity and the marker characters cannot forge one', () => {
    const e = voegToe('PERSOON', 'Jan <b>"Vries"</b>', false);
    const html = hlHtml(`<script>x()</script> Jan <b>"Vries"</b> \uE000${e.id}\uE001<img src=x onerror=y>\uE002`);
    assert.ok(!/<script|<img|<b>/.test(html), html);
    assert.match(html, new RegExp(`<mark class="ent cat-PERSOON" data-id="${e.id}" tabindex="0" title="\\[PERSOON_1\\]">Jan &lt;b&gt;&quot;Vries&quot;&lt;/b&gt;</mark>`));
    assert.equal(html.match(/<mark/g).length, 1);
  });

  test('switched-off entities stay marked; the AI mode shows placeholders for active ones only', () => {
    voegToe('PLAATS', 'Utrecht', false);
    voegToe('PLAATS', 'Zwolle', false).active = false;
    S.mode = 'ph';
    const html = hlHtml('Utrecht en Zwolle');
    assert.match(html, /class="ent cat-PLAATS toon-ph"[^>]*>\[PLAATS_1\]<\/mark>/);
    assert.match(html, /class="ent cat-PLAATS uit"[^>]*title="\[PLAATS_2\] \(wordt niet vervangen\)">Zwolle<\/mark>/);
  });

  test('blocks: lists grouped by kind, every heading level 3, line paragraphs and tables', () => {
    const html = blocksHtml([
      { t: 'h', level: 1, text: 'Pagina 1', pagina: true },
      { t: 'li', text: 'a', ordered: false }, { t: 'li', text: 'b', ordered: false }, { t: 'li', text: 'c', ordered: true },
      { t: 'p', text: 'regel', line: true }, { t: 'h', level: 5, text: 'Kop' },
      { t: 'table', rows: [['x', '<y>']] }, { t: 'onbekend', text: 'weg' },
    ]);
    assert.equal(html, '<h3 class="pagina">Pagina 1</h3><ul><li>a</li><li>b</li></ul><ol><li>c</li></ol>'
      + '<p class="line">regel</p><h3>Kop</h3><table><tbody><tr><td>x</td><td>&lt;y&gt;</td></tr></tbody></table>');
  });
});

describe('browsing order', () => {
  test('starts at the current document and wraps in session order', () => {
    assert.deepEqual(bladerVolgorde(['A', 'B'], ['A', 'X', 'B'], 'B'), ['B', 'A']);
    assert.deepEqual(bladerVolgorde(['A', 'B'], ['X', 'A', 'B'], 'X'), ['A', 'B']);
  });

  test('two hits in A and one in B with B current: 1 is in B, 2 and 3 in A', () => {
    const volgorde = bladerVolgorde(['A', 'B'], ['A', 'B'], 'B');
    const aantallen = { A: 2, B: 1 };
    assert.deepEqual([0, 1, 2].map((i) => plekVan(volgorde, aantallen, i)),
      [{ id: 'B', binnen: 0 }, { id: 'A', binnen: 0 }, { id: 'A', binnen: 1 }]);
  });
});

test('the active matcher leaves switched-off entities out; the display matcher and counts keep them', () => {
  const utrecht = voegToe('PLAATS', 'Utrecht', false);
  voegToe('PLAATS', 'Zwolle', false);
  S.docs.push({ id: 'd9', name: 'x', blocks: [{ t: 'p', text: 'Utrecht, Zwolle en Utrecht.' }] });
  utrecht.active = false;
  vergeetMatchers();
  const tekst = 'Utrecht en Zwolle';
  assert.equal(globalThis.AnonCore.anonymize(tekst, matcher(), {}), 'Utrecht en [PLAATS_2]');
  assert.equal(globalThis.AnonCore.anonymize(tekst, dispMatcher(), {}), '[PLAATS_1] en [PLAATS_2]');
  assert.deepEqual(telAlles(), { [utrecht.id]: 2, [utrecht.id + 1]: 1 });
  utrecht.variants.push('Zwolle');
  vergeetMatchers();
  assert.deepEqual(telAlles(), { [utrecht.id]: 3 }, 'changed variants are counted anew');
});

test('browsing reads one entity per document from the same counting as the totals', () => {
  const utrecht = voegToe('PLAATS', 'Utrecht', false);
  S.docs.push({ id: 'd1', name: 'a', blocks: [{ t: 'p', text: 'Utrecht en Utrecht.' }] });
  S.docs.push({ id: 'd2', name: 'b', blocks: [{ t: 'p', text: 'Zwolle.' }] });
  S.docs.push({ id: 'd3', name: 'c', blocks: [{ t: 'p', text: 'Naar Utrecht.' }] });
  assert.deepEqual(telPerDoc(utrecht.id), { d1: 2, d3: 1 });
  assert.equal(telAlles()[utrecht.id], 3);
  S.docs.splice(0, 1);
  assert.deepEqual(telPerDoc(utrecht.id), { d3: 1 }, 'a removed document is counted no more');
  assert.deepEqual(telPerDoc(utrecht.id + 1), {});
});

test('a new session with the same entities and document ids counts its own documents', () => {
  const count = (text) => {
    freshSession();
    const e = voegToe('PERSOON', 'Jan de Vries', false);
    S.docs.push({ id: 'd9', name: 'x', blocks: [{ t: 'p', text }] });
    vergeetMatchers();
    return telAlles()[e.id];
  };
  assert.equal(count('Jan de Vries belt Jan de Vries.'), 2);
  assert.equal(count('Jan de Vries belt.'), 1);
});
