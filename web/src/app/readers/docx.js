// A Word document: the body through mammoth's HTML, headers, footers and
// comments through the library-free readers.
import { L } from '../globals.js';
import { append } from './append.js';

const LEVELS = { H1: 1, H2: 2, H3: 3, H4: 4, H5: 5, H6: 6 };
const LISTS = new Set(['UL', 'OL']);
// Inside a cell or item, blocks after the first start a new line and cells of a
// nested table stay apart, so that their words do not run together.
const SEPARATORS = [
  [':is(td, th, li) :is(p, h1, h2, h3, h4, h5, h6, ul, ol, li, table, tr)', '\n'],
  [':is(td, th) :is(td, th)', ' '],
];

// mammoth ends every footnote and endnote with a link back to its reference.
const BACK_LINKS = 'a[href^="#footnote-ref-"], a[href^="#endnote-ref-"]';
const OLE_MAGIC = [0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1];
// The stream name, in UTF-16, that an encrypted Office document keeps its content under.
const ENCRYPTED_PACKAGE = [...'EncryptedPackage'].flatMap((c) => [c.charCodeAt(0), 0]);
const PASSWORD_ERROR = 'Dit Word-document is beveiligd met een wachtwoord. Sla het zonder wachtwoord op en probeer het opnieuw.';
const TOO_LARGE_ERROR = 'Dit Word-document pakt uit tot meer dan 64 MB per onderdeel of 128 MB in totaal en wordt daarom niet gelezen.';
const DAMAGED_ERROR = 'Dit Word-document kon niet gelezen worden. Het bestand is beschadigd of geen geldig .docx-bestand.';

const EXTRA_WARNING = 'Kop- en voetteksten en opmerkingen konden niet gelezen worden.';
const LEFT_OUT_WARNING = 'Tekstvakken en afbeeldingen uit Word worden niet meegenomen.';

function textOf(el) {
  return el.textContent.replace(/[ \t]+/g, ' ').trim();
}

function holds(bytes, needle) {
  outer: for (let i = 0; i + needle.length <= bytes.length; i++) {
    for (let k = 0; k < needle.length; k++) if (bytes[i + k] !== needle[k]) continue outer;
    return true;
  }
  return false;
}

// The parts that are read are XML; media and embedded files are not.
const READ_PART = /\.(?:xml|rels)$/i;

// Checked before the body is converted: a password-protected document is an
// encrypted container, not a ZIP; and what the parts that are read unpack to is
// capped. A part whose sizes lie is refused too, as the conversion would unpack
// it whole before it noticed. Other damage is left to the conversion, which
// names it, or to the extras, which warn. Media are never unpacked, here or by
// the conversion.
async function checkContainer(buf) {
  const bytes = new Uint8Array(buf);
  if (OLE_MAGIC.every((b, i) => bytes[i] === b)) {
    if (holds(bytes, ENCRYPTED_PACKAGE)) throw new Error(PASSWORD_ERROR);
    return;
  }
  try {
    await L().zipBestanden(bytes, (name) => READ_PART.test(name));
  } catch (cause) {
    if (cause?.code === 'ZIP_TE_GROOT') throw new Error(TOO_LARGE_ERROR, { cause });
    if (cause?.code === 'ZIP_BESCHADIGD') throw new Error(DAMAGED_ERROR, { cause });
  }
}

// Images are left out of the text, so their bytes are never read.
const NO_IMAGE = () => globalThis.mammoth.images.imgElement(() => ({ src: '' }));

async function bodyHtml(buf) {
  try {
    return (await globalThis.mammoth.convertToHtml({ arrayBuffer: buf }, { convertImage: NO_IMAGE() })).value;
  } catch (cause) {
    throw new Error(DAMAGED_ERROR, { cause });
  }
}

function parseBody(html) {
  const doc = new globalThis.DOMParser().parseFromString(html, 'text/html');
  for (const br of doc.querySelectorAll('br')) br.replaceWith('\n');
  for (const link of doc.querySelectorAll(BACK_LINKS)) link.remove();
  for (const [selector, separator] of SEPARATORS) {
    for (const el of doc.querySelectorAll(selector)) if (el.previousElementSibling) el.before(separator);
  }
  return doc.body;
}

// Each item of a list, nested lists after their item as items of their own.
function listItems(list, blocks) {
  const ordered = list.tagName === 'OL';
  for (const item of list.children) {
    const inner = [...item.children].filter((child) => LISTS.has(child.tagName));
    const own = item.cloneNode(true);
    for (const child of [...own.children]) if (LISTS.has(child.tagName)) child.remove();
    const text = textOf(own);
    if (text || inner.length === 0) blocks.push({ t: 'li', text, ordered });
    for (const child of inner) listItems(child, blocks);
  }
}

function bodyBlocks(body) {
  const blocks = [];
  for (const el of body.children) {
    if (el.tagName in LEVELS) blocks.push({ t: 'h', level: LEVELS[el.tagName], text: textOf(el) });
    else if (LISTS.has(el.tagName)) listItems(el, blocks);
    else if (el.tagName === 'TABLE') {
      blocks.push({ t: 'table', rows: [...el.rows].map((row) => [...row.cells].map(textOf)) });
    } else {
      const text = textOf(el);
      if (text) blocks.push({ t: 'p', text });
    }
  }
  return blocks;
}

function addExtras(result, extra) {
  const line = (text) => ({ t: 'p', text, line: true });
  const heading = (text) => ({ t: 'h', level: 3, text });
  const found = [];
  if (extra.kop.length) {
    // Spread into an array, not into a call: a header may hold more lines than a call takes.
    result.blocks = [heading('Koptekst'), ...extra.kop.map(line), heading('Document'), ...result.blocks];
    found.push('koptekst');
  }
  if (extra.voet.length) {
    result.blocks.push(heading('Voettekst'));
    append(result.blocks, extra.voet.map(line));
    found.push('voettekst');
  }
  if (extra.opmerkingen.length) {
    result.blocks.push(heading('Opmerkingen'));
    for (const { auteur, tekst } of extra.opmerkingen) {
      result.blocks.push({ t: 'p', text: auteur ? `${auteur}: ${tekst}` : tekst });
      if (auteur) result.bekend.push({ cat: 'PERSOON', value: auteur });
    }
    found.push(`${extra.opmerkingen.length} opmerking(en)`);
  }
  if (found.length) result.info += ` + ${found.join(', ')}`;
}

export async function leesDocx(buf) {
  await checkContainer(buf);
  const blocks = bodyBlocks(parseBody(await bodyHtml(buf)));
  const result = { blocks, warn: [], info: `${blocks.length} alinea's/tabellen`, bekend: [] };
  try {
    addExtras(result, await L().docxExtra(new Uint8Array(buf)));
  } catch (err) {
    console.error(err);
    result.warn.push(EXTRA_WARNING);
  }
  result.warn.push(LEFT_OUT_WARNING);
  return result;
}
