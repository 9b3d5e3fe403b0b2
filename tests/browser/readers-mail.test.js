// E-mail files opened through the page: the text of the mail and its
// attachments in the document, the senders and recipients as known hits.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage } from './support/page-server.js';
import { makeMsg } from '../js/lezers-mail/make-msg.js';

const ROOT = fileURLToPath(new URL('../..', import.meta.url));
const SAMPLES = join(ROOT, '..', 'shared', 'fixtures', 'msg');
const SHOTS = join(ROOT, 'build', 'screenshots');

const EML = [
  'From: "Bakker, Els" <els.bakker@bakkerbouw.nl>',
  'To: Administratiekantoor Smit B.V. <info@smit-administratie.nl>',
  'Subject: =?utf-8?Q?Aangifte_2023_en_jaaroverzicht?=',
  'Date: Mon, 4 Mar 2024 09:12:00 +0100',
  'Content-Type: multipart/mixed; boundary="grens"',
  '',
  '--grens',
  'Content-Type: text/plain; charset=utf-8',
  'Content-Transfer-Encoding: quoted-printable',
  '',
  'Beste meneer Smit,',
  '',
  'Hierbij de stukken voor de aangifte van Jan de Vries. Betaling graag op NL91AB=',
  'NA0417164300.',
  '--grens',
  'Content-Type: text/plain; name="toelichting.txt"',
  'Content-Disposition: attachment; filename="toelichting.txt"',
  'Content-Transfer-Encoding: base64',
  '',
  Buffer.from('Toelichting: de hypotheekrente is betaald door Karel Dekker.').toString('base64'),
  '--grens--',
  '',
].join('\r\n');

const MSG = makeMsg({
  props: { '0037': 'Vraag over de jaarrekening', '0C1A': 'Anna de Wit', '5D01': 'anna@dewit-advies.nl', 1000: 'Goedemorgen,\r\n\r\nKunt u de jaarrekening van Pieter Jansen nakijken?' },
  recipients: [{ props: { 3001: 'Notariskantoor Visser', '39FE': 'post@visser-notaris.nl' } }],
  attachments: [
    { props: { 3707: 'bijlage.txt', '370E': 'text/plain' }, data: new TextEncoder().encode('Het dossiernummer is 2024-117.') },
    {
      props: { 3001: 'Eerder bericht' },
      message: {
        props: { '0037': 'Eerder bericht', 1000: 'Zie het eerdere overzicht.' },
        attachments: [{ props: { 3707: 'brief.docx' }, data: readFileSync(join(SAMPLES, '..', 'docx', 'single-paragraph.docx')) }],
      },
    },
  ],
});

const omgeving = paginaOmgeving();

const klaar = (page) => page.waitForFunction(() => !document.getElementById('laden').classList.contains('show'));
const sessie = (page) => page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')));
const tekst = (doc) => doc.blocks.map((b) => b.text).join('\n');

test('an .eml and two .msg files with attachments open as documents with their senders known', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await page.setInputFiles('#file-input', [
    { name: 'aangifte.eml', mimeType: 'message/rfc822', buffer: Buffer.from(EML) },
    { name: 'vraag.msg', mimeType: 'application/vnd.ms-outlook', buffer: Buffer.from(MSG) },
    { name: 'msgInMsg.msg', mimeType: 'application/vnd.ms-outlook', buffer: readFileSync(join(SAMPLES, 'msgInMsg.msg')) },
  ]);
  await klaar(page);
  const s = await sessie(page);
  assert.deepEqual(s.docs.map((d) => [d.name, d.info]),
    [['aangifte.eml', 'e-mail + 1 bijlage(n)'], ['vraag.msg', 'e-mail + 2 bijlage(n)'], ['msgInMsg.msg', 'e-mail + 1 bijlage(n)']]);
  const [eml, msg, real] = s.docs.map(tekst);
  assert.match(eml, /^Van: Els Bakker <els\.bakker@bakkerbouw\.nl>\nAan: Administratiekantoor Smit B\.V\. <info@smit-administratie\.nl>\n/);
  assert.match(eml, /Onderwerp: Aangifte 2023 en jaaroverzicht\n/);
  assert.match(eml, /Betaling graag op NL91ABNA0417164300\.\nBijlage: toelichting\.txt\nToelichting: de hypotheekrente/);
  assert.match(msg, /Bijlage: bijlage\.txt\nHet dossiernummer is 2024-117\.\nBijlage: Eerder bericht\.msg\nOnderwerp: Eerder bericht\nZie het eerdere overzicht\.\nBijlage: brief\.docx\nWalking on imported air$/);
  assert.deepEqual(s.docs[1].warn, ['Eerder bericht.msg: brief.docx: Tekstvakken en afbeeldingen uit Word worden niet meegenomen.']);
  assert.match(real, /Onderwerp: Microsoft Outlook テスト メッセージ/);
  const cat = (value) => s.ents.find((e) => e.value === value)?.cat;
  assert.deepEqual(['Els Bakker', 'els.bakker@bakkerbouw.nl', 'Administratiekantoor Smit B.V.', 'Anna de Wit', 'anna@dewit-advies.nl',
    'Notariskantoor Visser', 'xmailuser@xmailserver.test'].map(cat),
  ['PERSOON', 'EMAIL', 'BEDRIJF', 'PERSOON', 'EMAIL', 'PERSOON', 'EMAIL']);
  assert.match(await page.locator('#doc-lijst').innerText(), /e-mail \+ 2 bijlage\(n\)/);
  await page.screenshot({ path: join(SHOTS, 'readers-mail.png') });
  assert.deepEqual(problems, []);
});

// Code pages, split encoded words, named entities, address groups and comments,
// a part without headers and a nameless text attachment, as mail programs in
// the wild write them.
const WILD_EML = Buffer.from([
  'From: jan.devries@x.nl (Jan de Vries)',
  'To: Klanten:=?utf-8?B?Sm9zw6kgTcO8bA==?= =?utf-8?B?bGVy?= <jose@x.nl>;',
  'Subject: =?utf-8?B?R3LDvMOfZSB2YW4gSm9zww==?= =?utf-8?B?qQ==?=',
  'Content-Type: multipart/mixed; boundary=b',
  '', '--b', '', 'Fr\xf6sche groeten van Pieter M\xfcller',
  '--b', 'Content-Type: text/plain', 'Content-Disposition: attachment', '', 'Notitie over Karel Dekker',
  '--b--', '',
].join('\r\n'), 'latin1');
// Compressed RTF of type "MELA": the RTF as it stands after a 16-byte header.
const mela = (rtf) => {
  const out = Buffer.alloc(16 + rtf.length);
  out.writeUInt32LE(rtf.length + 12, 0);
  out.writeUInt32LE(rtf.length, 4);
  out.write('MELA', 8, 'latin1');
  out.write(rtf, 16, 'latin1');
  return new Uint8Array(out);
};
const WILD_MSG = makeMsg({
  props: {
    '0037001E': new Uint8Array(Buffer.from('93fa967b8cea204e6f6e20556e69636f646520835e83438367838b', 'hex')),
    '0C1A': 'Spelde van, CMMA (Kees)',
    1013: '<p>&Eacute;mile &Ouml;zdemir, Stra&szlig;e 5</p>',
  },
  fixed: { '3FFD': 932, '3FDE': 50220 },
  attachments: [{
    props: { 3001: 'Verslag' },
    message: { props: { '0037': 'Verslag', '10090102': mela("{\\rtf1\\ansi\\ansicpg1252 G\\'e9nie Civil: don\\rquote t\\emdash ja}") }, fixed: { '3FDE': 65001 } },
  }],
});

test('mails from the wild: code pages, entities, address groups and nameless attachments are read in the page', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await page.setInputFiles('#file-input', [
    { name: 'wild.eml', mimeType: 'message/rfc822', buffer: WILD_EML },
    { name: 'wild.msg', mimeType: 'application/vnd.ms-outlook', buffer: Buffer.from(WILD_MSG) },
  ]);
  await klaar(page);
  const s = await sessie(page);
  const [eml, msg] = s.docs.map(tekst);
  assert.equal(eml, [
    'Van: Jan de Vries <jan.devries@x.nl>', 'Aan: José Müller <jose@x.nl>', 'Onderwerp: Grüße van José',
    'Frösche groeten van Pieter Müller', 'Bijlage: bijlage', 'Notitie over Karel Dekker',
  ].join('\n'));
  assert.equal(s.docs[0].info, 'e-mail + 1 bijlage(n)');
  assert.equal(msg, [
    'Van: CMMA van Spelde (Kees)', 'Onderwerp: 日本語 Non Unicode タイトル', 'Émile Özdemir, Straße 5',
    'Bijlage: Verslag.msg', 'Onderwerp: Verslag', 'Génie Civil: don’t—ja',
  ].join('\n'));
  const cat = (value) => s.ents.find((e) => e.value === value)?.cat;
  assert.deepEqual(['Jan de Vries', 'José Müller', 'CMMA van Spelde', 'CMMA van Spelde (Kees)'].map(cat), ['PERSOON', 'PERSOON', 'PERSOON', 'PERSOON']);
  assert.deepEqual(problems, []);
});

test('a damaged .msg is refused with its Dutch message', async () => {
  const { page } = await openPage(omgeving.browser, omgeving.origin);
  await page.setInputFiles('#file-input', [{ name: 'kapot.msg', mimeType: 'application/octet-stream', buffer: Buffer.from('geen Outlook') }]);
  await klaar(page);
  await page.waitForFunction(() => document.getElementById('toast').textContent.includes('kapot.msg'));
  assert.match(await page.locator('#toast').textContent(), /kapot\.msg: geen geldig Outlook-bestand \(\.msg\)\./);
});
