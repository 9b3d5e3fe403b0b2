// An Outlook message (.msg) as a parsed mail message: its properties,
// recipients and attachments, embedded messages to a fixed depth.
import { codepage, decodeer } from './charset.js';
import { BESCHADIGD, leesCfb } from './cfb.js';
import { htmlNaarTekst } from './html-tekst.js';
import { binair, datumVan, laagWoord, propSleutel, str, vasteProps } from './msg-props.js';
import { rtfNaarTekst } from './rtf-tekst.js';
import { rtfUitpakken } from './rtf.js';

const STORAGE = 1;
const FIXED = '__properties_version1.0';
const RECIPIENT = /^__recip_version1\.0_/i;
const ATTACHMENT = /^__attach_version1\.0_/i;
// Fixed property headers: the file's own message, an embedded one, a recipient or attachment.
const HEADER = { top: 32, embedded: 24, sub: 8 };
// Messages embedded deeper than this are left out.
const MAX_EMBEDDED = 4;
const TO = 1;
const CC = 2;
const OUTLOOK_TYPE = 'application/vnd.ms-outlook';

// The property streams and the fixed properties of one storage. An embedded
// message, where the storage may hold one, stands in the map as its directory
// entry; an entry of any other wrong kind ends the reading as damage.
function props(cfb, map, kop, embeds) {
  const p = Object.create(null);
  let vast = null;
  const storages = { recipients: [], attachments: [] };
  for (const item of cfb.kinderen(map)) {
    const key = propSleutel(item.naam);
    if (key) p[key] = embeds && item.soort === STORAGE ? item : cfb.inhoud(item);
    else if (RECIPIENT.test(item.naam)) storages.recipients.push(item);
    else if (ATTACHMENT.test(item.naam)) storages.attachments.push(item);
    else if (item.naam === FIXED) vast = cfb.inhoud(item);
  }
  return { p, vast: vasteProps(vast, kop), ...storages };
}

const hasAt = (s) => (s.includes('@') ? s : '');

function recipient(cfb, item, cp) {
  const { p, vast } = props(cfb, item, HEADER.sub, false);
  return {
    naam: str(p, '3001', cp),
    adres: hasAt(str(p, '39FE', cp) || str(p, '3003', cp)),
    soort: laagWoord(vast['0C15']) || TO,
  };
}

function isInline(type, p, vast, cp) {
  if (!type.toLowerCase().startsWith('image/')) return false;
  return str(p, '3712', cp) !== '' || (laagWoord(vast['3714']) & 4) !== 0 || laagWoord(vast['7FFE']) === 1;
}

function attachment(cfb, item, cp, diepte) {
  const { p, vast } = props(cfb, item, HEADER.sub, true);
  const naam = str(p, '3707', cp) || str(p, '3704', cp) || str(p, '3001', cp) || 'bijlage';
  const type = str(p, '370E', cp);
  const embedded = p['3701000D'];
  if (embedded && diepte < MAX_EMBEDDED) {
    return {
      naam: /\.msg$/i.test(naam) ? naam : `${naam}.msg`,
      type: OUTLOOK_TYPE,
      bericht: leesMsgMap(cfb, embedded, diepte + 1),
      inline: false,
    };
  }
  const data = binair(p, '3701');
  return data ? { naam, type, data, inline: isInline(type, p, vast, cp) } : null;
}

// `cp` decodes the 8-bit strings, `internet` the HTML body's bytes; the RTF
// names its own code page, `cp` standing in when it does not.
function body(p, cp, internet) {
  const plain = str(p, '1000', cp);
  if (plain) return { tekst: plain, rtf: false };
  const htmlBytes = binair(p, '1013');
  const html = htmlBytes ? decodeer(htmlBytes, internet) : str(p, '1013', cp);
  const fromHtml = html ? htmlNaarTekst(html) : '';
  if (fromHtml) return { tekst: fromHtml, rtf: false };
  const rtf = binair(p, '1009');
  if (!rtf) return { tekst: '', rtf: false };
  try {
    const tekst = rtfNaarTekst(rtfUitpakken(rtf), cp);
    return { tekst, rtf: tekst !== '' };
  } catch {
    return { tekst: '', rtf: false };
  }
}

function leesMsgMap(cfb, map, diepte) {
  const { p, vast, recipients, attachments } = props(cfb, map, diepte > 0 ? HEADER.embedded : HEADER.top, true);
  // The message code page is the one its 8-bit strings are stored in; the
  // internet code page is the one it was sent in. A code page of 0 is none.
  const message = laagWoord(vast['3FFD']);
  const sent = laagWoord(vast['3FDE']);
  const cp = codepage(message || sent);
  const ontvangers = recipients.map((item) => recipient(cfb, item, cp));
  const { tekst, rtf } = body(p, cp, codepage(sent || message));
  const naam = str(p, '0C1A', cp) || str(p, '0042', cp);
  const adres = str(p, '5D01', cp) || hasAt(str(p, '0C1F', cp));
  return {
    van: naam || adres ? [{ naam, adres }] : [],
    aan: ontvangers.filter((r) => r.soort === TO),
    cc: ontvangers.filter((r) => r.soort === CC),
    onderwerp: str(p, '0037', cp),
    datum: datumVan(vast, '0039') || datumVan(vast, '0E06'),
    tekst: tekst.replace(/\r\n?/g, '\n'),
    bijlagen: attachments.map((item) => attachment(cfb, item, cp, diepte)).filter(Boolean),
    rtfGebruikt: rtf,
    rtfZonderTekst: tekst === '' && binair(p, '1009') !== null,
  };
}

// In a sound file every entry belongs to one storage, so the storages together
// list each entry once. Storages that share their entries could make embedded
// messages repeat each other exponentially: more than that is damage.
function withWalkBudget(cfb) {
  let left = cfb.aantal;
  const kinderen = (item) => {
    const list = cfb.kinderen(item);
    left -= list.length;
    if (left < 0) throw new Error(BESCHADIGD);
    return list;
  };
  return { ...cfb, kinderen };
}

export function leesMsg(bytes) {
  const cfb = withWalkBudget(leesCfb(bytes));
  return leesMsgMap(cfb, cfb.wortel, 0);
}
