// leesMail: header lines, known hits and attachments of a parsed mail.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import '../../../web/src/lezers/lezers.js';
import { leesBestand } from '../../../web/src/app/readers/bestand.js';
import { leesMail } from '../../../web/src/app/readers/mail.js';
import { makeMsg } from './make-msg.js';

const line = (text) => ({ t: 'p', text, line: true });
const p = (text) => ({ t: 'p', text });
const h3 = (text) => ({ t: 'h', level: 3, text });
const bytes = (text) => new Uint8Array(Buffer.from(text));
const mail = (fields) => ({ van: [], aan: [], cc: [], onderwerp: '', datum: '', tekst: '', bijlagen: [], ...fields });
const file = (naam, data, extra) => ({ naam, type: 'text/plain', data: typeof data === 'string' ? bytes(data) : data, inline: false, ...extra });

test('header lines and known hits of the addresses', async () => {
  const result = await leesMail(mail({
    van: [{ naam: '"Jansen, Piet"', adres: 'piet@jansen.nl' }],
    aan: [{ naam: 'Bakker, Accountants B.V.', adres: '' }, { naam: 'Stichting Hulp, Zorg', adres: 'info@hulp.nl' }, { naam: '', adres: 'los@x.nl' }],
    cc: [{ naam: 'kees@x.nl', adres: 'kees@x.nl' }, { naam: '', adres: '' }],
    datum: 'Wed, 29 Jan 2014 11:10:06 +0100',
    onderwerp: 'Aangifte 2023',
    tekst: 'Beste Piet,\n\nZie bijlage.\nGroet',
  }), 'eml', 0, leesBestand);
  assert.deepEqual(result, {
    blocks: [
      line('Van: Piet Jansen <piet@jansen.nl>'),
      line('Aan: Bakker, Accountants B.V., Zorg Stichting Hulp <info@hulp.nl>, <los@x.nl>'),
      line('Cc: kees@x.nl <kees@x.nl>, '),
      line('Datum: Wed, 29 Jan 2014 11:10:06 +0100'),
      line('Onderwerp: Aangifte 2023'),
      p('Beste Piet,'), p('Zie bijlage.\nGroet'),
    ],
    warn: [],
    info: 'e-mail',
    bekend: [
      { cat: 'PERSOON', value: 'Piet Jansen' }, { cat: 'EMAIL', value: 'piet@jansen.nl' },
      { cat: 'BEDRIJF', value: 'Bakker, Accountants B.V.' },
      { cat: 'BEDRIJF', value: 'Zorg Stichting Hulp' }, { cat: 'EMAIL', value: 'info@hulp.nl' },
      { cat: 'EMAIL', value: 'los@x.nl' }, { cat: 'EMAIL', value: 'kees@x.nl' },
    ],
  });
  assert.deepEqual((await leesMail(mail({}), 'eml', 0, leesBestand)).blocks, []);
});

// The header line must hold nothing that no known hit covers: the name with its
// note is known as it is shown, the name alone for where it is written without.
test('directory names: particles after the surname move in front, a note at the end follows the name', async () => {
  const result = await leesMail(mail({
    van: [{ naam: 'Spelde van, CMMA (Kees)', adres: 'kees@x.nl' }],
    aan: [{ naam: 'Berg van den, Anna', adres: '' }, { naam: 'Jan de Vries (Belastingdienst)', adres: '' }, { naam: '(Kees)', adres: '' }],
  }), 'msg', 0);
  assert.deepEqual(result.blocks.map((b) => b.text), [
    'Van: CMMA van Spelde (Kees) <kees@x.nl>',
    'Aan: Anna van den Berg, Jan de Vries (Belastingdienst), (Kees)',
  ]);
  assert.deepEqual(result.bekend, [
    { cat: 'PERSOON', value: 'CMMA van Spelde' }, { cat: 'PERSOON', value: 'CMMA van Spelde (Kees)' }, { cat: 'EMAIL', value: 'kees@x.nl' },
    { cat: 'PERSOON', value: 'Anna van den Berg' },
    { cat: 'PERSOON', value: 'Jan de Vries' }, { cat: 'PERSOON', value: 'Jan de Vries (Belastingdienst)' },
    { cat: 'PERSOON', value: '(Kees)' },
  ]);
});

// Quadratic work on these takes minutes: the timeout catches it.
test('long display names are read without running away', { timeout: 30000 }, async () => {
  const n = 4e5;
  const names = [`Spelde${' van'.repeat(n / 4)}1, Kees`, `Jan${' '.repeat(n)}Piet`, `Jan ${'(x'.repeat(n / 2)})`];
  const result = await leesMail(mail({ van: names.map((naam) => ({ naam, adres: '' })) }), 'msg', 0);
  assert.equal(result.bekend.length, 4);
});

test('attachments: read, skipped, refused, each after its heading', async () => {
  const result = await leesMail(mail({
    bijlagen: [
      file('notitie.txt', 'Eerste regel\n\nTweede'),
      file('logo.png', new Uint8Array(29999), { inline: true }),
      file('bijlage', 'x', { type: 'application/octet-stream' }),
      file('oud.doc', 'x'),
      file('kopie.eml', 'Subject: binnen\r\nFrom: Anna <anna@x.nl>\r\n\r\nDoorgestuurd'),
      file('BREED.TXT', new Uint8Array(30000).fill(0x41), { inline: true }),
    ],
  }), 'eml', 0, leesBestand);
  assert.deepEqual(result.blocks, [
    h3('Bijlage: notitie.txt'), p('Eerste regel'), p('Tweede'),
    h3('Bijlage: bijlage'), h3('Bijlage: oud.doc'),
    h3('Bijlage: kopie.eml'), line('Van: Anna <anna@x.nl>'), line('Onderwerp: binnen'), p('Doorgestuurd'),
    h3('Bijlage: BREED.TXT'), p('A'.repeat(30000)),
  ]);
  assert.deepEqual(result.warn, [
    'Bijlage "bijlage" niet gelezen (bestandstype niet ondersteund).',
    'Bijlage "oud.doc" niet gelezen (bestandstype niet ondersteund).',
  ]);
  assert.equal(result.info, 'e-mail + 3 bijlage(n)');
  assert.deepEqual(result.bekend, [{ cat: 'PERSOON', value: 'Anna' }, { cat: 'EMAIL', value: 'anna@x.nl' }]);
  const tooBig = await leesMail(mail({ bijlagen: [file('groot.txt', new Uint8Array(31457281))] }), 'eml', 0, leesBestand);
  assert.deepEqual(tooBig.warn, ['Bijlage "groot.txt" kon niet gelezen worden: Bestand is groter dan 30 MB.']);
});

test('a long body and a long attachment are read whole', async () => {
  const paragraphs = 'x\n\n'.repeat(200000);
  const result = await leesMail(mail({ tekst: paragraphs, bijlagen: [file('lang.txt', paragraphs)] }), 'eml', 0, leesBestand);
  assert.equal(result.blocks.length, 400001);
  assert.equal(result.info, 'e-mail + 1 bijlage(n)');
});

test('attachments without a usable name are read as their media type says', async () => {
  const result = await leesMail(mail({
    bijlagen: [
      file('bijlage', 'Notitie over Karel Dekker'),
      file('Re: vraag nr. 12', 'Subject: binnen\r\n\r\nDoorgestuurd', { type: 'Message/RFC822' }),
      file('bijlage', 'x', { type: 'text/html' }),
    ],
  }), 'eml', 0, leesBestand);
  assert.deepEqual(result.blocks, [
    h3('Bijlage: bijlage'), p('Notitie over Karel Dekker'),
    h3('Bijlage: Re: vraag nr. 12'), line('Onderwerp: binnen'), p('Doorgestuurd'), h3('Bijlage: bijlage'),
  ]);
  assert.deepEqual(result.warn, ['Bijlage "bijlage" niet gelezen (bestandstype niet ondersteund).']);
});

test('mails attached in mails: files are read down to level 2, messages at any level', async () => {
  let eml = 'Subject: kern\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Disposition: attachment; filename=a.txt\r\n\r\nbestand\r\n--b--\r\n';
  for (let level = 3; level >= 1; level--) {
    eml = `Subject: niveau ${level}\r\nContent-Type: multipart/mixed; boundary=b${level}\r\n\r\n--b${level}\r\n`
      + `Content-Type: application/octet-stream; name=n${level}.eml\r\n\r\n${eml}\r\n--b${level}--\r\n`;
  }
  const result = await leesBestand(new File([eml], 'top.eml'));
  assert.deepEqual(result.blocks.map((b) => b.text), [
    'Onderwerp: niveau 1', 'Bijlage: n1.eml', 'Onderwerp: niveau 2', 'Bijlage: n2.eml', 'Onderwerp: niveau 3',
    'Bijlage: n3.eml', 'Onderwerp: kern', 'Bijlage: a.txt',
  ]);
  assert.deepEqual(result.warn, ['n1.eml: n2.eml: n3.eml: Bijlage "a.txt" niet gelezen (bestandstype niet ondersteund).']);
});

test('Outlook messages: embedded ones, RTF warnings, damaged files', async () => {
  const msg = makeMsg({
    props: { '0037': 'Buiten', '0C1A': 'De Vries, Jan', '5D01': 'jan@vries.nl' },
    attachments: [
      { props: { 3001: 'Binnen' }, message: { props: { '0037': 'Binnen', '10090102': new Uint8Array([1]) } } },
      { props: { 3707: 'kapot.msg' }, data: bytes('geen msg') },
    ],
  });
  const result = await leesBestand(new File([msg], 'bericht.msg'));
  assert.deepEqual(result.blocks, [
    line('Van: Jan De Vries <jan@vries.nl>'), line('Onderwerp: Buiten'),
    h3('Bijlage: Binnen.msg'), line('Onderwerp: Binnen'), h3('Bijlage: kapot.msg'),
  ]);
  assert.deepEqual(result.warn, [
    'Binnen.msg: Deze mail bevat alleen RTF-opmaak die niet gelezen kon worden. Sla hem op als .eml of kopieer de tekst.',
    'Bijlage "kapot.msg" kon niet gelezen worden: geen geldig Outlook-bestand (.msg).',
  ]);
  assert.equal(result.info, 'e-mail + 1 bijlage(n)');
  const rtf = await leesMail(mail({ tekst: 'uit rtf', rtfGebruikt: true }), 'msg', 0, leesBestand);
  assert.deepEqual(rtf.warn, ['De mailtekst is gelezen uit de RTF-opmaak; controleer of alles meekwam.']);
  await assert.rejects(leesBestand(new File(['geen msg'], 'x.msg')), { message: 'geen geldig Outlook-bestand (.msg).' });
});
