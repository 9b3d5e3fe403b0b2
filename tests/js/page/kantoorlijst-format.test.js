import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import './helpers.js';
import { KL_VOORBEELD, alleenNooit, gedeeldeOpslag, leesKantoorlijst } from '../../../web/src/app/kantoorlijst.js';

const lijsten = (tekst) => {
  const { altijd: a, nooit } = leesKantoorlijst(tekst);
  return { altijd: a, nooit };
};
const altijd = (regels) => leesKantoorlijst(`[altijd vervangen]\n${regels.join('\n')}`).altijd;

describe('reading the office list', () => {
  test('an always line with a kind gives that category, any other line a person', () => {
    const cases = [
      ['Bedrijf: Dekker Bouw B.V.', { cat: 'BEDRIJF', value: 'Dekker Bouw B.V.' }],
      ['kvk-nummer:12345678', { cat: 'KVK', value: '12345678' }],
      ['  IBAN :  NL91ABNA0417164300  ', { cat: 'IBAN', value: 'NL91ABNA0417164300' }],
      ['e-mail: a@b.nl', { cat: 'EMAIL', value: 'a@b.nl' }],
      ['Klant: Jan Jansen', { cat: 'PERSOON', value: 'Klant: Jan Jansen' }],
      ['Jan Jansen', { cat: 'PERSOON', value: 'Jan Jansen' }],
      ['X: Jan', { cat: 'PERSOON', value: 'X: Jan' }],
      [`${'a'.repeat(31)}: Jan`, { cat: 'PERSOON', value: `${'a'.repeat(31)}: Jan` }],
      ['Bedrijf:', { cat: 'PERSOON', value: 'Bedrijf:' }],
      ['Plaats: Den Haag: centrum', { cat: 'PLAATS', value: 'Den Haag: centrum' }],
    ];
    for (const [regel, verwacht] of cases) assert.deepEqual(altijd([regel]), [verwacht], regel);
  });

  test('sections, comments and lines outside a section', () => {
    const tekst = [
      'Voor de eerste kop', '[Overig]', 'Genegeerd', '[NOOIT VERVANGEN]', '  Belastingdienst  ', '# commentaar',
      'Gemeente # geen commentaar', '', '[altijd]', 'Jan Jansen', '[]', '[nooit en altijd]', 'Beide',
    ].join('\n');
    const k = leesKantoorlijst(tekst);
    assert.deepEqual(k.nooit, ['Belastingdienst', 'Gemeente # geen commentaar', 'Beide']);
    assert.deepEqual(k.altijd, [{ cat: 'PERSOON', value: 'Jan Jansen' }, { cat: 'PERSOON', value: '[]' }]);
    assert.equal(k.tekst, tekst);
  });

  test('CRLF line ends, a byte-order mark and no-break spaces read like plain lines', () => {
    const lf = '[nooit vervangen]\nBelastingdienst\n[altijd vervangen]\nBedrijf: Dekker Bouw\n';
    const vreemd = `\uFEFF${lf.replace(/\n/g, '\r\n').replace('Belastingdienst', '\u00A0Belastingdienst\u00A0')}`;
    assert.deepEqual(lijsten(vreemd), lijsten(lf));
    assert.deepEqual(lijsten(lf).nooit, ['Belastingdienst']);
  });

  test('empty lists: the example, only comments, empty sections, no text', () => {
    for (const tekst of [KL_VOORBEELD, '# a\n# b', '[altijd vervangen]\n\n[nooit vervangen]\n', '', undefined]) {
      assert.deepEqual(lijsten(tekst), { altijd: [], nooit: [] }, JSON.stringify(tekst));
    }
    assert.equal(leesKantoorlijst(undefined).tekst, '');
  });
});

describe('the never part for shared storage', () => {
  test('drops the lines of always sections, also under a header naming both words', () => {
    const tekst = '# kop\r\n[altijd vervangen]\r\nJan Jansen\r\n [Klant] Piet Bakker\r\n[Els\r\n  [nooit]\r\nBelastingdienst\r\n[nooit of altijd]\r\nGeheim\r\n[Overig]\r\nblijft';
    assert.equal(alleenNooit(tekst), '# kop\n[altijd vervangen]\n  [nooit]\nBelastingdienst\n[nooit of altijd]\n[Overig]\nblijft');
    assert.deepEqual(leesKantoorlijst(alleenNooit(tekst)), { altijd: [], nooit: ['Belastingdienst'], tekst: alleenNooit(tekst) });
  });

  test('the maker\'s main domain shares its storage, its subdomains do not', () => {
    const cases = [['drovel.nl', true], ['WWW.Drovel.NL', true], ['app.drovel.nl', false], ['drovel.nl.example', false], ['localhost', false]];
    for (const [host, gedeeld] of cases) assert.equal(gedeeldeOpslag(host), gedeeld, host);
  });
});
