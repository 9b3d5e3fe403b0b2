import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { docxExtra, wordAlineas } from '../../../web/src/lezers/docx-extra.js';
import { commentsPart, docx, footerPart, headerPart, paragraph, zip } from '../../fixtures/readers/make-docx.js';

const FIXTURES = new URL('../../../../shared/fixtures/docx/', import.meta.url);

test('paragraph texts of WordprocessingML', () => {
  const cases = [
    ['<w:p><w:r><w:t>Jan </w:t></w:r><w:r><w:t xml:space="preserve">Jansen</w:t></w:r></w:p>', ['Jan Jansen']],
    ['<w:p w:rsidR="1"><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:br w:type="page"/><w:cr/><w:t>d</w:t></w:r></w:p>',
      ['a\tb\nc\n\nd']],
    ['<w:p><w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr><w:r><w:t>x</w:t></w:r></w:p>', ['x']],
    ['<w:p><w:r><w:t>  Fa&amp;Zn&#160;&#160; &lt;B.V.&gt;  </w:t></w:r></w:p>', ['Fa&Zn <B.V.>']],
    ['<w:p><w:r><w:t xml:space="preserve"/></w:r></w:p><w:p><w:r><w:t>tweede</w:t></w:r></w:p>', ['tweede']],
    ['<w:p/><w:p></w:p><w:p><w:r><w:t> </w:t></w:r></w:p>', []],
    ['<w:pPr><w:t>geen alinea</w:t></w:pPr>', []],
  ];
  for (const [xml, expected] of cases) assert.deepEqual(wordAlineas(xml), expected, xml);
});

test('headers and footers in code-unit order of their parts, each line once', async () => {
  const bytes = docx(paragraph('Romp'), {
    'word/header2.xml': headerPart('Kantoor Noord', 'Pagina twee'),
    'word/header10.xml': headerPart('Tiende'),
    'word/header1.xml': headerPart('Kantoor Noord'),
    'word/footer.xml': footerPart('Voet'),
    'word/headerX.xml': headerPart('geen kopdeel'),
    'word/_rels/header1.xml.rels': headerPart('ook niet'),
  });
  assert.deepEqual(await docxExtra(bytes), {
    kop: ['Kantoor Noord', 'Tiende', 'Pagina twee'],
    voet: ['Voet'],
    opmerkingen: [],
  });
});

test('comments with their authors; empty comments dropped', async () => {
  const bytes = docx(paragraph('Romp'), {
    'word/comments.xml': commentsPart(
      { author: 'J. de Vries & Zn', text: 'Klopt dit bedrag?' },
      { text: 'Zonder auteur' },
      { author: 'Leeg', text: '' },
    ),
  });
  assert.deepEqual((await docxExtra(bytes)).opmerkingen, [
    { auteur: 'J. de Vries & Zn', tekst: 'Klopt dit bedrag?' },
    { auteur: '', tekst: 'Zonder auteur' },
  ]);
});

test('a real Word document with comments', async () => {
  const extra = await docxExtra(readFileSync(new URL('comments.docx', FIXTURES)));
  assert.deepEqual(extra.opmerkingen.map((c) => c.auteur), ['Michael Williamson', 'Michael Williamson']);
  assert.deepEqual([extra.kop, extra.voet], [[], []]);
});

test('a file that is no ZIP fails', async () => {
  await assert.rejects(docxExtra(new TextEncoder().encode('geen zip')), /geen geldig zip-bestand/);
  assert.deepEqual(await docxExtra(zip([])), { kop: [], voet: [], opmerkingen: [] });
});
