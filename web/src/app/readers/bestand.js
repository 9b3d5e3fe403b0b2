// Every file the user opens, and every mail attachment, enters here: the
// extension alone picks the reader, after the size limit.
import { leesBeeld } from './afbeelding.js';
import { leesDocx } from './docx.js';
import { leesMail } from './mail.js';
import { leesSheet } from './sheet.js';
import { leesPdf } from './pdf.js';
import { tekstBlokken } from './tekst.js';

const SIZE_LIMIT = 30 * 1024 * 1024;
const UTF8 = new TextDecoder('utf-8', { fatal: true });
// Windows-1252 differs from Latin-1 only in 0x80-0x9F. Spelled out here because
// not every host's TextDecoder makes that difference.
const CP1252_80_9F = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f'
  + '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';

function windows1252(buf) {
  const bytes = new Uint8Array(buf);
  const codes = new Uint16Array(bytes.length);
  for (let i = 0; i < bytes.length; i++) {
    const b = bytes[i];
    codes[i] = b >= 0x80 && b < 0xa0 ? CP1252_80_9F.charCodeAt(b - 0x80) : b;
  }
  let text = '';
  for (let i = 0; i < codes.length; i += 0x8000) text += String.fromCharCode(...codes.subarray(i, i + 0x8000));
  return text;
}

// Text and CSV files are UTF-8, but Dutch Windows programs (Excel's CSV export,
// older Notepad) still write Windows-1252: bytes that are no UTF-8 are read as
// that code page rather than turned into replacement characters.
function decodeerTekst(buf) {
  try {
    return UTF8.decode(buf);
  } catch {
    return windows1252(buf);
  }
}

function extensie(name) {
  return name.slice(name.lastIndexOf('.') + 1).toLowerCase();
}

function fail(message) {
  throw new Error(message);
}

function readWorkbook(data, type) {
  let wb;
  try {
    wb = globalThis.XLSX.read(data, { type });
  } catch (cause) {
    if (/password/i.test(cause?.message)) {
      throw new Error('Deze werkmap is beveiligd met een wachtwoord. Sla hem zonder wachtwoord op en probeer het opnieuw.', { cause });
    }
    throw new Error('Dit spreadsheet kon niet gelezen worden. Het bestand is beschadigd of heeft een onbekende indeling.', { cause });
  }
  return leesSheet(wb);
}

function readText(buf) {
  const blocks = tekstBlokken(decodeerTekst(buf));
  return { blocks, warn: [], info: `${blocks.length} alinea's` };
}

const image = (buf, file, ext) => leesBeeld(buf, ext);
const workbook = (buf) => readWorkbook(new Uint8Array(buf), 'array');
const mail = (buf, file, ext, diepte) => leesMail(buf, ext, diepte);

// Readers by extension; each gets the bytes, the file, the extension and the depth.
const READERS = {
  pdf: leesPdf,
  ...Object.fromEntries(['jpg', 'jpeg', 'png', 'bmp', 'webp', 'gif', 'tif', 'tiff'].map((ext) => [ext, image])),
  docx: leesDocx,
  xlsx: workbook,
  xlsm: workbook,
  xls: workbook,
  ods: workbook,
  csv: (buf) => readWorkbook(decodeerTekst(buf), 'string'),
  txt: readText,
  md: readText,
  eml: mail,
  msg: mail,
};

// Kinds refused with a text of their own rather than the general one.
const REFUSED = {
  doc: 'Oude Word-bestanden (.doc) worden niet ondersteund. Sla het op als .docx.',
};

export async function leesBestand(file, diepte) {
  const ext = extensie(file.name);
  if (file.size > SIZE_LIMIT) fail('Bestand is groter dan 30 MB.');
  if (Object.hasOwn(REFUSED, ext)) fail(REFUSED[ext]);
  if (!Object.hasOwn(READERS, ext)) fail(`Bestandstype .${ext} wordt niet ondersteund.`);
  return READERS[ext](await file.arrayBuffer(), file, ext, diepte ?? 0);
}
