// The Outlook message reader: the compound file, the properties, and the
// sample messages, on real files and on messages written by make-msg.js.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { leesCfb } from '../../../web/src/lezers/cfb.js';
import { leesMsg } from '../../../web/src/lezers/msg.js';
import { rtfNaarTekst } from '../../../web/src/lezers/rtf-tekst.js';
import { makeCfb, makeMsg } from './make-msg.js';

const SAMPLES = new URL('../../../../shared/fixtures/msg/', import.meta.url);
const sample = (name) => leesMsg(readFileSync(new URL(name, SAMPLES)));
const r = (naam, adres, soort = 1) => ({ naam, adres, soort });
const GEEN_MSG = { message: 'geen geldig Outlook-bestand (.msg).' };
const BESCHADIGD = { message: 'Outlook-bestand is beschadigd.' };
const latin = (s) => new Uint8Array(Buffer.from(s, 'latin1'));
const hex = (h) => new Uint8Array(Buffer.from(h, 'hex'));
const summary = (m) => ({ van: m.van, aan: m.aan, cc: m.cc, onderwerp: m.onderwerp, datum: m.datum, tekst: m.tekst });

test('real messages: senders, recipients, subject, date and body', () => {
  assert.deepEqual(summary(sample('test1.msg')), {
    van: [], aan: [r('to@example.com', 'to@example.com')], cc: [r('cc@example.com', 'cc@example.com', 2)],
    onderwerp: 'title', datum: '2019-03-05 07:22 UTC', tekst: 'body\n',
  });
  assert.deepEqual(summary(sample('nonUnicodeMail.msg')), {
    van: [], aan: [r('xmailuser2@xmailserver.test', 'xmailuser2@xmailserver.test')], cc: [],
    onderwerp: 'Non Unicode mail subject', datum: '2021-11-05 10:22 UTC', tekst: 'Non Unicode mail body!\n',
  });
  const files = sample('attachmentFiles.msg');
  assert.deepEqual([files.van, files.onderwerp, files.tekst], [[{ naam: 'hmailuser', adres: 'hmailuser@hmailserver.test' }], 'attachmentFiles', 'attachmentFiles\n\n']);
  assert.deepEqual(files.bijlagen.map((b) => [b.naam, b.type, b.data.length, b.inline]),
    [['jpg.jpg', 'image/jpeg', 726, false], ['png.png', 'image/png', 134, false], ['tif.tif', 'image/tiff', 664, false]]);
  assert.match(sample('unicode1.msg').tekst, /^The subject having “.+” text\.\n$/);
  const outer = sample('msgInMsg.msg');
  assert.deepEqual(outer.bijlagen.map((b) => [b.naam, b.type]),
    [['Microsoft Outlook テスト メッセージ.msg', 'application/vnd.ms-outlook'], ['green.png', '']]);
  assert.deepEqual(summary(outer.bijlagen[0].bericht), {
    van: [{ naam: 'Microsoft Outlook', adres: 'xmailuser@xmailserver.test' }], aan: [r('xmailuser', 'xmailuser@xmailserver.test')], cc: [],
    onderwerp: 'Microsoft Outlook テスト メッセージ', datum: '2020-05-12 05:45 UTC',
    tekst: 'この電子メール メッセージは、アカウントの設定のテスト中に、Microsoft Outlook から自動送信されたものです。 \n',
  });
  const attached = sample('attached-eml.msg');
  assert.deepEqual([attached.onderwerp, attached.bijlagen[0].naam, attached.bijlagen[0].bericht.tekst], ['Attach sample.eml', 'sample.eml (555 バイト).msg', 'sample\n\n']);
});

test('strings: Unicode wins, 8-bit ones decode with the message code page', () => {
  const cases = [
    [{ props: { '0037': 'Uni', '0037001E': latin('acht') } }, 'Uni'],
    [{ props: { '0037001E': latin('\x9a\0\0') } }, 'š'],
    [{ props: { '0037001E': latin('\x9a') }, fixed: { '3FFD': 1250 } }, 'š'],
    [{ props: { '0037001E': latin('\x8a') }, fixed: { '3FFD': 1252, '3FDE': 1250 } }, 'Š'],
    [{ props: { '0037001E': latin('\x8a') }, fixed: { '3FFD': 0, '3FDE': 1250 } }, 'Š'],
    [{ props: { '0037001E': latin('\xc3\xa9') }, fixed: { '3FDE': 65001 } }, 'é'],
    [{ props: { '0037001E': hex('93fa967b8cea204e6f6e20556e69636f646520835e83438367838b') }, fixed: { '3FFD': 932, '3FDE': 50220 } },
      '日本語 Non Unicode タイトル'],
    [{ props: { '0037001E': hex('c7d1b1b9beee') }, fixed: { '3FFD': 949 } }, '한국어'],
  ];
  for (const [message, onderwerp] of cases) assert.equal(leesMsg(makeMsg(message)).onderwerp, onderwerp);
  assert.equal(leesMsg(makeMsg({ props: { '0037001E': latin('\x9a') }, fixed: { '3FFD': 1250 } })).onderwerp, 'š');
});

test('recipients by kind; senders; dates', () => {
  const mail = leesMsg(makeMsg({
    props: { '0042': 'Namens', '0C1F': '/O=EXCHANGE/CN=X' },
    fixed: { '0039': { type: 0x40, laag: 0, hoog: 0 }, '0E06': { type: 0x40, laag: 0, hoog: 30000000 } },
    recipients: [
      { props: { 3001: 'Piet', '39FE': 'piet@x.nl', 3003: 'ander@x.nl' } },
      { props: { 3001: 'Kees', 3003: '/O=EXCHANGE/CN=KEES' }, fixed: { '0C15': 2 } },
      { props: { 3001: 'Geheim', 3003: 'bcc@x.nl' }, fixed: { '0C15': 3 } },
      { props: {}, fixed: { '0C15': 0 } },
    ],
  }));
  assert.deepEqual([mail.van, mail.aan, mail.cc, mail.datum], [
    [{ naam: 'Namens', adres: '' }], [r('Piet', 'piet@x.nl'), r('', '')], [r('Kees', '', 2)], '1601-01-01 00:00 UTC',
  ]);
  const dates = [
    [{ '0E06': { type: 0x40, laag: 0x29dd6380, hoog: 0x01d9a503 } }, '2023-06-22 12:14 UTC'],
    [{ '0039': { type: 0x03, laag: 1, hoog: 1 } }, ''],
  ];
  for (const [fixed, datum] of dates) assert.equal(leesMsg(makeMsg({ fixed })).datum, datum);
  assert.deepEqual(leesMsg(makeMsg({ props: { '5D01': 's@x.nl', '0C1A': 'Sanne' } })).van, [{ naam: 'Sanne', adres: 's@x.nl' }]);
});

test('attachments: names, inline images, embedded messages to four levels', () => {
  const png = new Uint8Array([0x89, 0x50, 0x4e, 0x47]);
  const nest = (levels) => (levels ? { props: { '0037': `niveau ${levels}` }, attachments: [{ props: { 3001: 'Door' }, message: nest(levels - 1) }] } : { props: { '0037': 'kern' } });
  const mail = leesMsg(makeMsg({
    attachments: [
      { props: { 3707: 'lang.pdf', 3704: 'KORT.PDF', '370E': 'application/pdf', 3712: 'cid' }, data: png },
      { props: { 3704: 'logo.png', '370E': 'image/png', 3712: 'logo@x' }, data: png },
      { props: { 3001: 'vlag.png', '370E': 'IMAGE/PNG' }, fixed: { 3714: 4 }, data: png },
      { props: { '370E': 'image/gif' }, fixed: { '7FFE': 1 }, data: png },
      { props: { 3001: 'object' } },
      { props: { 3707: 'Doorgestuurd.MSG' }, message: nest(4) },
    ],
  }));
  assert.deepEqual(mail.bijlagen.map((b) => [b.naam, b.type, b.inline, b.data?.length]), [
    ['lang.pdf', 'application/pdf', false, 4], ['logo.png', 'image/png', true, 4], ['vlag.png', 'IMAGE/PNG', true, 4],
    ['bijlage', 'image/gif', true, 4], ['Doorgestuurd.MSG', 'application/vnd.ms-outlook', false, undefined],
  ]);
  let level = mail.bijlagen[4].bericht;
  const subjects = [];
  while (level) {
    subjects.push(level.onderwerp);
    assert.ok(level.bijlagen.length === 0 || level.bijlagen[0].naam === 'Door.msg');
    level = level.bijlagen[0]?.bericht;
  }
  assert.deepEqual(subjects, ['niveau 4', 'niveau 3', 'niveau 2', 'niveau 1']);
});

// LZFu tokens that are all literals: a control byte 0 before every 8 bytes.
function lzfuLiterals(text) {
  const body = [];
  const bytes = [...Buffer.from(text, 'latin1')];
  for (let i = 0; i < bytes.length; i += 8) body.push(0, ...bytes.slice(i, i + 8));
  return header(body, bytes.length, 'LZFu');
}

function header(body, raw, type) {
  const out = new Uint8Array(16 + body.length);
  const dv = new DataView(out.buffer);
  dv.setUint32(0, body.length + 12, true);
  dv.setUint32(4, raw, true);
  out.set(Buffer.from(type, 'latin1'), 8);
  out.set(body, 16);
  return out;
}

test('the body: plain text, then HTML, then compressed RTF', () => {
  const rtf = '{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\generator x;}Beste \\u8364?, caf\\\'e9\\par tot {\\i ziens}\\~!}';
  const cases = [
    [{ '1000': 'Platte\r\ntekst\r', '10090102': lzfuLiterals(rtf) }, 'Platte\ntekst\n', false, false],
    [{ '10130102': latin('<p>caf\xe9</p>'), '1013': '<p>niet</p>' }, 'café', false, false],
    [{ '1013': '<p>HTML</p>' }, 'HTML', false, false],
    [{ '10090102': lzfuLiterals(rtf) }, 'Beste €, café\ntot ziens !', true, false],
    [{ '10090102': header([...Buffer.from('{\\rtf1 MELA tekst}')], 17, 'MELA') }, 'MELA tekst', true, false],
    [{ '10090102': header([1, 2, 3], 3, 'ABCD') }, '', false, true],
    [{ '10090102': header([], 0xffffffff, 'LZFu') }, '', false, true],
  ];
  for (const [props, tekst, rtfGebruikt, rtfZonderTekst] of cases) {
    const mail = leesMsg(makeMsg({ props }));
    assert.deepEqual([mail.tekst, mail.rtfGebruikt, mail.rtfZonderTekst], [tekst, rtfGebruikt, rtfZonderTekst], tekst);
  }
});

test('RTF: the code page the document names, and the characters its control words stand for', () => {
  const cases = [
    ["{\\rtf1\\ansi\\ansicpg1252 G\\'e9nie Civil}", 'utf-8', 'Génie Civil'],
    ["{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", 'windows-1252', 'Привет'],
    ["{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}", 'windows-1252', '日本'],
    ["{\\rtf1 caf\\'e9}", 'windows-1250', 'café'],
    ['{\\rtf1 don\\rquote t, \\lquote x\\rquote , \\ldblquote y\\rdblquote , Antichrist\\emdash I, 1\\endash 2, \\bullet  a\\~b, Smit\\_Jansen\\emspace Z}',
      'windows-1252', 'don’t, ‘x’, “y”, Antichrist—I, 1–2, • a b, Smit-Jansen Z'],
  ];
  for (const [rtf, cp, tekst] of cases) assert.equal(rtfNaarTekst(rtf, cp), tekst, rtf);
  const onlyRtf = leesMsg(makeMsg({ props: { '10090102': lzfuLiterals("{\\rtf1\\ansi\\ansicpg1252 G\\'e9nie Civil}") }, fixed: { '3FDE': 65001 } }));
  assert.equal(onlyRtf.tekst, 'Génie Civil');
});

test('the real compressed RTF of a sample unpacks and reads', () => {
  const cfb = leesCfb(readFileSync(new URL('test1.msg', SAMPLES)));
  const stream = cfb.kinderen(cfb.wortel).find((e) => e.naam === '__substg1.0_10090102');
  const mail = leesMsg(makeMsg({ props: { '10090102': cfb.inhoud(stream) } }));
  assert.deepEqual([mail.tekst, mail.rtfGebruikt], ['body', true]);
});

test('compound files: 4096-byte sectors, FAT sectors past 109, the mini stream cutoff', () => {
  const tree = (size) => ({ name: 'Root Entry', children: [{ name: 'klein', data: new Uint8Array(4095).fill(1) }, { name: 'groot', data: new Uint8Array(size).fill(2) }] });
  for (const [shift, size] of [[9, 4096], [12, 4096], [9, 8 * 1024 * 1024]]) {
    const cfb = leesCfb(makeCfb(tree(size), { shift }));
    const got = cfb.kinderen(cfb.wortel).map((e) => [e.naam, cfb.inhoud(e).length, cfb.inhoud(e).every((b) => b === (e.naam === 'klein' ? 1 : 2))]);
    assert.deepEqual(got, [['klein', 4095, true], ['groot', size, true]], `${shift} ${size}`);
  }
});

test('files that are no Outlook message, or a damaged one', () => {
  const root = makeMsg({ props: { '0037': 'x' } });
  const notRoot = root.slice();
  const dirSector = new DataView(root.buffer).getUint32(0x30, true);
  notRoot[(dirSector + 1) * 512 + 0x42] = 1;
  const shifted = root.slice();
  shifted[0x1e] = 40;
  const cases = [
    [new Uint8Array(511), GEEN_MSG],
    [root.slice(0, 511), GEEN_MSG],
    [latin(`PK\x03\x04${'x'.repeat(600)}`), GEEN_MSG],
    [notRoot, BESCHADIGD],
    [shifted, BESCHADIGD],
    [makeCfb({ name: 'Root Entry', children: [{ name: '__substg1.0_0037001F', children: [] }] }), BESCHADIGD],
    [makeCfb({ name: 'Root Entry', children: [{ name: '__attach_version1.0_#0', children: [{ name: '__substg1.0_3701000D', data: 'x' }] }] }), BESCHADIGD],
  ];
  for (const [bytes, error] of cases) assert.throws(() => leesMsg(bytes), error);
});

test('broken chains, trees and sizes end early instead of hanging', () => {
  const base = () => makeCfb({ name: 'Root Entry', children: [{ name: 'a', data: new Uint8Array(5000).fill(1) }, { name: 'b', data: 'klein' }] });
  const bytes = base();
  const dv = new DataView(bytes.buffer);
  const cfb = leesCfb(bytes);
  const [a] = cfb.kinderen(cfb.wortel);
  const fat = (n, value) => (b) => new DataView(b.buffer).setUint32(512 + 4 * n, value, true);
  const dirAt = (i, field) => (dv.getUint32(0x30, true) + 1) * 512 + 128 * i + field;
  const entry = (i, field, value) => (b) => new DataView(b.buffer).setUint32(dirAt(i, field), value, true);
  const cases = [
    ['loop', fat(a.start + 1, a.start), [1024, 5]],
    ['self', fat(a.start, a.start), [512, 5]],
    ['past the end', fat(a.start, 0x00ffffff), [512, 5]],
    ['claims 4 GB', entry(1, 0x78, 0xffffffff), [5000 + 120, 5]],
    ['mini stream larger than the file', entry(0, 0x78, 0xfffffff0), [5000, 5]],
    ['tree loops', entry(2, 0x44, 1), [5000, 5]],
    ['child is itself', entry(0, 0x4c, 0), [null, null]],
  ];
  for (const [name, patch, lengths] of cases) {
    const broken = base();
    patch(broken);
    const c = leesCfb(broken);
    const kids = c.kinderen(c.wortel);
    const got = ['a', 'b'].map((n) => { const e = kids.find((k) => k.naam === n); return e ? c.inhoud(e).length : null; });
    assert.deepEqual(got, lengths, name);
  }
});

test('storages that share their entries are refused rather than read over and over', () => {
  const bytes = makeMsg({ attachments: [0, 1, 2].map((i) => ({ props: { 3001: `a${i}` }, message: { props: { '0037': 'binnen' } } })) });
  const cfb = leesCfb(bytes);
  const attachment = cfb.kinderen(cfb.wortel).find((e) => e.naam.startsWith('__attach'));
  const embedded = cfb.kinderen(attachment).find((e) => e.naam === '__substg1.0_3701000D');
  // The embedded message holds the outer message's own entries, attachments included.
  const dirStart = new DataView(bytes.buffer).getUint32(0x30, true);
  new DataView(bytes.buffer).setUint32((dirStart + 1) * 512 + 128 * embedded.nummer + 0x4c, cfb.wortel.kind, true);
  assert.throws(() => leesMsg(bytes), BESCHADIGD);
});
