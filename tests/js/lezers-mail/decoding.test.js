// The text decoding that the mail readers share.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { adressen } from '../../../web/src/lezers/adressen.js';
import { codepage, decodeer, latin1, uitLatin1 } from '../../../web/src/lezers/charset.js';
import { htmlNaarTekst } from '../../../web/src/lezers/html-tekst.js';
import { kopDecoderen, parameters } from '../../../web/src/lezers/kop-decoderen.js';
import { base64, quotedPrintable } from '../../../web/src/lezers/transfer.js';

const b = (...bytes) => new Uint8Array(bytes);
const ascii = (s) => [...Buffer.from(s, 'latin1')];
const b64 = (s) => Buffer.from(s).toString('base64');

test('charset labels: trimmed, unquoted, aliases; unknown ones and ASCII as Windows-1252', () => {
  const cases = [
    [b(0xc3, 0xa9), undefined, 'é'],
    [b(0xc3, 0xa9), '', 'é'],
    [b(0x4d, 0xfc, 0x6c, 0x6c, 0x65, 0x72), undefined, 'Müller'],
    [b(0x93, 0xc3, 0xa9, 0x94), '', '“Ã©”'],
    [b(0xef, 0xbb, 0xbf, 0x41), ' "UTF-8" ', 'A'],
    [b(0x80, 0xe9), 'us-ascii', '€é'],
    [b(0x80, 0xe9), "'ISO-8859-1'", '€é'],
    [b(0x80, 0xe9), 'x-onbekend', '€é'],
    [b(0xa4), 'iso-8859-15', '€'],
    [b(0x9a), 'windows-1250', 'š'],
    [b(0xff, 0xfe, 0x41, 0x00), 'utf-16le', 'A'],
    [b(0xc3, 0x28), 'utf-8', '\ufffd('],
  ];
  for (const [bytes, charset, text] of cases) assert.equal(decodeer(bytes, charset), text, String(charset));
});

// The decoder must know each of them, in Node as in the browser.
test('Windows code pages decode as the Encoding Standard has them', () => {
  const hex = (h) => Uint8Array.from(Buffer.from(h, 'hex'));
  const cases = [
    [932, '93fa967b8cea204e6f6e20556e69636f646520835e83438367838b', '日本語 Non Unicode タイトル'],
    [936, 'd6d0cec4d3cabcfe', '中文邮件'], [949, 'c7d1b1b9beee', '한국어'], [950, 'a4a4a4e5b66ca5f3', '中文郵件'],
    [874, 'c0d2c9d2e4b7c2', 'ภาษาไทย'], [1250, 'a3f3649f', 'Łódź'], [1251, 'cff0e8e2e5f2', 'Привет'],
    [1253, 'c5ebebdce4e1', 'Ελλάδα'], [1258, 'd5', 'Ơ'], [20127, '80', '€'], [28591, 'e9', 'é'], [28592, 'a3f364bc', 'Łódź'],
    [28605, 'a4', '€'], [50220, '1b2442467c4b5c386c1b2842', '日本語'], [50222, '1b2442467c4b5c386c1b2842', '日本語'],
    [51932, 'c6fccbdcb8ec', '日本語'], [65001, 'c3a9', 'é'], [undefined, '80', '€'], [0, '80', '€'], [12345, '80', '€'],
  ];
  for (const [cp, bytes, text] of cases) assert.equal(decodeer(hex(bytes), codepage(cp)), text, String(cp));
});

test('byte strings hold one code unit per byte, also past one slice', () => {
  const bytes = Uint8Array.from({ length: 20000 }, (_, i) => i % 256);
  assert.deepEqual(uitLatin1(latin1(bytes)), bytes);
  assert.deepEqual(uitLatin1('\u20ac'), b(0xac));
});

test('base64 and quoted-printable are lenient', () => {
  const cases = [
    [base64('SGFsbG8='), ascii('Hallo')],
    [base64('SGFs\r\nbG8'), ascii('Hallo')],
    [base64('S G!F*s=b==G8'), ascii('Hallo')],
    [base64('SGFsbG8gx'), ascii('Hallo ')],
    [base64(''), []],
    [quotedPrintable('Caf=C3=A9 =\r\nen=\nbar=3d'), ascii('Caf\xc3\xa9 enbar=')],
    [quotedPrintable('a=ZZ b=4 c= \nd  \n'), ascii('a=ZZ b=4 c= \nd  \n')],
    [quotedPrintable('Caf=C=\r\n3=A=\n9 a==\n41'), ascii('Caf\xc3\xa9 aA')],
  ];
  for (const [got, bytes] of cases) assert.deepEqual([...got], bytes);
});

test('HTML to text keeps lines, items and cells', () => {
  const cases = [
    ['<p>Beste&nbsp;Piet,</p><p>Tot&nbsp;&nbsp;ziens</p>', 'Beste Piet,\nTot ziens'],
    ['<head><title>t</title><style>p{}</style></head><header>Kop</header><!-- weg\n -->tekst', 'Koptekst'],
    ['a<br>b<BR/>c<br />d<br class="x">e', 'a\nb\nc\nde'],
    ['<ul><li class="x">een</li><li>twee</ul>', '• een\n\n• twee'],
    ['<table><tr><td>Naam</td> <td>Plaats</td></tr><tr><th>Jan</th><th>Ede</th></tr></table>', 'Naam\tPlaats\nJan\tEde'],
    ['&lt;b&gt; &EACUTE; &#x20AC; &onbekend; &amp', '<b> é € &onbekend; &amp'],
    ['&Eacute;mile &Ouml;zdemir, Pe&ntilde;a, Stra&szlig;e, &Aring;se &acirc; &frac12;&nbsp;&rarr;', 'Émile Özdemir, Peña, Straße, Åse â ½ →'],
    ['<div>a</div>\r\n\r\n\r\n<div>b</div>', 'a\n\nb'],
    ['tekst <zonder einde', 'tekst <zonder einde'],
    ['<style>nooit gesloten', 'nooit gesloten'],
  ];
  for (const [html, text] of cases) assert.equal(htmlNaarTekst(html), text, html);
});

test('encoded words: B and Q, joined when adjacent, left as written when broken', () => {
  const cases = [
    ['=?utf-8?Q?Gr=C3=BCtzi?=', 'Grützi'],
    ['=?UTF-8?B?R3LDvHR6aQ==?= =?utf-8?q?_en_meer?=', 'Grützi en meer'],
    ['=?utf-8?Q?Jan?=\r\n =?utf-8?Q?sen?= bv', 'Jansen bv'],
    ['=?iso-8859-1*nl?Q?Jos=E9?=', 'José'],
    ['=?utf-8?B?Sm9zww==?= =?UTF-8?B?qSBN?=\r\n =?utf-8?Q?=C3?= =?utf-8?Q?=BCller?=', 'José Müller'],
    ['=?iso-8859-1?Q?Jos=E9?= =?utf-8?Q?_M=C3=BCller?= =?utf-8?Q?x?=', 'José Müllerx'],
    ['Re: =?utf-8?Q??= x', 'Re:  x'],
    ['=?utf-8?X?abc?= en =?utf-8?Q?open', '=?utf-8?X?abc?= en =?utf-8?Q?open'],
  ];
  for (const [value, text] of cases) assert.equal(kopDecoderen(value), text, value);
});

test('structured values with quoted and RFC 2231 parameters', () => {
  const cases = [
    ['Text/HTML; Charset="UTF-8"; format=flowed; junk', { _: 'text/html', charset: 'UTF-8', format: 'flowed' }],
    ['attachment; filename="a;b.pdf"', { _: 'attachment', filename: 'a;b.pdf' }],
    ["attachment; filename*0*=utf-8''Jos%C3%A9%20; filename*1*=de%20Wit.pdf; filename=oud.pdf",
      { _: 'attachment', filename: 'José de Wit.pdf' }],
    ["x; name*1=100%.pdf; name*0*=iso-8859-1'nl'caf%E9", { _: 'x', name: 'café100%.pdf' }],
    ['x; name="=?utf-8?Q?f=C3=A9e.pdf?="', { _: 'x', name: 'fée.pdf' }],
    ['attachment; filename="Jos\xc3\xa9 M\xc3\xbcller.pdf"', { _: 'attachment', filename: 'José Müller.pdf' }],
    ['attachment; filename="Caf\xe9.pdf"', { _: 'attachment', filename: 'Café.pdf' }],
    ['', { _: '' }],
  ];
  for (const [value, expected] of cases) assert.deepEqual({ ...parameters(value) }, expected, value);
});

test('address lists', () => {
  const a = (naam, adres) => ({ naam, adres });
  const cases = [
    ['Foo Bar <foo@x.nl>, info@x.nl', [a('Foo Bar', 'foo@x.nl'), a('', 'info@x.nl')]],
    ['"Jansen, Piet" <p@x.nl>', [a('Jansen, Piet', 'p@x.nl')]],
    ['Jansen, Piet <p@x.nl>', [a('Jansen', ''), a('Piet', 'p@x.nl')]],
    ['"A \\"B\\" C" <c@x.nl>,, <d@x.nl>', [a('A "B" C', 'c@x.nl'), a('', 'd@x.nl')]],
    ["'Kees' <k@x.nl>", [a('Kees', 'k@x.nl')]],
    ['', []],
    ['<open, "nooit dicht', [a('open', ''), a('nooit dicht', '')]],
    ['MAILER-DAEMON@messagingengine.com (Mail Delivery System)', [a('Mail Delivery System', 'MAILER-DAEMON@messagingengine.com')]],
    ['A Group:Chris Jones <c@a.test>,joe@where.test, John <jdoe@one.test>;, Undisclosed recipients:;',
      [a('Chris Jones', 'c@a.test'), a('', 'joe@where.test'), a('John', 'jdoe@one.test')]],
    ['Jan de Vries <jan@x.nl>"', [a('Jan de Vries', 'jan@x.nl')]],
    ['"Jan de Vries <jan@x.nl>', [a('Jan de Vries', 'jan@x.nl')]],
    ['Pete(A nice \\) chap) <pete(his account)@silly.test(his host)>', [a('Pete', 'pete@silly.test')]],
    ['"Jan" (werk) de   Vries <j@x.nl>, Anna anna@x.nl', [a('Jan de Vries', 'j@x.nl'), a('Anna', 'anna@x.nl')]],
    ['=?utf-8?Q?Jansen=2C_Jos=C3=A9?= <j@x.nl>, "=?utf-8?B?S2VlcyAoeik=?=" <k@x.nl>', [a('Jansen, José', 'j@x.nl'), a('Kees (z)', 'k@x.nl')]],
    ['(Jan (de) Vries) jan@x.nl, Kees <k@x.nl> <k2@x.nl>', [a('Jan (de) Vries', 'jan@x.nl'), a('Kees', 'k@x.nl'), a('', 'k2@x.nl')]],
    // Mailers that encode a whole mailbox, address and all.
    [`=?UTF-8?B?${b64('Xiomara Qwerty <xq@x.nl>')}?=`, [a('Xiomara Qwerty', 'xq@x.nl')]],
    [`=?UTF-8?B?${b64('"Vries, Jan de" <jan@x.nl>, Piet <p@x.nl>')}?=`, [a('Vries, Jan de', 'jan@x.nl'), a('Piet', 'p@x.nl')]],
    ['=?utf-8?Q?jan=40x.nl?=, kees@x.nl <>', [a('', 'jan@x.nl'), a('', 'kees@x.nl')]],
  ];
  for (const [value, expected] of cases) assert.deepEqual(adressen(value), expected, value);
});

// Quadratic work on these would run for hours: the timeout catches it.
test('long broken headers and markup are read without running away', { timeout: 60000 }, () => {
  const n = 2e6;
  adressen(`${'a'.repeat(n)}"`);
  adressen('<'.repeat(n));
  adressen('"\\'.repeat(n / 2));
  assert.deepEqual(adressen(`Jan${' '.repeat(n)}Piet`), [{ naam: 'Jan Piet', adres: '' }]);
  adressen('('.repeat(n));
  adressen(`${'=?a?q?'.repeat(n / 6)}`);
  htmlNaarTekst(`${'<li'.repeat(n / 3)}>${'\t'.repeat(n)}x`);
  kopDecoderen('=?'.repeat(n / 2));
  assert.deepEqual({ ...parameters(`a;${'"'.repeat(n)}`) }, { _: 'a' });
});
