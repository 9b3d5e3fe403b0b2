// The .eml reader on the real sample mails and on small mails of our own.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { leesEml } from '../../../web/src/lezers/eml.js';
import { leesMime } from '../../../web/src/lezers/mime.js';

const SAMPLES = new URL('../../../../shared/fixtures/eml/', import.meta.url);
const sample = (name) => leesEml(readFileSync(new URL(name, SAMPLES)));
const eml = (text) => leesEml(new Uint8Array(Buffer.from(text.replace(/\n/g, '\r\n'), 'latin1')));
const a = (naam, adres) => ({ naam, adres });
const names = (mail) => mail.bijlagen.map((b) => [b.naam, b.type, b.inline, b.data.length]);

test('real mails: senders, recipients, subject, date and a sentence of the body', () => {
  const cc = sample('cc.eml');
  assert.deepEqual([cc.van, cc.aan, cc.cc, cc.onderwerp, cc.datum], [
    [a('Foo Bar', 'foo.bar@example.com')],
    [a('Foo Bar', 'foo.bar@example.com'), a('', 'info@example.com')],
    [a('', 'foo@example.com'), a('Bar', 'bar@example.com')],
    'To and Cc headers', 'Sat, 12 Oct 2019 20:09:08 +0200',
  ]);
  const shop = sample('sample.eml');
  assert.deepEqual([shop.van, shop.aan, shop.onderwerp], [[a('Online Shop', 'no-reply@example.com')], [a('Foo Bar', 'foo.bar@example.com')], 'Winter promotions']);
  assert.match(shop.tekst, /^Lorem ipsum dolor sit amet, consectetur adipiscing elit\. Mauris enim orci,/);
  assert.deepEqual(names(shop), [['nodejs.png', 'image/png', true, 20269]]);
  const boot = sample('multipart.eml');
  assert.equal(boot.tekst, 'please see attached\n\n');
  assert.deepEqual(names(boot), [['tired_boot.FJ010019.jpeg', 'image/jpeg', false, 10442]]);
  assert.deepEqual([...boot.bijlagen[0].data.subarray(0, 3)], [0xff, 0xd8, 0xff]);
  const fwd = sample('mailparser-decoderended.eml');
  assert.deepEqual([fwd.van, fwd.onderwerp], [[a('wwuaof', 'booewq@uuui.com')], 'Fwd: fotos']);
  assert.match(fwd.tekst, /Note: forwarded message attached\./);
  assert.deepEqual(names(fwd), [['doorgestuurd bericht.eml', 'message/rfc822', false, 0]]);
  assert.equal(sample('mailparser-mixed.eml').tekst,
    '\nThis e-mail message has been scanned for Viruses and Content and cleared\n\n\nGood Morning;\n\n');
  assert.match(sample('mailparser-nested.eml').tekst, /Dear Sir,\n\nGood evening\.[\s\S]*The footer/);
  assert.deepEqual(names(sample('mailparser-base64encodedroot.eml')), [['screenshot.png', 'image/png', false, 425]]);
});

test('headers: the first occurrence counts, folded lines are joined, raw UTF-8 is read as such', () => {
  const mail = eml('Subject: =?utf-8?Q?Gr=C3=BCtzi?=\n =?utf-8?Q?_samen?=\nSubject: tweede\nFrom: Jos\xc3\xa9 <j@x.nl>\nTo: "de Wit,\n Anna" <a@x.nl>\n\nHallo\n');
  assert.deepEqual([mail.onderwerp, mail.van, mail.aan, mail.tekst], ['Grützi samen', [a('José', 'j@x.nl')], [a('de Wit, Anna', 'a@x.nl')], 'Hallo\n']);
  assert.equal(eml('From: Caf\xe9 <c@x.nl>\n\n').van[0].naam, 'Café');
});

test('the body: plain text wins, HTML when there is none, parts of a mixed mail joined', () => {
  const cases = [
    ['multipart/alternative', ['text/plain', 'Platte tekst'], ['text/html', '<p>HTML</p>'], 'Platte tekst'],
    ['multipart/alternative', ['text/html', '<ul><li>een<li>twee</ul>'], ['text/html', '<p>tweede</p>'], '• een\n• twee'],
    ['multipart/mixed', ['text/plain', 'Een'], ['text/plain; charset=iso-8859-1', 'Tw\xe9\xe9'], 'Een\n\nTwéé'],
    ['multipart/related', ['text/html', '<p>Een</p>'], ['text/html', '<p>Twee</p>'], 'Een\n\nTwee'],
  ];
  for (const [type, [t1, b1], [t2, b2], tekst] of cases) {
    const mail = eml(`Content-Type: ${type}; boundary="=_b"\n\npreamble\n--=_b\nContent-Type: ${t1}\n\n${b1}\n--=_b\nContent-Type: ${t2}\n\n${b2}\n--=_b--\nepilogue\n`);
    assert.equal(mail.tekst, tekst, type);
  }
});

test('8-bit text without a charset: UTF-8 when it is valid UTF-8, else Windows-1252', () => {
  const cases = [
    ['Content-Type: text/plain\nContent-Transfer-Encoding: 8bit\n\nFr\xf6sche M\xfcller \x80', 'Frösche Müller €'],
    ['\n\nJos\xc3\xa9 M\xc3\xbcller', 'José Müller'],
    ['Content-Type: text/html\n\n<p>Caf\xe9</p>', 'Café'],
    ['Content-Type: text/plain; charset=utf-8\n\nM\xfcller', 'M\ufffdller'],
  ];
  for (const [text, tekst] of cases) assert.equal(eml(text).tekst, tekst, text);
});

test('a body part without headers keeps its first paragraph', () => {
  const mail = eml('Content-Type: multipart/mixed; boundary=b\n\n--b\n\nEerste alinea: Jan de Vries\n\nTweede\n--b\n\nDerde\n--b--\n');
  assert.equal(mail.tekst, 'Eerste alinea: Jan de Vries\n\nTweede\n\nDerde');
});

test('address headers: comments, groups, stray quotes; encoded words decoded per name', () => {
  const mail = eml([
    'From: MAILER-DAEMON@messagingengine.com (Mail Delivery System)',
    'To: A Group:Chris Jones <c@a.test>,joe@where.test;, Undisclosed recipients:;',
    'Cc: =?utf-8?Q?Jansen=2C_Jos=C3=A9?= <j@x.nl>, Kees <k@x.nl>"',
    '', '',
  ].join('\n'));
  assert.deepEqual([mail.van, mail.aan, mail.cc], [
    [a('Mail Delivery System', 'MAILER-DAEMON@messagingengine.com')],
    [a('Chris Jones', 'c@a.test'), a('', 'joe@where.test')],
    [a('Jansen, José', 'j@x.nl'), a('Kees', 'k@x.nl')],
  ]);
});

test('which leaves are attachments', () => {
  const part = (headers, body = 'x') => `--b\n${headers.join('\n')}\n\n${body}\n`;
  const mail = eml(`Content-Type: multipart/mixed; boundary=b\n\n${[
    part(['Content-Type: application/pdf; name="factuur.pdf"', 'Content-Transfer-Encoding: base64'], 'JVBERi0='),
    part(['Content-Type: text/plain; name="notitie.txt"', 'Content-Disposition: inline'], 'Body text'),
    part(['Content-Type: text/plain', 'Content-Disposition: attachment'], 'los'),
    part(['Content-Type: image/png; name=logo.png', 'Content-ID: <logo@x>', 'Content-Transfer-Encoding: base64'], 'iVBO'),
    part(['Content-Type: image/gif'], 'GIF89a'),
    part(['Content-Type: message/rfc822'], 'Subject: binnen\n\nDoorgestuurd'),
    part(['Content-Type: message/rfc822; name=oud.eml', 'Content-Disposition: attachment']),
    part(['Content-Type: application/octet-stream', "Content-Disposition: attachment; filename*=utf-8''%C3%A9.bin"], '=41'),
  ].join('')}--b--\n`);
  assert.equal(mail.tekst, 'Body text');
  assert.deepEqual(names(mail), [
    ['factuur.pdf', 'application/pdf', false, 5],
    ['bijlage', 'text/plain', false, 3],
    ['logo.png', 'image/png', true, 3],
    ['doorgestuurd bericht.eml', 'message/rfc822', false, 31],
    ['oud.eml', 'message/rfc822', false, 1],
    ['é.bin', 'application/octet-stream', false, 3],
  ]);
});

test('multiparts deeper than eight levels are read as leaves', () => {
  const nest = (levels) => {
    let body = 'Content-Type: text/plain\n\nkern';
    for (let i = 0; i < levels; i++) body = `Content-Type: multipart/mixed; boundary=b${i}\n\n--b${i}\n${body}\n--b${i}--`;
    return body;
  };
  assert.equal(eml(nest(8)).tekst, 'kern');
  assert.equal(eml(nest(9)).tekst, '');
  assert.equal(leesMime(nest(9), 0).bijlagen.length, 0);
});

test('broken mails give what can be read', () => {
  const cases = [
    ['', ''],
    ['geen kop', ''],
    ['Subject: x\n\n\xff\xfe tekst', '\xff\xfe tekst'],
    ['Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nnooit gesloten', 'nooit gesloten'],
    ['Content-Type: multipart/mixed\n\nzonder boundary', ''],
    ['Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n!!!', ''],
  ];
  for (const [text, tekst] of cases) assert.equal(eml(text).tekst, tekst, text);
});

test('huge inputs: deep nesting, a 50 MB header line, a 20 MB base64 body', () => {
  let nested = 'Content-Type: text/plain\n\nkern';
  for (let i = 0; i < 10000; i++) nested = `Content-Type: multipart/mixed; boundary=b${i}\n\n--b${i}\n${nested}\n--b${i}--`;
  assert.equal(eml(nested).tekst, '');
  const long = eml(`X-Lang: ${'a'.repeat(50 * 1024 * 1024)}\nSubject: na\n\nrest`);
  assert.deepEqual([long.onderwerp, long.tekst], ['na', 'rest']);
  const pdf = Buffer.alloc(15 * 1024 * 1024, 7).toString('base64').replace(/.{76}/g, '$&\r\n');
  const big = eml(`Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: application/pdf; name=a.pdf\nContent-Transfer-Encoding: base64\n\n${pdf}\n--b--\n`);
  assert.equal(big.bijlagen[0].data.length, 15 * 1024 * 1024);
});
