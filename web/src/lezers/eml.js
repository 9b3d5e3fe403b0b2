// An Internet message file (.eml) as a parsed mail message. Never throws:
// broken input gives what can be read.
import { decodeer } from './charset.js';
import { adressen } from './adressen.js';
import { htmlNaarTekst } from './html-tekst.js';
import { kopDecoderen } from './kop-decoderen.js';
import { leesMime } from './mime.js';

const UTF8 = new TextDecoder('utf-8', { fatal: true });

// Headers are byte strings; mail programs that write raw UTF-8 in them (rather
// than encoded words) would otherwise show as "JosÃ©".
function kopTekst(value) {
  if (!/[\x80-\xff]/.test(value)) return kopDecoderen(value);
  const bytes = Uint8Array.from(value, (c) => c.charCodeAt(0) & 0xff);
  try {
    return kopDecoderen(UTF8.decode(bytes));
  } catch {
    return kopDecoderen(decodeer(bytes, 'windows-1252'));
  }
}

function leesEmlOnveilig(bytes) {
  const top = leesMime(bytes, 0);
  const kop = (name) => kopTekst(top.koppen[name] ?? '');
  const tekst = top.tekst || htmlNaarTekst(top.html);
  return {
    van: adressen(kop('from')),
    aan: adressen(kop('to')),
    cc: adressen(kop('cc')),
    onderwerp: kop('subject'),
    datum: top.koppen.date ?? '',
    tekst: tekst.replace(/\r\n?/g, '\n'),
    bijlagen: top.bijlagen,
  };
}

export function leesEml(bytes) {
  try {
    return leesEmlOnveilig(bytes);
  } catch {
    // Only a host limit (an out-of-memory string, say) ends up here.
    return { van: [], aan: [], cc: [], onderwerp: '', datum: '', tekst: '', bijlagen: [] };
  }
}
