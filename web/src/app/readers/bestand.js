// Every file the user opens, and every mail attachment, enters here: the
// extension alone picks the reader, after the size limit.
import { leesBeeld } from './afbeelding.js';
import { leesDocx } from './docx.js';
import { leesMail } from './mail.js';
import { leesPdf } from './pdf.js';
import { LEES_OPTIES, csvBereik, leesSheet } from './sheet.js';
import { decodeerTekst, tekstBlokken } from './tekst.js';
import { leesWerkmap } from './werkmap.js';

const SIZE_LIMIT = 30 * 1024 * 1024;

function extensie(name) {
  return name.slice(name.lastIndexOf('.') + 1).toLowerCase();
}

function fail(message) {
  throw new Error(message);
}

async function readWorkbook(data, type) {
  const wb = await leesWerkmap(data, type, LEES_OPTIES);
  if (type === 'string') csvBereik(wb, data);
  return leesSheet(wb);
}

function readText(buf) {
  const blocks = tekstBlokken(decodeerTekst(buf));
  return { blocks, warn: [], info: `${blocks.length} alinea's` };
}

const image = (buf, file, ext) => leesBeeld(buf, ext);
const workbook = (buf) => readWorkbook(new Uint8Array(buf), 'array');
const mail = (buf, file, ext, diepte) => leesMail(buf, ext, diepte, leesBestand);

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
