// HTML and XML character references, shared by the readers of this module.
const ENTITEITEN = {
  nbsp: ' ', amp: '&', lt: '<', gt: '>', quot: '"', apos: "'",
  euro: '€', eacute: 'é', euml: 'ë', iuml: 'ï', ouml: 'ö', uuml: 'ü',
  egrave: 'è', agrave: 'à', ccedil: 'ç', ndash: '–', mdash: '—', lsquo: '‘',
  rsquo: '’', ldquo: '“', rdquo: '”', hellip: '…', copy: '©', reg: '®',
  middot: '·', bull: '•',
};

const REFERENTIE = /&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi;

function teken(naam) {
  if (naam[0] !== '#') return Object.hasOwn(ENTITEITEN, naam.toLowerCase()) ? ENTITEITEN[naam.toLowerCase()] : null;
  const code = naam[1] === 'x' || naam[1] === 'X' ? parseInt(naam.slice(2), 16) : parseInt(naam.slice(1), 10);
  return code <= 0x10ffff ? String.fromCodePoint(code) : null;
}

// A reference that is not known stays as written.
export function entiteiten(s) {
  return s.replace(REFERENTIE, (ref, naam) => teken(naam) ?? ref);
}
