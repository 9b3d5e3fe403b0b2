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

test('a header with a text box: each paragraph once, the header\'s own lines after it kept', () => {
  const box = (text) => `<w:txbxContent>${paragraph(text)}</w:txbxContent>`;
  const xml = '<w:hdr><w:p><w:r><w:t>Kantoor Dekker</w:t></w:r><w:r><mc:AlternateContent>'
    + `<mc:Choice Requires="wps"><w:drawing><wps:txbx>${box('Dossier 2024-117')}</wps:txbx></w:drawing></mc:Choice>`
    + `<mc:Fallback><w:pict><v:textbox>${box('Dossier 2024-117')}</v:textbox></w:pict></mc:Fallback>`
    + '</mc:AlternateContent></w:r><w:r><w:t xml:space="preserve"> advocaten</w:t></w:r></w:p>'
    + `${paragraph('Telefoon 030-1234567')}${paragraph('behandelaar mr. Pieter van Dijk')}</w:hdr>`;
  assert.deepEqual(wordAlineas(xml), ['Kantoor Dekker advocaten', 'Dossier 2024-117', 'Telefoon 030-1234567', 'behandelaar mr. Pieter van Dijk']);
});

test('damaged XML is read in one pass: unclosed paragraphs, comments and text elements', { timeout: 10000 }, () => {
  const n = 200000;
  assert.deepEqual(wordAlineas(`${'<w:p>'.repeat(n)}<w:r><w:t>Jan</w:t></w:r>`), ['Jan']);
  assert.deepEqual(wordAlineas(`<w:p>${'<w:t>x'.repeat(n)}</w:p>`), []);
  assert.deepEqual(wordAlineas(`<w:p>${'<w:t a="'.repeat(n)}</w:p>`), []);
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

test('unclosed comments in one pass; a paragraph outside a comment belongs to none', { timeout: 10000 }, async () => {
  const xml = `<w:comments><w:comment w:id="0" w:author="Els">${paragraph('een')}${'<w:comment w:id="1">'.repeat(100000)}`
    + `${paragraph('twee')}</w:comment>${paragraph('los')}</w:comments>`;
  const bytes = docx(paragraph('Romp'), { 'word/comments.xml': xml });
  assert.deepEqual((await docxExtra(bytes)).opmerkingen, [{ auteur: 'Els', tekst: 'een' }, { auteur: '', tekst: 'twee' }]);
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
