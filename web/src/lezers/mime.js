// The MIME tree of a mail, cut as a byte string: headers, multipart bodies and
// leaves, with text decoded only at the leaves.
import { decodeer, latin1, uitLatin1 } from './charset.js';
import { parameters } from './kop-decoderen.js';
import { base64, quotedPrintable } from './transfer.js';

// Deeper multiparts are read as leaves, so a crafted nesting cannot run away.
const MAX_DEPTH = 8;
const HEADER_END = /\r?\n\r?\n/;
const NO_HEADERS = /^\r?\n/;
const FORWARDED = 'doorgestuurd bericht.eml';

export function leesKoppen(blok) {
  const koppen = Object.create(null);
  for (const line of blok.replace(/\r?\n[ \t]+/g, ' ').split(/\r?\n/)) {
    const colon = line.indexOf(':');
    if (colon <= 0) continue;
    const name = line.slice(0, colon).trim().toLowerCase();
    if (!(name in koppen)) koppen[name] = line.slice(colon + 1).trim();
  }
  return koppen;
}

export function deelInhoud(koppen, lijf) {
  const encoding = (koppen['content-transfer-encoding'] || '').toLowerCase();
  if (encoding.includes('base64')) return base64(lijf);
  if (encoding.includes('quoted-printable')) return quotedPrintable(lijf);
  return uitLatin1(lijf);
}

// The length of a line break at `i` (LF or CRLF), 0 when there is none.
function lineBreak(s, i) {
  if (s[i] === '\n') return 1;
  return s[i] === '\r' && s[i + 1] === '\n' ? 2 : 0;
}

// Where a delimiter found at `at` ends: after "--", blanks and tabs, and a line
// break or the end of the body; -1 when something else follows.
function delimiterEnd(body, at) {
  let i = at;
  if (body.startsWith('--', i)) i += 2;
  while (body[i] === ' ' || body[i] === '\t') i++;
  if (i === body.length) return i;
  const br = lineBreak(body, i);
  return br ? i + br : -1;
}

// The pieces between delimiters; an optional CR and LF before one belong to it.
function splitAtDelimiters(body, delimiter) {
  const pieces = [];
  let start = 0;
  for (let at = body.indexOf(delimiter); at >= 0; at = body.indexOf(delimiter, at + 1)) {
    const end = delimiterEnd(body, at + delimiter.length);
    if (end < 0) continue;
    let cut = at;
    if (cut > start && body[cut - 1] === '\n') cut--;
    if (cut > start && body[cut - 1] === '\r') cut--;
    pieces.push(body.slice(start, cut));
    start = end;
    at = end - 1;
  }
  pieces.push(body.slice(start));
  return pieces;
}

function multipart(koppen, type, body, diepte) {
  const parts = splitAtDelimiters(body, `--${type.boundary}`).slice(1)
    .filter((piece) => piece.trim() !== '')
    .map((piece) => leesMime(piece, diepte + 1));
  const texts = parts.map((p) => p.tekst).filter(Boolean);
  const htmls = parts.map((p) => p.html).filter(Boolean);
  const alternative = type._ === 'multipart/alternative';
  return {
    koppen,
    tekst: alternative ? texts[0] ?? '' : texts.join('\n\n'),
    html: alternative ? htmls[0] ?? '' : htmls.join('\n'),
    bijlagen: parts.flatMap((p) => p.bijlagen),
  };
}

function leaf(koppen, type, disposition, body) {
  const part = { koppen, tekst: '', html: '', bijlagen: [] };
  const data = deelInhoud(koppen, body);
  const naam = disposition.filename || type.name || '';
  const attachment = disposition._ === 'attachment' || (naam !== '' && type._ !== 'text/plain' && type._ !== 'text/html');
  if (attachment) {
    part.bijlagen.push({ naam: naam || 'bijlage', type: type._, data, inline: disposition._ === 'inline' || !!koppen['content-id'] });
  } else if (type._ === 'message/rfc822') {
    part.bijlagen.push({ naam: FORWARDED, type: 'message/rfc822', data, inline: false });
  } else if (type._ === 'text/html') {
    part.html = decodeer(data, type.charset);
  } else if (type._.startsWith('text/')) {
    part.tekst = decodeer(data, type.charset);
  }
  return part;
}

export function leesMime(bron, diepte) {
  const s = typeof bron === 'string' ? bron : latin1(bron);
  // A body part without headers starts with the empty line that ends them.
  const cut = (diepte > 0 && NO_HEADERS.exec(s)) || HEADER_END.exec(s);
  const koppen = leesKoppen(cut ? s.slice(0, cut.index) : s);
  const body = cut ? s.slice(cut.index + cut[0].length) : '';
  const type = parameters(koppen['content-type'] ?? 'text/plain');
  const disposition = parameters(koppen['content-disposition'] ?? '');
  if (type._.startsWith('multipart/') && type.boundary && diepte < MAX_DEPTH) return multipart(koppen, type, body, diepte);
  return leaf(koppen, type, disposition, body);
}
