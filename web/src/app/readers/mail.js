// A mail, from an .eml or .msg file or attached to another mail, as a read
// result: header lines, the body, and every attachment read in turn. The
// attachments are read by `leesBijlage(file, diepte)`, the file reader's own
// dispatch, which the file reader hands over.
import { L } from '../globals.js';
import { append } from './append.js';
import { tekstBlokken } from './tekst.js';

const BIJLAGE_EXT = new Set(['pdf', 'docx', 'xlsx', 'xlsm', 'xls', 'ods', 'csv', 'txt', 'md', 'eml', 'msg',
  'jpg', 'jpeg', 'png', 'bmp', 'webp', 'gif', 'tif', 'tiff']);
// Logos and signature images shown in the text are skipped below this size.
const INLINE_SKIP_BELOW = 30000;
// An attachment whose name has no extension is read as its media type says.
const TYPE_EXT = { 'message/rfc822': 'eml', 'text/plain': 'txt' };
const HAS_EXTENSION = /\.[a-z0-9]{1,5}$/i;
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

// A note in parentheses at the end of a name: "(Kees)", "(Belastingdienst)".
// Searched from its "(" only: a leading blank run would be retried from every blank.
const NOTE = /\([^()]*\)$/;
const LOWER_WORD = /^\p{Ll}+$/u;

// Particles that a directory writes after the surname: "Spelde van" becomes
// "van Spelde". Word by word from the end, in one pass over the name.
function particlesFirst(surname) {
  const words = surname.split(/(\s+)/);
  let stem = words.length - 1;
  while (stem > 0 && LOWER_WORD.test(words[stem])) stem -= 2;
  if (stem === words.length - 1 || !/^\p{Lu}/u.test(surname)) return surname;
  return `${words.slice(stem + 2).join('')} ${words.slice(0, stem + 1).join('')}`;
}

// "Jansen, Piet" reads as "Piet Jansen", unless it names a firm; "Spelde van,
// Kees" as "Kees van Spelde". A note at the end stays at the end and is no part
// of the name itself.
function displayName(naam) {
  const full = naam.replace(/^["']/, '').replace(/["']$/, '').trim();
  const open = NOTE.exec(full)?.index ?? full.length;
  const name = full.slice(0, open).trimEnd();
  const note = full.slice(name.length);
  if (!name) return { name: full, note: '' };
  if (!SWAP.test(name) || SWAP_FIRM.test(name)) return { name, note };
  const comma = name.indexOf(',');
  return { name: `${name.slice(comma + 1).trimStart()} ${particlesFirst(name.slice(0, comma))}`, note };
}

// Known hits cover all the header line shows: the name with its note as it
// stands there, and the name alone for the text, where it comes without.
function render(address, bekend) {
  const { name, note } = displayName(address.naam || '');
  const adres = address.adres || '';
  if (name && !name.includes('@')) {
    const cat = FIRM.test(name) ? 'BEDRIJF' : 'PERSOON';
    bekend.push({ cat, value: name });
    if (note) bekend.push({ cat, value: name + note });
  }
  if (adres) bekend.push({ cat: 'EMAIL', value: adres });
  return [name + note, adres && `<${adres}>`].filter(Boolean).join(' ');
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
  const byType = !HAS_EXTENSION.test(bijlage.naam) && TYPE_EXT[(bijlage.type || '').toLowerCase()];
  const ext = byType || extension(bijlage.naam);
  const bestandsnaam = byType ? `${bijlage.naam}.${byType}` : bijlage.naam;
  if (bijlage.inline && (!bijlage.data || bijlage.data.length < INLINE_SKIP_BELOW)) return false;
  result.blocks.push({ t: 'h', level: 3, text: `Bijlage: ${bijlage.naam}` });
  let read;
  try {
    if (bijlage.bericht) read = await leesMail(bijlage.bericht, 'msg', diepte + 1, leesBijlage);
    else if (!BIJLAGE_EXT.has(ext) || diepte >= DEEPEST_READ) {
      result.warn.push(`Bijlage "${bijlage.naam}" niet gelezen (bestandstype niet ondersteund).`);
      return false;
    } else read = await leesBijlage(new File([bijlage.data], bestandsnaam, { type: bijlage.type || '' }), diepte + 1);
  } catch (err) {
    result.warn.push(`Bijlage "${bijlage.naam}" kon niet gelezen worden: ${err?.message || err}`);
    return false;
  }
  append(result.blocks, read.blocks);
  append(result.bekend, read.bekend || []);
  append(result.warn, (read.warn || []).map((w) => `${bijlage.naam}: ${w}`));
  return true;
}

export async function leesMail(buf, ext, diepte, leesBijlage) {
  const mail = parse(buf, ext);
  const result = { blocks: [], warn: [], info: 'e-mail', bekend: [] };
  append(result.blocks, headerLines(mail, result.bekend));
  append(result.blocks, tekstBlokken(mail.tekst || ''));
  if (mail.rtfGebruikt) result.warn.push(RTF_USED);
  if (mail.rtfZonderTekst) result.warn.push(RTF_ONLY);
  let count = 0;
  for (const bijlage of mail.bijlagen || []) {
    if (await readAttachment(bijlage, diepte, result, leesBijlage)) count++;
  }
  if (count) result.info += ` + ${count} bijlage(n)`;
  return result;
}
