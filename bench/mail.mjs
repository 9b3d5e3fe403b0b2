// Reads a 20 MB .eml (text, and a PDF attachment in base64), a 20 MB .msg
// (body, a text attachment, a PDF and an embedded message) and a newsletter
// (4 MB of HTML full of named references, 5000 recipients), all generated here,
// with the page's readers in Chromium, and prints the time to the read result.
// Run after `node scripts/build-web.mjs`. Goal: each under 2 seconds.
import { openReadersPage } from '../tests/browser/support/readers-page.js';
import { makeMsg } from '../tests/js/lezers-mail/make-msg.js';

const MB = 1024 * 1024;
const WORDS = ('de het een van en in op voor met aan bij naar over aangifte jaarrekening hypotheek bedrag euro ' +
  'Amsterdam Utrecht Jansen Bakker Visser Smit de Vries Dekker straat laan betaling factuur').split(' ');
let seed = 20240601;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
const text = (bytes) => {
  const words = [];
  for (let n = 0; n < bytes;) {
    const w = WORDS[Math.floor(random() * WORDS.length)];
    words.push(random() < 0.08 ? `${w}.\n\n` : w);
    n += w.length + 1;
  }
  return words.join(' ');
};
// Bytes that look like a PDF to the dispatcher; the PDF reader's own speed is measured elsewhere.
const pdf = (size) => {
  const bytes = new Uint8Array(size);
  for (let i = 0; i < size; i++) bytes[i] = Math.floor(random() * 256);
  bytes.set(new TextEncoder().encode('%PDF-1.4\n'));
  return bytes;
};

function eml() {
  const attachment = Buffer.from(pdf(14.5 * MB)).toString('base64').replace(/.{76}/g, '$&\r\n');
  return Buffer.from([
    'From: "Bakker, Els" <els@bakker.nl>', 'To: Kantoor Smit B.V. <info@smit.nl>', 'Subject: Stukken aangifte',
    'Content-Type: multipart/mixed; boundary="grens"', '', '--grens', 'Content-Type: text/plain; charset=utf-8', '',
    text(MB), '--grens', 'Content-Type: application/pdf; name="stukken.pdf"', 'Content-Transfer-Encoding: base64', '',
    attachment, '--grens--', '',
  ].join('\r\n'));
}

function msg() {
  return makeMsg({
    props: { '0037': 'Stukken aangifte', '0C1A': 'Els Bakker', '5D01': 'els@bakker.nl', 1000: text(2 * MB) },
    recipients: [{ props: { 3001: 'Kantoor Smit B.V.', '39FE': 'info@smit.nl' } }],
    attachments: [
      { props: { 3707: 'toelichting.txt' }, data: new TextEncoder().encode(text(4 * MB)) },
      { props: { 3707: 'stukken.pdf', '370E': 'application/pdf' }, data: pdf(9 * MB) },
      { props: { 3001: 'Eerder' }, message: { props: { '0037': 'Eerder', 1000: text(MB) } } },
    ],
  });
}

function newsletter() {
  const entities = ['&eacute;', '&Eacute;', '&nbsp;', '&amp;', '&szlig;', '&ntilde;', '&euro;', '&#8364;', '&rarr;'];
  const html = text(4 * MB).replace(/ /g, () => (random() < 0.2 ? entities[Math.floor(random() * entities.length)] : ' '))
    .replace(/\n\n/g, '</p>\n<p>');
  const to = Array.from({ length: 5000 }, (_, i) => `"Klant ${i}, A." <klant${i}@x.nl> (lijst)`).join(',\r\n ');
  return Buffer.from([
    'From: Nieuwsbrief <nb@kantoor.nl>', `To: Klanten:${to};`, 'Subject: =?utf-8?B?TmlldXdzYnJpZWYgasOp?= =?utf-8?B?w6k=?=',
    'Content-Type: text/html; charset=utf-8', '', `<p>${html}</p>`, '',
  ].join('\r\n'));
}

async function measure(readers, name, bytes) {
  readers.serve(name, bytes);
  const outcome = await readers.page.evaluate(async (n) => {
    const file = await window.testbestand(n);
    const start = performance.now();
    const result = await window.leesBestand(file);
    return { ms: performance.now() - start, blocks: result.blocks.length, info: result.info, warn: result.warn };
  }, name);
  console.log(`${name}: ${(bytes.length / MB).toFixed(1)} MB file, ${(outcome.ms / 1000).toFixed(2)} s, `
    + `${outcome.blocks} blocks, ${outcome.info}${outcome.warn.length ? `; ${outcome.warn.join(' ')}` : ''}`);
}

const readers = await openReadersPage();
try {
  for (let run = 0; run < 2; run++) {
    await measure(readers, 'stukken.eml', eml());
    await measure(readers, 'stukken.msg', msg());
    await measure(readers, 'nieuwsbrief.eml', newsletter());
  }
} finally {
  await readers.close();
}
