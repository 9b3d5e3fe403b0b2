// The restored answer's display and Word form, and the follow-up's name completion.
import assert from 'node:assert/strict';
import { beforeEach, describe, test } from 'node:test';
import { fakeDocument, freshSession } from './helpers.js';
import { vervolgSuggesties, vervolgWoord } from '../../../web/src/app/terug/aanvullen.js';
import {
  blokkenHtml, terugBlokken, terugHtml, terugMeldingen, wordHtml,
} from '../../../web/src/app/terug/herstel.js';
import { vervolgTekst } from '../../../web/src/app/terug/vervolg.js';
import { voegToe } from '../../../web/src/app/entities.js';
import { vergeetMatchers } from '../../../web/src/app/matchers.js';
import { S } from '../../../web/src/app/session.js';

beforeEach(() => {
  freshSession();
  vergeetMatchers();
});

const herstel = (tekst) => globalThis.AnonCore.restore(tekst, S.ents);

describe('terugHtml', () => {
  test('a put-back value with markdown characters shows literally, escaped, with its old label', () => {
    voegToe('BEDRIJF', '*Ster* | <Bouw> B.V.', false);
    const html = terugHtml(herstel('- **[BEDRIJF_1]** tekent').segments);
    assert.equal(html, '<ul><li><strong><mark class="terug" title="was [BEDRIJF_1]">*Ster* | &lt;Bouw&gt; B.V.</mark></strong> tekent</li></ul>');
  });

  test('the answer cut into blocks converts, block by block, as it does whole', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    const md = [
      '## Kop met [PERSOON_1]', '', '1. een', '', '2. twee met [PERSOON_1]', '   verder', '', '', '- los', '',
      '| a | b |', '| --- | --- |', '| [PERSOON_1] | 2 |', '', '> citaat', '> nog', '', 'Alinea\nmet regel', '', '',
      '3. later', '4. nog een', '', '---', '', '   ingesprongen', 'slot [PERSOON_1]',
    ].join('\n');
    const { segments } = herstel(md);
    const { blokken, waarden } = terugBlokken(segments);
    assert.ok(blokken.length >= 8, blokken.join('\n|\n'));
    assert.equal(blokken.map((b) => blokkenHtml([b], waarden)).join('\n'), terugHtml(segments));
    assert.equal(terugHtml(segments), globalThis.AnonCore.markdownToHtml(md.replaceAll('[PERSOON_1]', '\uE000x\uE001'))
      .replace(/\uE000x\uE001/g, '<mark class="terug" title="was [PERSOON_1]">Jan de Vries</mark>'));
  });

  test('markers typed into the answer itself never become marks', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    const html = terugHtml(herstel('\uE0000\uE001 en [PERSOON_1]').segments);
    assert.equal((html.match(/<mark/g) || []).length, 1);
  });

  test('script in the answer is escaped text', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    assert.ok(terugHtml(herstel('<script>alert(1)</script> [PERSOON_1]').segments).includes('&lt;script&gt;'));
  });

  test('the notices list unknown labels once and count restored segments and labels', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    const html = terugMeldingen(herstel('[PERSOON_1], PERSOON 1, [PERSOON_9] en \\[PERSOON\\_9\\]'));
    assert.equal((html.match(/\[PERSOON_9\]/g) || []).length, 1);
    assert.ok(html.includes('2 placeholder(s) teruggezet (1 verschillende).'));
  });
});

test('wordHtml frames the document in the Word font and gives tables borders', () => {
  const html = wordHtml('| a | b |\n| --- | --- |\n| 1 | 2 |');
  assert.ok(html.startsWith('<div style="font-family:Calibri,Arial,sans-serif;font-size:11pt"><table style="border-collapse:collapse" border="1" cellpadding="4">'));
  assert.equal((html.match(/<td style="border:1px solid #999;padding:3px 6px;vertical-align:top">/g) || []).length, 2);
  assert.equal((html.match(/<th style=/g) || []).length, 2);
});

describe('name completion', () => {
  test('vervolgWoord takes up to three words at the caret, after a blank, quote or parenthesis', () => {
    const gevallen = [
      ['Mag Jan de Vr', 'Jan de Vr'],
      ['Vraag over (Bakk', 'Bakk'],
      ['zie “Jan', 'Jan'],
      ['een twee drie vier', 'twee drie vier'],
      ['Jan ', ''],
      ['bedrag 12', ''],
      ['x-Jan', 'x-Jan'],
    ];
    for (const [voor, stuk] of gevallen) assert.equal(vervolgWoord(voor), stuk, voor);
  });

  test('the longest try with hits wins, longest variants first, and never the typed text itself', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    voegToe('BEDRIJF', 'De Vries Beheer B.V.', false);
    voegToe('IBAN', 'NL91ABNA0417164300', false);
    const { stuk, hits } = vervolgSuggesties('Kan de Vr');
    assert.equal(stuk, 'de Vr');
    const teksten = hits.map((h) => h.tekst);
    assert.equal(teksten[0], 'De Vries Beheer B.V.');
    assert.ok(teksten.length <= 6 && teksten.includes('de Vries'), teksten.join(' / '));
    assert.ok(teksten.every((t, i) => t.toLowerCase().startsWith('de vr') && (i === 0 || t.length <= teksten[i - 1].length)));
    assert.equal(vervolgSuggesties('Vraag Jan').stuk, 'Jan');
  });

  test('without a fragment the dossier\'s names come, never its numbers', () => {
    voegToe('PERSOON', 'Jan de Vries', false);
    voegToe('IBAN', 'NL91ABNA0417164300', false);
    const s = vervolgSuggesties('');
    assert.equal(s.stuk, '');
    assert.deepEqual(s.hits.map((h) => h.tekst), ['Jan de Vries']);
  });
});

test('a follow-up question that quotes a placeholder keeps it whole', () => {
  voegToe('PERSOON', 'Jan Persoon', false);
  fakeDocument().value = 'Mag [PERSOON_1] schenken, of Persoon zelf?';
  const { tekst, n } = vervolgTekst(false);
  assert.deepEqual({ tekst, n }, { tekst: 'Mag [PERSOON_1] schenken, of [PERSOON_1] zelf?', n: 0 });
});
