// HTML and XML character references, shared by the readers of this module.
// Named references are HTML's full list, looked up by the entities package.
import { decodeHTMLStrict } from 'entities/decode';

const REFERENTIE = /&(#x[0-9a-f]+|#[0-9]+|[a-z][a-z0-9]*);/gi;
const NO_BREAK_SPACE = '\u00a0';

function benoemd(naam) {
  const ref = `&${naam};`;
  const teken = decodeHTMLStrict(ref);
  return teken === ref ? null : teken;
}

// A name in its own case first; a name that HTML knows only in lower case
// ("&EACUTE;") gives the lower-case character. A named no-break space is read
// as a plain one.
function teken(naam) {
  if (naam[0] !== '#') {
    const t = benoemd(naam) ?? benoemd(naam.toLowerCase());
    return t === NO_BREAK_SPACE ? ' ' : t;
  }
  const code = naam[1] === 'x' || naam[1] === 'X' ? parseInt(naam.slice(2), 16) : parseInt(naam.slice(1), 10);
  return code <= 0x10ffff ? String.fromCodePoint(code) : null;
}

// A reference that is not known stays as written.
export function entiteiten(s) {
  return s.replace(REFERENTIE, (ref, naam) => teken(naam) ?? ref);
}
