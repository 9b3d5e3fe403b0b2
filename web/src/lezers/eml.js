// An Internet message file (.eml) as a parsed mail message. Never throws:
// broken input gives what can be read.
import { adressen } from './adressen.js';
import { htmlNaarTekst } from './html-tekst.js';
import { kopRuw, kopTekst } from './kop-decoderen.js';
import { leesMime } from './mime.js';

function leesEmlOnveilig(bytes) {
  const top = leesMime(bytes, 0);
  const kop = (name) => kopTekst(top.koppen[name] ?? '');
  // Encoded words in an address list are decoded after it is split, so that a
  // comma or quote inside one cannot split a name.
  const lijst = (name) => adressen(kopRuw(top.koppen[name] ?? ''));
  const tekst = top.tekst || htmlNaarTekst(top.html);
  return {
    van: lijst('from'),
    aan: lijst('to'),
    cc: lijst('cc'),
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
