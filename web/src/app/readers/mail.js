// A mail, from an .eml or .msg file or attached to another mail, as a read
// result: header lines, the body, and every attachment read in turn. The
// attachments are read by `leesBijlage(file, diepte)`, the file reader's own
// dispatch, which the file reader hands over.
import { L } from '../globals.js';
import { tekstBlokken } from './tekst.js';

const BIJLAGE_EXT = new Set(['pdf', 'docx', 'xlsx', 'xlsm', 'xls', 'ods', 'csv', 'txt', 'md', 'eml', 'msg',
  'jpg', 'jpeg', 'png', 'bmp', 'webp', 'gif', 'tif', 'tiff']);
// Logos and signature images shown in the text are skipped below this size.
const INLINE_SKIP_BELOW = 30000;
// Files attached to mails at this level or deeper are not read.
const DEEPEST_READ = 3;
const SWAP = /^[^,]+,\s*[^,]+$/;
const SWAP_FIRM = /\b(?:B\.?V|N\.?V|V\.?O\.?F)\b/i;
const FIRM = /\b(?:B\.?V\.?|N\.?V\.?|V\.?O\.?F\.?|Stichting|Holding)\b/i;
const RTF_USED = 'De mailtekst is gelezen uit de RTF-opmaak; controleer of alles meekwam.';
const RTF_ONLY = 'Deze mail bevat alleen RTF-opmaak die niet gelezen kon worden. Sla hem op als .eml of kopieer de tekst.';

function parse(buf, ext) {
  if (buf && buf.van) return buf;
  const bytes = new Uint8Array(buf);
  return ext === 'msg' ? L().leesMsg(bytes) : L().leesEml(bytes);
}

// "Jansen, Piet" reads as "Piet Jansen", unless it names a firm.
function displayName(naam) {
  const name = naam.replace(/^["']/, '').replace(/["']$/, '').trim();
  if (!SWAP.test(name) || SWAP_FIRM.test(name)) return name;
  const comma = name.indexOf(',');
  return `${name.slice(comma + 1).trimStart()} ${name.slice(0, comma)}`;
}

function render(address, bekend) {
  const name = displayName(address.naam || '');
  const adres = address.adres || '';
  if (name && !name.includes('@')) bekend.push({ cat: FIRM.test(name) ? 'BEDRIJF' : 'PERSOON', value: name });
  if (adres) bekend.push({ cat: 'EMAIL', value: adres });
  return [name, adres && `<${adres}>`].filter(Boolean).join(' ');
}

function headerLines(mail, bekend) {
  const addresses = (list) => (list || []).map((a) => render(a, bekend)).join(', ');
  const lines = [
    ['Van: ', addresses(mail.van)],
    ['Aan: ', addresses(mail.aan)],
    ['Cc: ', addresses(mail.cc)],
    ['Datum: ', mail.datum],
    ['Onderwerp: ', mail.onderwerp],
  ];
  return lines.filter(([, value]) => value).map(([label, value]) => ({ t: 'p', text: label + value, line: true }));
}

const extension = (naam) => naam.slice(naam.lastIndexOf('.') + 1).toLowerCase();

// One attachment into `result`; true when it was read.
async function readAttachment(bijlage, diepte, result, leesBijlage) {
  const ext = extension(bijlage.naam);
  if (bijlage.inline && (!bijlage.data || bijlage.data.length < INLINE_SKIP_BELOW)) return false;
  result.blocks.push({ t: 'h', level: 3, text: `Bijlage: ${bijlage.naam}` });
  let read;
  try {
    if (bijlage.bericht) read = await leesMail(bijlage.bericht, 'msg', diepte + 1, leesBijlage);
    else if (!BIJLAGE_EXT.has(ext) || diepte >= DEEPEST_READ) {
      result.warn.push(`Bijlage "${bijlage.naam}" niet gelezen (bestandstype niet ondersteund).`);
      return false;
    } else read = await leesBijlage(new File([bijlage.data], bijlage.naam, { type: bijlage.type || '' }), diepte + 1);
  } catch (err) {
    result.warn.push(`Bijlage "${bijlage.naam}" kon niet gelezen worden: ${err?.message || err}`);
    return false;
  }
  result.blocks.push(...read.blocks);
  result.bekend.push(...(read.bekend || []));
  result.warn.push(...(read.warn || []).map((w) => `${bijlage.naam}: ${w}`));
  return true;
}

export async function leesMail(buf, ext, diepte, leesBijlage) {
  const mail = parse(buf, ext);
  const result = { blocks: [], warn: [], info: 'e-mail', bekend: [] };
  result.blocks.push(...headerLines(mail, result.bekend), ...tekstBlokken(mail.tekst || ''));
  if (mail.rtfGebruikt) result.warn.push(RTF_USED);
  if (mail.rtfZonderTekst) result.warn.push(RTF_ONLY);
  let count = 0;
  for (const bijlage of mail.bijlagen || []) {
    if (await readAttachment(bijlage, diepte, result, leesBijlage)) count++;
  }
  if (count) result.info += ` + ${count} bijlage(n)`;
  return result;
}
