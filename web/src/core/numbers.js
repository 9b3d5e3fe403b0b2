// Check digits of Dutch and Belgian numbers and IBANs, and the two number
// and address detectors that are functions: foreign IBANs and websites.

// National IBAN lengths; NL is found by its own patterns.
export const IBAN_LENGTE = {
  AD: 24, AE: 23, AL: 28, AT: 20, AZ: 28, BA: 20, BE: 16, BG: 22, BH: 22, BR: 29,
  CH: 21, CR: 22, CY: 28, CZ: 24, DE: 22, DK: 18, DO: 28, EE: 20, EG: 29, ES: 24,
  FI: 18, FO: 18, FR: 27, GB: 22, GE: 22, GI: 23, GL: 18, GR: 27, GT: 28, HR: 21,
  HU: 28, IE: 22, IL: 23, IQ: 23, IS: 26, IT: 27, JO: 30, KW: 30, KZ: 20, LB: 28,
  LC: 32, LI: 21, LT: 20, LU: 20, LV: 21, MC: 27, MD: 24, ME: 22, MK: 19, MR: 27,
  MT: 31, MU: 30, NO: 15, PK: 24, PL: 28, PS: 29, PT: 25, QA: 29, RO: 24, RS: 22,
  SA: 24, SC: 31, SE: 24, SI: 19, SK: 24, SM: 27, ST: 25, SV: 28, TL: 23, TN: 24,
  TR: 26, UA: 29, VA: 22, VG: 24, XK: 20,
};

// The wage-tax ("L01") or VAT ("B01") suffix right after nine digits.
export const RE_LH_ACHTER = /^[.\s]?[LB][.\s]?\d{2}(?!\d)/;

export const PUBLIEK_DOMEIN = /(?:^|\.)(?:belastingdienst|rijksoverheid|overheid|kvk|rvo|uwv|svb|duo|cbs|cjib|digid|mijnoverheid|wetten|officielebekendmakingen|nba|afm|dnb|nob|rechtspraak|kadaster|toeslagen|minfin|government|europa|eur-lex|drovel|google|microsoft|apple|openai|chatgpt|anthropic|claude|wikipedia|w3|ietf|iso|xbrl|schema|sbr-nl|nltaxonomie|auditfiles|oswo|softwarepakketten|rgs|referentiegrootboekschema|github|gs1|peppol|nen)\.(?:nl|eu|com|org|gov|ai|net|int)$/i;

export const RE_WEBSITE = /(?<![\p{L}\p{N}@.\/-])(?:(?:https?:\/\/)(?:www\.)?|www\.)?((?:[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?\.)+(?:nl|be|com|eu|org|net|de|info|nu|biz|online|shop|frl|amsterdam|uk|fr|io|ai|app))(?::\d+)?(?:\/[^\s<>"'()\[\]]*)?/giu;

export const PUBLIEKE_MAIL = /^(?:gmail|googlemail|hotmail|outlook|live|msn|icloud|me|yahoo|kpnmail|kpnplanet|planet|ziggo|home|hetnet|casema|chello|zeelandnet|xs4all|upcmail|tele2|online|quicknet|telfort|caiway|solcon|proton|protonmail|gmx|web|t-online|aol|mail)\.[a-z.]+$/i;

// The 11-test of citizen service numbers and legal-entity numbers.
export function elfproef(d) {
  if (!/^\d{9}$/.test(d) || /^(\d)\1{8}$/.test(d)) return false;
  let sum = -Number(d[8]);
  for (let i = 0; i < 8; i++) sum += (9 - i) * Number(d[i]);
  return sum % 11 === 0;
}

// ISO 13616 check digits (MOD 97-10).
export function ibanOk(raw) {
  const s = String(raw ?? '').replace(/\s+/g, '').toUpperCase();
  if (!/^[A-Z]{2}\d{2}[A-Z0-9]{10,30}$/.test(s)) return false;
  let rest = 0;
  for (const ch of s.slice(4) + s.slice(0, 4)) {
    const n = parseInt(ch, 36);
    rest = (n > 9 ? rest * 100 + n : rest * 10 + n) % 97;
  }
  return rest === 1;
}

// Belgian enterprise number; nine digits are the old form without the 0.
export function beNummerOk(m) {
  let d = String(m ?? '').replace(/\D+/g, '');
  if (d.length === 9) d = '0' + d;
  if (!/^[01]\d{9}$/.test(d)) return false;
  return 97 - (Number(d.slice(0, 8)) % 97) === Number(d.slice(8));
}

// The Belgian citizen number (and the BIS number): birth date YY.MM.DD,
// three serial digits and two check digits, with or without separators.
export const RRN = String.raw`\d{2}[.\u0020]?\d{2}[.\u0020]?\d{2}[-.\u0020]?\d{3}[-.\u0020]?\d{2}`;

// The check digits are 97 minus the first nine digits modulo 97, with a "2"
// before them for births from 2000. Without a label the date must be one:
// a BIS number adds 20 or 40 to the month, and 00 stands for unknown.
export function rijksregisterOk(m) {
  const d = String(m ?? '').replace(/\D+/g, '');
  if (d.length !== 11) return false;
  const maand = Number(d.slice(2, 4)) % 20;
  const dag = Number(d.slice(4, 6));
  if (Number(d.slice(2, 4)) > 52 || maand > 12 || dag > 31) return false;
  const negen = Number(d.slice(0, 9));
  const check = Number(d.slice(9));
  return check === 97 - (negen % 97) || check === 97 - ((2e9 + negen) % 97);
}

const ALNUM = /[A-Za-z0-9]/;

// IBANs of other countries count only at their exact national length and
// with valid check digits; blanks are allowed between groups of four.
export function buitenlandseIbans(text) {
  const hits = [];
  const re = /(?<![A-Za-z0-9])([A-Z]{2})\d{2}(?=[\s ]?[A-Z0-9])/g;
  for (let m; (m = re.exec(text));) {
    const lengte = IBAN_LENGTE[m[1]];
    if (!lengte) continue;
    let i = m.index;
    let count = 0;
    while (i < text.length && count < lengte) {
      const c = text[i];
      if (ALNUM.test(c)) count++;
      else if (!((c === ' ' || c === '\u00A0') && count % 4 === 0 && ALNUM.test(text[i + 1] ?? ''))) break;
      i++;
    }
    if (count !== lengte || ALNUM.test(text[i] ?? '')) continue;
    const value = text.slice(m.index, i);
    if (ibanOk(value)) hits.push({ start: m.index, end: i, cat: 'IBAN', value });
  }
  return hits;
}

export function websites(text) {
  const hits = [];
  RE_WEBSITE.lastIndex = 0;
  for (let m; (m = RE_WEBSITE.exec(text));) {
    const value = m[0].replace(/[.,;:!?]+$/, '');
    const domain = m[1].toLowerCase();
    // Without a prefix only plain lower-case addresses count: "Rapport.NL"
    // or "3.nl" in running text is no website.
    const prefixed = /^(?:https?:\/\/|www\.)/i.test(value);
    if (!prefixed && (/[A-Z]/.test(value) || /^\d/.test(domain))) continue;
    if (PUBLIEK_DOMEIN.test(domain.replace(/^www\./, ''))) continue;
    hits.push({ start: m.index, end: m.index + value.length, cat: 'WEBSITE', value });
  }
  return hits;
}
