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

test('a damaged .msg is refused with its Dutch message', async () => {
  const { page } = await openPage(omgeving.browser, omgeving.origin);
  await page.setInputFiles('#file-input', [{ name: 'kapot.msg', mimeType: 'application/octet-stream', buffer: Buffer.from('geen Outlook') }]);
  await klaar(page);
  await page.waitForFunction(() => document.getElementById('toast').textContent.includes('kapot.msg'));
  assert.match(await page.locator('#toast').textContent(), /kapot\.msg: geen geldig Outlook-bestand \(\.msg\)\./);
});
