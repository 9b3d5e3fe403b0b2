import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  blocksText, blocksToMarkdown, escHtml, markdownToHtml, markdownToPlain, markdownToTsv,
} from '../../../web/src/core/markdown.js';

test('blocksToMarkdown writes each block kind and keeps runs of one kind together', () => {
  const cases = [
    ['level 1 heading', [{ t: 'h', level: 1, text: 'Jaarrekening 2023' }], '# Jaarrekening 2023'],
    ['level above 6', [{ t: 'h', level: 9, text: 'Noot' }], '###### Noot'],
    ['missing level', [{ t: 'h', text: 'Bijlage' }], '## Bijlage'],
    ['negative level', [{ t: 'h', level: -2, text: 'Bijlage' }], '# Bijlage'],
    [
      'numbered then bulleted items',
      [1, 2, 3].map((n) => ({ t: 'li', ordered: true, text: 'stap ' + n }))
        .concat([{ t: 'li', text: 'loonstrook' }, { t: 'li', text: 'jaaropgave' }]),
      '1. stap 1\n1. stap 2\n1. stap 3\n- loonstrook\n- jaaropgave',
    ],
    [
      'line paragraphs, paragraphs and a line after a paragraph',
      [
        { t: 'p', line: true, text: 'Van: K. Dekker' }, { t: 'p', line: true, text: 'Aan: L. Jansen' },
        { t: 'p', text: 'Geachte mevrouw Jansen,' }, { t: 'p', text: 'Hierbij de stukken.' },
        { t: 'p', line: true, text: 'Pagina 1' },
      ],
      'Van: K. Dekker\nAan: L. Jansen\n\nGeachte mevrouw Jansen,\n\nHierbij de stukken.\n\nPagina 1',
    ],
    ['heading and paragraph', [{ t: 'h', level: 2, text: 'Kop' }, { t: 'p', text: 'Tekst' }], '## Kop\n\nTekst'],
    ['unknown block kinds are left out', [{ t: 'x', text: 'weg' }, null, { t: 'p', text: 'blijft' }], 'blijft'],
  ];
  for (const [name, blocks, expected] of cases) assert.equal(blocksToMarkdown(blocks), expected, name);
});

test('blocksToMarkdown writes tables at their widest row, escaping pipes and line breaks', () => {
  const table = {
    t: 'table',
    rows: [['Post', 'Bedrag'], ['Huur | servicekosten', '1.200', 'p.m.'], ['', ' '], ['Regel\r\neen', null]],
  };
  assert.equal(
    blocksToMarkdown([table]),
    '| Post | Bedrag |  |\n| --- | --- | --- |\n| Huur \\| servicekosten | 1.200 | p.m. |\n| Regel een |  |  |',
  );
  assert.equal(blocksToMarkdown([{ t: 'table', rows: [['', ' '], []] }, { t: 'p', text: 'na' }]), 'na');
  const twoTables = blocksToMarkdown([{ t: 'table', rows: [['a']] }, { t: 'table', rows: [['b']] }]);
  assert.equal(twoTables, '| a |\n| --- |\n| b |\n| --- |');
});

test('blocksToMarkdown applies the map to every piece of text, cells before escaping', () => {
  const seen = [];
  const map = (s) => {
    seen.push(s);
    return s.replace('Dekker', '[PERSOON_1]');
  };
  const md = blocksToMarkdown([
    { t: 'h', level: 1, text: 'Dossier Dekker' },
    { t: 'p', text: 'Dekker belde.' },
    { t: 'li', text: 'Dekker' },
    { t: 'table', rows: [['Dekker|Bouw']] },
  ], map);
  assert.deepEqual(seen, ['Dossier Dekker', 'Dekker belde.', 'Dekker', 'Dekker|Bouw']);
  assert.equal(md, '# Dossier [PERSOON_1]\n\n[PERSOON_1] belde.\n\n- [PERSOON_1]\n\n| [PERSOON_1]\\|Bouw |\n| --- |');
});

test('blocksText gives one line per block and tab-separated table rows', () => {
  const blocks = [
    { t: 'h', level: 1, text: 'Aangifte' },
    { t: 'p', text: 'Naam: Piet Bakker' },
    { t: 'table', rows: [['Box 1', '45.000'], ['Box 3', undefined, '']] },
    { t: 'li', ordered: true, text: 'bijlage' },
  ];
  assert.equal(blocksText(blocks), 'Aangifte\nNaam: Piet Bakker\nBox 1\t45.000\nBox 3\t\t\nbijlage');
});

test('escHtml escapes the four HTML characters of any value', () => {
  assert.equal(escHtml('<a href="x">Jansen & Zn</a>'), '&lt;a href=&quot;x&quot;&gt;Jansen &amp; Zn&lt;/a&gt;');
  assert.equal(escHtml(42), '42');
});

test('markdownToHtml renders the dialect', () => {
  const cases = [
    ['heading', '## Advies', '<h2>Advies</h2>'],
    ['table with header', '| Naam | Rol |\n| --- | --- |\n| Piet | client |\n| Eva | partner |',
      '<table><tr><th>Naam</th><th>Rol</th></tr><tr><td>Piet</td><td>client</td></tr><tr><td>Eva</td><td>partner</td></tr></table>'],
    ['table without separator', '| a |\n| b |\n| c |',
      '<table><tr><td>a</td></tr><tr><td>b</td></tr><tr><td>c</td></tr></table>'],
    ['escaped pipe in a cell', '| a \\| b | c |', '<table><tr><td>a | b</td><td>c</td></tr></table>'],
    ['numbered list from 3', '3. aangifte\n4. aanslag', '<ol start="3"><li>aangifte</li><li>aanslag</li></ol>'],
    ['nested list and continuation', '- stukken\n  - loonstrook\n  van mei\n- aanslag',
      '<ul><li>stukken<ul><li>loonstrook<br>van mei</li></ul></li><li>aanslag</li></ul>'],
    ['bullets then numbers give two lists', '- a\n- b\n1. c', '<ul><li>a</li><li>b</li></ul>\n<ol><li>c</li></ol>'],
    ['blank line between items', '- a\n\n- b', '<ul><li>a</li><li>b</li></ul>'],
    ['shallower item after a deeper first item', '  - a\n- b', '<ul><li>a</li></ul>\n<ul><li>b</li></ul>'],
    ['rule before list', '- - -', '<hr>'],
    ['quote', '> Geachte heer,\n> dank u.', '<blockquote><p>Geachte heer,<br>dank u.</p></blockquote>'],
    ['paragraph lines', 'Eerste regel\ntweede regel\n\nNieuw', '<p>Eerste regel<br>tweede regel</p>\n<p>Nieuw</p>'],
    ['paragraph ends at a list', 'Stukken:\n- a', '<p>Stukken:</p>\n<ul><li>a</li></ul>'],
    ['bold, also with escaped asterisks', '**vet** en \\*\\*ook\\*\\*', '<p><strong>vet</strong> en <strong>ook</strong></p>'],
    ['underscores, italics and code', '__vet__ *schuin* `code`', '<p><strong>vet</strong> <em>schuin</em> <code>code</code></p>'],
    ['escaped asterisk between blanks stays', '3 \\* 4', '<p>3 * 4</p>'],
    ['HTML in text is escaped', 'a < b & "c"', '<p>a &lt; b &amp; &quot;c&quot;</p>'],
    ['carriage returns', '# Kop\r\ntekst\rmeer', '<h1>Kop</h1>\n<p>tekst<br>meer</p>'],
  ];
  for (const [name, md, html] of cases) assert.equal(markdownToHtml(md), html, name);
});

test('markdownToHtml lets no markup of the text through', () => {
  const evil = '<script>alert(1)</script>';
  const md = [
    '# ' + evil, evil, '- ' + evil, '| ' + evil + ' |', '> ' + evil, '**' + evil + '**', '`' + evil + '`',
    '1. x\n  ' + evil,
  ].join('\n\n');
  const html = markdownToHtml(md);
  assert.ok(!html.includes('<script'), html);
  assert.ok(!/<(?!\/?(?:h\d|p|ul|ol|li|table|tr|td|th|blockquote|strong|em|code|br|hr)\b)/.test(html), html);
});

test('markdownToPlain strips the markup', () => {
  const cases = [
    ['heading', '### Advies', 'Advies'],
    ['bullets', '- a\n  * b\n2. c', '• a\n• b\n2. c'],
    ['table', '| Naam | Rol |\n|---|---|\n| Piet | client |', 'Naam\tRol\nPiet\tclient'],
    ['emphasis and code', '**vet** __ook__ *schuin* `x`', 'vet ook schuin x'],
    ['escapes', '3 \\* 4 \\_ \\#', '3 * 4 _ #'],
    ['italic across a line start', 'a\n*b*', 'a\nb'],
  ];
  for (const [name, md, plain] of cases) assert.equal(markdownToPlain(md), plain, name);
});

test('markdownToTsv returns the tables only, or the plain text', () => {
  const md = 'Inleiding\n\n| Post | Bedrag |\n| --- | --- |\n| **Huur** | 1.200 |\n\nTussentekst\n\n| a | b |';
  assert.equal(markdownToTsv(md), 'Post\tBedrag\nHuur\t1.200\n\na\tb');
  assert.equal(markdownToTsv('# Kop\n- punt'), 'Kop\n• punt');
});
