// Detection: the ordered table of detectors, run over the whole text; of
// overlapping finds the longest stays, ties going to the earlier entry.
import {
  B, BL, BLANCO, E, HUISNUMMER, PLAATSNAAM, SP, TITEL_STRAAT, VELD_SCHEIDING, veldLabels,
} from './building-blocks.js';
import {
  ACHTERVOEGSELS, BEDRIJF_VELDNAMEN, INSTELLING_BEGIN, MAANDEN, MAANDEN_KORT, STOPWOORDEN, STRAAT_BEGIN, VELDKOPPEN,
} from './vocabulary.js';
import { RECHTSVORM_BELGISCH, WEEKDAG, words } from './words.js';
import {
  RE_LH_ACHTER, RRN, beNummerOk, buitenlandseIbans, elfproef, rijksregisterOk, websites,
} from './numbers.js';
import { personenMetLabel, personenZonderLabel, stripStopwoorden } from './names.js';
import { PLAATS_LABEL, adressen, belgischeAdressen } from './addresses.js';
import { standsFree } from './boundaries.js';
import { losOnzichtbaarWeg, zichtbareTekst } from './normalise.js';

const geenStopwoord = (v) => !STOPWOORDEN.has(v);
// "Zetel: Avenue Louise 54": the word that opens a street is no place.
const geenStraatBegin = (v) => !STRAAT_BEGIN.has(words(v)[0]);
const cijfers = (v) => v.replace(/\D+/g, '').length;

const RSIN_ERVOOR = /rsin|fiscaal\s*nummer|fiscaalnummer|loonheffing/i;

// A nine-digit number is a legal-entity number near its label or when a
// wage-tax or VAT suffix follows it.
function bsnOfRsin(value, text, start) {
  const ervoor = text.slice(Math.max(0, start - 50), start);
  const erna = text.slice(start + value.length, start + value.length + 6);
  return RSIN_ERVOOR.test(ervoor) || RE_LH_ACHTER.test(erna) ? 'RSIN' : 'BSN';
}

// References: any compound of a word and "nummer" or "nr" is a label (apart
// from its value: inside a code "NR" is none), less
// the numbers that entries of their own find, so that their hits are not
// outgrown ("Loonheffingennummer 123456782L01"); and the usual labels without
// "nummer", these only before a colon or tab. A blank may stand inside the
// value before a group of plain digits ("TO-55 0183 27"), not before a date
// or time ("2024-0057 12-03-2024").
const KENMERK_ANDERS = 'btw|vat|omzetbelasting|bsn|burgerservice|sofi|rsin|fiscaal|loonheffing|kvk|handelsregister|ondernemings|kbo'
  + '|rijksregister|identificatie|insz|telefoon|tel|fax|gsm|mobiel|huis|postbus|paspoort|identiteitskaart|rijbewijs|document|kenteken|iban'
  + '|versie|pagina';
// The search stops at the label's last word and checks what stands before it
// by lookbehind: trying every word start as a compound's start cost ten
// times as much.
const KENMERK_LIJST = 'polis|dossier|relatie|klant|debiteur(?:en)?|crediteur|contract|lid|personeels|cliënt|werknemers|referentie'
  + '|aansluit|verzekerings|zaak';
const KENMERK_LABEL = String.raw`(?:(?:nummer|nr\.?|kenmerk)(?<=(?<![\p{L}])(?:` + KENMERK_LIJST + String.raw`)[ -]?(?:nummer|nr\.?|kenmerk))`
  + String.raw`|kenmerk(?<=(?<![\p{L}])(?:uw|ons) kenmerk)`
  + String.raw`|(?:nummer(?![\p{L}\p{N}])|nr(?:\.|(?![\p{L}\p{N}])))(?<=(?!` + KENMERK_ANDERS + String.raw`)(?<![\p{L}])\p{L}{2,}-?(?:nummer|nr\.?))`
  + String.raw`|(?:dossier|referentie|kenmerk|ref\.?)(?<![\p{L}](?:dossier|referentie|kenmerk|ref\.?))(?=[ \t\u00A0]*:|\t))`;
const RRN_LABELS = String.raw`[Rr]ijksregister(?:nummer|nr\.?)?|RRN|INSZ(?:-nummer)?|NN|[Ii]dentificatienummer`;

// A VAT or wage-tax number after such a label stays with its own entries.
const FISCAAL_NUMMER = /^(?:NL)?\d{9}[BL]\d{2}$/i;
// A year or a date after a label ("jaarnummer 2024", "Stuknummer:
// 2024-03-12") is no reference: as one, every year in the text would go.
const JAAR_OF_DATUM = /^(?:(?:19|20)\d{2}|(?:19|20)\d{2}[-.\/]\d{1,2}[-.\/]\d{1,2}|\d{1,2}[-.\/]\d{1,2}[-.\/](?:19|20)\d{2})$/;

const NA_TE_GEEN_PLAATS = 'om|niet|nog|zijn|is|valt|kunnen|moeten|ook|al|goed|mogelijk|eenvoudig|makkelijk|snel|gaan|staan|vinden|lezen|doen|en';

const re = (source, flags) => new RegExp(source, flags);

// "Ringbaan-West 242": a street suffix, then the part of town.
const WINDSTREKEN = '(?:Noord|Oost|Zuid|West|NOORD|OOST|ZUID|WEST)';

// With the Belgian forms; "CV" alone also ends a "CV-ketel" or a file name,
// so it counts only after a company label.
const RECHTSVORM_EIND = String.raw`B\.[ \u00A0]?[Vv]\.?|BV|N\.[ \u00A0]?[Vv]\.?|NV|V\.O\.F\.?|VOF|C\.V\.|Coöperatie U\.A\.|U\.A\.|`
  + RECHTSVORM_BELGISCH;
// Abbreviations inside a firm's name ("Maas & Zn. B.V.").
const FIRMA_AFKORTING = String.raw`(?:Zn|Gebr|Wed|Fa)\.`;
const LIDWOORD = /^(?:de|het|een|die|deze|dit|dat)$/i;

const RECHTSVORM_SLOT = new RegExp('(?:' + RECHTSVORM_EIND + ')$');

// A Belgian firm with its legal form before its name ("NV Decoster Bouw"),
// after "de" or a company label, and one that ends in "CV" after that label.
const BEDRIJF_LABEL = veldLabels(BEDRIJF_VELDNAMEN) + VELD_SCHEIDING + '(?:[Dd]e' + SP + ')?';
const RECHTSVORM_VOORAF = String.raw`NV|BV|` + RECHTSVORM_BELGISCH;
const FIRMA_WOORD = String.raw`[A-Z0-9][\p{L}0-9&'\-]*`;
const FIRMA_NAAM = FIRMA_WOORD + '(?:' + SP + "(?:(?:van|de|der|den|het|'t)" + SP + ')?' + FIRMA_WOORD + '){0,4}';
// The name after a legal form is no sentence, number or body ("de BV Die
// ...", "de BV 2023", "de VZW Algemene Vergadering"): each would make a
// written form of the firm.
const VORM_VOORAAN = new RegExp('^(?:' + RECHTSVORM_VOORAF + '|CV)' + SP);
function firmaNaNaamOk(v) {
  const naam = words(v)[1];
  return !VORM_VOORAAN.test(v) || (/^\p{L}/u.test(naam) && !STOPWOORDEN.has(naam) && !INSTELLING_BEGIN.has(naam));
}

// A legal form alone, or after an article or numbers ("De BV heeft", "3
// B.V.'s"), names no company.
function firmaNaamOk(v) {
  const stam = words(v.replace(RECHTSVORM_SLOT, ''));
  return stam.some((w) => !LIDWOORD.test(w) && !/^\d+$/.test(w));
}

// Phone numbers. S: a blank, hyphen or en dash between digits. Dutch: ten
// digits, also with the area code in parentheses or before " - ", after
// "0", "+31" or "+31 (0)". Belgian: +32 or 0032 and eight or nine digits;
// the national form without a prefix (nine digits, a mobile "04" and ten)
// only after a phone label, so that other numbers of nine digits are not
// taken; the label is looked for only before a "0", not at every blank.
const S = '[' + BL + String.raw`\-–]`;
const S_BE = '[' + BL + String.raw`./\-]`;
const STREEP = BLANCO + '?[-–]' + BLANCO + '?';
const TEL_LABEL = String.raw`(?<=(?<![\p{L}])(?:[Tt]el|TEL|[Gg]sm|GSM|[Mm]obiel|MOBIEL|[Ff]ax|FAX|[Tt]elefoon|TELEFOON)(?:-?(?:nummer|nr))?\.?:?[ \t]*)`;
const TELEFOON = re(String.raw`(?<![\dA-Za-z])(?:`
  + String.raw`(?:\+31|0031|0)(?:` + S + String.raw`?\(0\))?` + S + String.raw`?[1-9](?:(?:` + S + String.raw`?\d){8}`
  + '|' + STREEP + String.raw`\d(?:` + S + String.raw`?\d){7}|\d` + STREEP + String.raw`\d(?:` + S
  + String.raw`?\d){6}|\d{2}` + STREEP + String.raw`\d(?:` + S + String.raw`?\d){5})`
  + String.raw`|\(0(?:[1-9]\)(?:` + S + String.raw`?\d){8}|[1-9]\d\)(?:` + S + String.raw`?\d){7}|[1-9]\d{2}\)(?:` + S + String.raw`?\d){6})`
  + String.raw`|(?:\+32|0032)(?:` + S + String.raw`?\(0\))?` + S + String.raw`?[1-9](?:` + S_BE + String.raw`?\d){7,8}`
  + '|(?=0)' + TEL_LABEL + String.raw`0(?:4(?:` + S_BE + String.raw`?\d){8}|[1-9](?:` + S_BE + String.raw`?\d){7})`
  + String.raw`)(?!\d)`, 'gu');

function runEnd(run, text, at) {
  run.lastIndex = at;
  run.exec(text);
  return run.lastIndex;
}

// Skip rules: after a failed try at a position, the next position where a
// try can still succeed. Each passes over only starts that provably fail,
// so that long runs of letters, initials or particles cost linear time.

// A company's first word: later starts in the same chain of initials retry
// what the chain already tried (only where the chain could start: initials
// need a word boundary before them); later starts in the same run of word
// characters give the same first word, save initials at its last character.
const WOORDGRENS = /(?<![\p{L}\p{N}])/uy;
function naMisBedrijf(text, at) {
  const initialen = runEnd(/(?:[A-Z]\.)*/y, text, at);
  WOORDGRENS.lastIndex = at;
  if (initialen > at && WOORDGRENS.test(text)) return initialen;
  const end = runEnd(/[\p{L}0-9&'\-]*/uy, text, at);
  return end - 1 > at && /[A-Z]/.test(text[end - 1]) && text[end] === '.' ? end - 1 : end;
}

// The particles and titles before a street word, as the street pattern has them.
const STRAAT_TV = /(?:[Vv]an|[Dd]e|[Dd]en|[Tt]er|[Hh]et|'t|VAN|DE|DEN|TER|HET|Prins|Prinses|Koning|Koningin|Sint|St\.)[ \u00A0]/y;
const STRAAT_TV_TITEL = /^(?:Prins|Prinses|Koning|Koningin|Sint|St\.)[ \u00A0]$/;
const TITEL_WOORD = /[A-Z][\p{L}.']*[ \u00A0]/uy;

// A street: a later start within the run of letters of a failed street word
// needs a title or particle (at most 12 characters) that ends the run. A
// later start within a failed chain of particles retries part of that chain,
// unless it opens a title whose words (at most two) reach past the chain.
function naMisAdres(text, at) {
  let next = at + 1;
  if (/[A-Z]/.test(text[at])) next = Math.max(next, runEnd(/[\p{L}'\-]*/uy, text, at) - 12);
  const chain = [at];
  for (;;) {
    STRAAT_TV.lastIndex = chain[chain.length - 1];
    if (!STRAAT_TV.exec(text)) break;
    chain.push(STRAAT_TV.lastIndex);
  }
  const end = chain.length - 1;
  for (let i = Math.max(1, end - 2); i < end; i++) {
    if (!STRAAT_TV_TITEL.test(text.slice(chain[i], chain[i + 1]))) continue;
    TITEL_WOORD.lastIndex = chain[end];
    if (TITEL_WOORD.test(text)) return Math.max(next, chain[i]);
  }
  return Math.max(next, chain[end]);
}

export const DETECTORS = [
  {
    cat: 'EMAIL',
    re: /[A-Za-z0-9._%+\-]+@[A-Za-z0-9.\-]+\.[A-Za-z]{2,}/g,
    // A failed try fails everywhere in the same run of local-part characters.
    candidates: /[A-Za-z0-9._%+\-]/g,
    skip: (text, at) => runEnd(/[A-Za-z0-9._%+\-]*/y, text, at),
  },
  { cat: 'IBAN', re: re(String.raw`(?<![A-Z0-9])NL\d{2}` + BLANCO + '?[A-Z]{4}(?:' + BLANCO + String.raw`?\d){10}(?![A-Z0-9])`, 'g') },
  { fn: buitenlandseIbans },
  { fn: websites },
  {
    cat: 'IBAN',
    re: re('(?<![A-Z0-9])NL' + BLANCO + String.raw`?[\dIilOo]{2}` + BLANCO + '?[A-Z]{4}(?:' + BLANCO
      + String.raw`?[\dIilOo]){10}(?![0-9])`, 'g'),
  },
  {
    cat: 'BTWNR',
    re: re('(?<![A-Z0-9])NL' + BLANCO + String.raw`?\d{9}` + BLANCO + '?B' + BLANCO + String.raw`?\d{2}(?![0-9])`, 'g'),
  },
  {
    cat: 'BTWNR',
    re: re('(?<![A-Z0-9])BE' + BLANCO + String.raw`?[01]?\d{3}[.` + BL + String.raw`]?\d{3}[.` + BL + String.raw`]?\d{3}(?![\d])`, 'g'),
    ok: beNummerOk,
  },
  {
    cat: 'KVK',
    // Also in the old form of nine digits ("456.789.133"), and after the
    // court and its division ("RPR Gent, afdeling Gent, 0456.789.133").
    re: re(String.raw`(?:ondernemingsnummer|ondernemingsnr\.?|KBO(?:-nummer)?|RPR(?:[ \t]+[\p{L}\-]+(?:,?[ \t]+afdeling[ \t]+[\p{L}\-]+)?)?)`
      + String.raw`[^\d\n]{0,20}([01]?\d{3}[.` + BL + String.raw`]?\d{3}[.` + BL + String.raw`]?\d{3})(?![\d])`, 'giu'),
    group: 1,
    ok: beNummerOk,
  },
  {
    cat: 'BTWNR',
    // One blank run per optional separator: side by side, optional runs
    // would cost quadratic time on long runs of blanks.
    re: re(String.raw`(?:btw|vat|tva|ust|mwst)[\p{L}\-]*[ \t]*(?:(?:nr|nummer|number|no|id)\.?[ \t]*)?(?::[ \t]*)?((?:AT|BG|CY|CZ|DE|DK|EE|EL|ES|FI|FR|HR|HU|IE|IT|LT|LU|LV|MT|PL|PT|RO|SE|SI|SK)`
      + BLANCO + String.raw`?U?[0-9A-Z]?\d[\d. ]{5,12}\d)(?![\d])`, 'giu'),
    group: 1,
    // Every later keyword in the same run of letters retries a subset of
    // the label endings the failed one tried.
    candidates: /btw|vat|tva|ust|mwst/giu,
    skip: (text, at) => runEnd(/[\p{L}\-]*/uy, text, at),
  },
  {
    cat: 'KENMERK',
    re: /(?<![\d.])(?<!NL[ \t]?)\d{4}\.?\d{2}\.?\d{3}\.?[A-Z]\.?\d{2}(?:\.?\d{4})?(?![\d])/g,
  },
  { cat: 'KENMERK', re: re(String.raw`(?<![\d])\d{4}(?:` + BLANCO + String.raw`?\d{4}){3}(?![\d])`, 'g') },
  {
    cat: 'BSN',
    // A comma or dot after the number ends a sentence or clause; before a
    // digit it makes an amount.
    re: re(String.raw`(?<![\d.,])(?:\d{4}[.` + BL + String.raw`]\d{2}[.` + BL + String.raw`]\d{3}|\d{9})(?!\d|[.,]\d)`, 'g'),
    ok: (v) => elfproef(v.replace(/\D+/g, '')),
    catFn: bsnOfRsin,
  },
  {
    cat: 'BSN',
    // After its label also in groups of three ("123 456 782", "106-209-358").
    re: re(String.raw`(?:bsn|burgerservicenummer|sofinummer)[^\d\n]{0,20}(\d{4}[.` + BL + String.raw`]?\d{2}[.` + BL
      + String.raw`]?\d{3}|\d{9}|\d{3}[.\-` + BL + String.raw`]\d{3}[.\-` + BL + String.raw`]\d{3})(?!\d)`, 'gi'),
    group: 1,
  },
  // The Belgian citizen number (rijksregisternummer, BIS number) is kept as a
  // BSN: by its shape when its check digits hold, after its label always.
  { cat: 'BSN', re: re(B + String.raw`(?<!\d[.,])` + RRN + String.raw`(?!\d|[.,]\d)`, 'gu'), ok: rijksregisterOk },
  {
    cat: 'BSN',
    // The label's start is checked after the label: a pattern that opens
    // with a lookbehind is tried at every position of the text.
    re: re('(?:' + RRN_LABELS + String.raw`)(?<![\p{L}](?:` + RRN_LABELS + String.raw`))(?![\p{L}])[^\d\n]{0,20}(` + RRN + String.raw`)(?!\d)`, 'gu'),
    group: 1,
  },
  {
    cat: 'KVK',
    re: re(String.raw`(?:kvk|k\.v\.k\.|kamer van koophandel|handelsregister)[^\d\n]{0,30}(\d{4}[.` + BL + String.raw`]?\d{4})(?!\d)`, 'gi'),
    group: 1,
  },
  // A date and hour of a chat or mail line ("03-05-2024 09:14") is no phone.
  { cat: 'TELEFOON', re: TELEFOON, ok: (v) => !/^\d{2}[-./]\d{2}[-./](?:19|20)\d{2}(?!\d)/.test(v) },
  { cat: 'POSTCODE', re: re(B + String.raw`[1-9]\d{3}` + BLANCO + '?(?!SA|SD|SS)[A-Z]{2}' + E, 'gu') },
  {
    cat: 'PLAATS',
    // The place also in the next cell of an exported list.
    re: /[1-9]\d{3}[ \u00A0]?[A-Z]{2}(?:[ \u00A0]+|\t)((?:'s[- ])?[A-Z][\p{L}'\-]+(?:[ \u00A0](?:aan|den|de|op|in|bij|der|van)(?:[ \u00A0](?:den|de|der))?[ \u00A0][A-Z][\p{L}\-]+|[ \u00A0](?:Haag|Bosch|Helder))?)/gu,
    group: 1,
  },
  {
    cat: 'ADRES',
    re: re(B + TITEL_STRAAT
      + '(?:' + STRAAT_TV.source + String.raw`)*[A-Z][\p{L}'\-]*(?:`
      + ACHTERVOEGSELS + '|' + ACHTERVOEGSELS.toUpperCase()
      + String.raw`)(?<!ering|ERING)(?:-` + WINDSTREKEN + String.raw`)?[ \u00A0]+` + HUISNUMMER, 'gu'),
    candidates: re(B + "[A-Zvdth']", 'gu'),
    skip: naMisAdres,
  },
  { fn: belgischeAdressen },
  { cat: 'ADRES', re: /Postbus\s+\d{1,6}/g },
  {
    cat: 'GEBDATUM',
    // Also the notarial "geboren te Zwolle op ...", "Geb. datum:", a label
    // with a qualifier before its colon ("Geboortedatum fiscale partner:"),
    // ISO dates, abbreviated months and two-digit years ("9-9-'92").
    re: re(String.raw`(?:geboortedatum(?:(?:[ \t]+\p{L}+){1,3}(?=[ \t]*:))?|geb\.[ \t]?datum|geboren(?:\s+te\s+` + PLAATSNAAM
      + String.raw`)?(?:\s+op)?|geb\.)\s*(?::\s*)?`
      + String.raw`(\d{1,2}[-\/.` + BL + String.raw`]\d{1,2}[-\/.` + BL + String.raw`](?:\d{4}|'?\d{2})(?!\d)|(?:19|20)\d{2}-\d{2}-\d{2}(?!\d)|\d{1,2}`
      + BLANCO + '+(?:' + MAANDEN + '|' + MAANDEN_KORT + ')' + BLANCO + String.raw`+\d{4})`, 'giu'),
    group: 1,
  },
  {
    cat: 'BEDRIJF',
    // Partners joined by "&" or "en" belong to the firm's name; two firms
    // joined after a legal form stay two.
    // Initials need a word boundary before them, or "BV. De BV" would give
    // "V. De BV"; a boundary before the whole pattern would cost a third of
    // its speed.
    re: re(String.raw`(?:` + B + String.raw`(?:[A-Z]\.)+|[A-Z0-9][\p{L}0-9&'\-]*)[ \u00A0](?:(?:(?:[A-Z]\.)+|[A-Z0-9][\p{L}0-9&'\-]*|` + FIRMA_AFKORTING
      + String.raw`|van|de|der|den|het|ten|ter|'t|(?<!(?:` + RECHTSVORM_EIND + String.raw`)[ \u00A0])(?:&|en))[ \u00A0]){0,5}(?:`
      + RECHTSVORM_EIND + ')' + E, 'gu'),
    clean: stripStopwoorden,
    ok: firmaNaamOk,
    candidates: /[A-Z0-9]/g,
    skip: naMisBedrijf,
  },
  { cat: 'BEDRIJF', re: /Stichting(?:[ \u00A0][A-Z][\p{L}\-]*){1,4}/gu },
  {
    cat: 'BEDRIJF',
    re: re(String.raw`(?<![\p{L}])[Dd]e` + SP + '((?:' + RECHTSVORM_VOORAF + ')' + SP + FIRMA_NAAM + ')' + E, 'gu'),
    group: 1,
    ok: firmaNaNaamOk,
  },
  {
    cat: 'BEDRIJF',
    re: re(BEDRIJF_LABEL + '((?:' + RECHTSVORM_VOORAF + '|CV)' + SP + FIRMA_NAAM + '|' + FIRMA_NAAM + SP + 'CV)' + E, 'gu'),
    group: 1,
    ok: firmaNaNaamOk,
  },
  { fn: personenMetLabel },
  { fn: personenZonderLabel },
  { fn: adressen },
  {
    cat: 'PLAATS',
    re: re(String.raw`(?<![\p{L}])(?<!(?<![\p{L}])(?:` + NA_TE_GEEN_PLAATS + ')' + SP + ')te' + SP + '+(' + PLAATSNAAM + String.raw`)(?![\p{L}])`, 'gu'),
    group: 1,
    // "te B-9000 Gent": the country letter of a Belgian postcode is no place.
    ok: (v) => geenStopwoord(v) && geenStraatBegin(v) && !v.endsWith('-'),
  },
  {
    cat: 'PLAATS',
    re: re(PLAATS_LABEL + VELD_SCHEIDING + '(' + PLAATSNAAM + ')', 'gu'),
    group: 1,
    // In a header row the next cell holds a field name.
    ok: (v) => geenStopwoord(v) && geenStraatBegin(v) && !VELDKOPPEN.has(v),
  },
  {
    cat: 'PLAATS',
    re: re(String.raw`(?:^|\n)[ \t]*(` + PLAATSNAAM + '),' + SP + String.raw`(?:\d{1,2}` + SP + '(?:' + MAANDEN + ')' + SP
      + String.raw`\d{4}|\d{1,2}[-/.]\d{1,2}[-/.]\d{2,4})`, 'gu'),
    group: 1,
    ok: (v) => geenStopwoord(v) && !WEEKDAG.test(v),
  },
  {
    cat: 'KENTEKEN',
    re: /(?<![A-Z0-9-])(?:[A-Z]{2}-\d{2}-\d{2}|\d{2}-\d{2}-[A-Z]{2}|\d{2}-[A-Z]{2}-\d{2}|[A-Z]{2}-\d{2}-[A-Z]{2}|[A-Z]{2}-[A-Z]{2}-\d{2}|\d{2}-[A-Z]{2}-[A-Z]{2}|\d{2}-[A-Z]{3}-\d|\d-[A-Z]{3}-\d{2}|[A-Z]{2}-\d{3}-[A-Z]|[A-Z]-\d{3}-[A-Z]{2}|[A-Z]{3}-\d{2}-[A-Z]|\d-[A-Z]{2}-\d{3}|[A-Z]-\d{2}-[A-Z]{3}|[A-Z]{3}-\d-[A-Z]{2})(?![A-Z0-9-])/g,
  },
  {
    cat: 'KENTEKEN',
    // Also a Belgian plate after its own label ("Nummerplaat: 1-ABC-234").
    re: /(?:kenteken|nummerplaat)[^\w\n]{0,10}(\d-?[A-Z]{3}-?\d{3}|[A-Z0-9]{6})(?![A-Z0-9])/gi,
    group: 1,
    ok: (v) => /\d/.test(v) && /[A-Za-z]/.test(v),
  },
  {
    cat: 'IDNR',
    // A word without digits after the label (a second label word, as in
    // "legitimatie: paspoort", or "nummer") is passed over. It must stand
    // apart from the label: two letter runs side by side would cost
    // quadratic time on a long word. A Belgian eID card number is written
    // in three groups ("591-1234567-89").
    re: /(?:paspoort|identiteitskaart|id-kaart|id-bewijs|identiteitsbewijs|rijbewijs|documentnummer|legitimatie)[\p{L}\-]*(?:\s?(?:nummer|nr\.?))?(?:[^\p{L}\p{N}\n]{1,12}\p{L}+(?=[^\p{L}\p{N}\n]))?[^\p{L}\p{N}\n]{0,12}(\d{3}-\d{7}-\d{2}|(?=[A-Z]{0,11}\d)[A-Z0-9]{6,12})(?![A-Z0-9])/giu,
    group: 1,
  },
  {
    cat: 'KADASTER',
    // A Belgian parcel number carries its bis number, exponent letter and
    // exponent number ("789/02D", "456C2").
    re: /(?<![\p{L}])[Ss]ectie[ \t]+[A-Z]{1,2}[ \t]*(?:,[ \t]*)?(?:(?:perceel)?(?:nummer|nr\.?)|perceel)[ \t]*(?::[ \t]*)?\d{1,6}(?:[ \t]*(?:,[ \t]*)?(?:appartements?(?:recht|index)[ \t]*)?A[-\s]?\d{1,4}|(?:\/\d{1,3})?[A-Z]\d{0,3}(?![\p{L}\p{N}])|\/\d{1,3})?(?!\d)/gu,
  },
  {
    cat: 'KADASTER',
    re: re('[Kk]adastrale' + SP + 'aanduiding' + SP + '*(?::' + SP + '*)?((?:' + PLAATSNAAM + SP + ')?[A-Z]{1,2}' + SP
      + String.raw`\d{1,6}(?:` + SP + '?A' + SP + String.raw`?\d{1,4})?)(?!\d)`, 'gu'),
    group: 1,
  },
  {
    cat: 'KADASTER',
    re: /(?<![A-Z0-9])[A-Z]{3}\d{2}[ \t][A-Z]{1,2}[ \t]\d{1,5}(?:[ \t]?A[ \t]?\d{1,4})?(?![A-Z0-9])/g,
  },
  {
    cat: 'PLAATS',
    re: re('(?:[Kk]adastraal' + SP + '+[bg]ekend' + SP + '+(?:als' + SP + '+)?(?:[Gg]emeente' + SP + '+)?|[Gg]emeente' + SP
      + '+(?=(?:' + PLAATSNAAM + '),?' + SP + '+[Ss]ectie))(' + PLAATSNAAM + ')', 'gu'),
    group: 1,
    ok: geenStopwoord,
  },
  {
    cat: 'KENMERK',
    re: re(KENMERK_LABEL + String.raw`[ \t\u00A0]*(?::[ \t\u00A0]*)?`
      + String.raw`([A-Z0-9](?:[A-Z0-9.\-\/]|(?<=\d) (?=\d+(?![\d.\-\/:]))){2,24}[A-Z0-9])`, 'giu'),
    group: 1,
    ok: (v) => cijfers(v) >= 3 && !FISCAAL_NUMMER.test(v.replace(/[^A-Za-z0-9]+/g, '')) && !JAAR_OF_DATUM.test(v),
  },
];

// The matches of an entry's pattern, as its global search finds them. An
// entry with candidates and skip is searched by tries at candidate positions
// instead: its skip rule passes over starts that provably fail, which keeps
// long runs of letters from costing quadratic time.
const STICKY = new Map(DETECTORS.filter((e) => e.candidates)
  .map((e) => [e, new RegExp(e.re.source, e.re.flags.replace('g', '') + 'y')]));

export function eachMatch(entry, text, visit) {
  const { re: pattern, candidates, skip } = entry;
  if (!candidates) {
    pattern.lastIndex = 0;
    for (let m; (m = pattern.exec(text));) {
      if (m[0]) visit(m);
      else pattern.lastIndex += text.codePointAt(m.index) > 0xffff ? 2 : 1;
    }
    return;
  }
  const sticky = STICKY.get(entry);
  for (let pos = 0; pos < text.length;) {
    candidates.lastIndex = pos;
    const c = candidates.exec(text);
    if (!c) return;
    sticky.lastIndex = c.index;
    const m = sticky.exec(text);
    if (m?.[0]) {
      visit(m);
      pos = sticky.lastIndex;
    } else {
      pos = skip(text, c.index);
    }
  }
}

function patternHits(entry, text, hits) {
  const { cat, group, ok, catFn, clean } = entry;
  eachMatch(entry, text, (m) => {
    const raw = group ? m[group] : m[0];
    if (!raw) return;
    let start = m.index + (group ? m[0].lastIndexOf(raw) : 0);
    let value = raw.trimEnd();
    if (clean) {
      const cleaned = clean(value);
      start += value.length - cleaned.length;
      value = cleaned;
    }
    if (!value || (ok && !ok(value))) return;
    hits.push({ start, end: start + value.length, cat: catFn ? catFn(value, text, start) : cat, value });
  });
}

// Longest first, then each hit that overlaps none taken before. Every taken
// hit is at least as long as the one being tried, so an overlap must cover
// the tried hit's first or last character: two array reads per hit.
export function zonderOverlap(hits, length) {
  const sorted = hits.filter((h) => h.end > h.start).sort((a, b) => (b.end - b.start) - (a.end - a.start));
  const bezet = new Uint8Array(length);
  const taken = [];
  for (const h of sorted) {
    if (bezet[h.start] || bezet[h.end - 1]) continue;
    bezet.fill(1, h.start, h.end);
    taken.push(h);
  }
  return taken.sort((a, b) => a.start - b.start);
}

export function detect(text) {
  if (typeof text !== 'string' || !text) return [];
  // An invisible character beside a blank joins no word: the text is read
  // without it, and each hit is put back where it stands, with what it spans.
  const los = losOnzichtbaarWeg(text);
  if (los) {
    return detect(los.tekst).map((h) => {
      const start = los.pos[h.start];
      const end = los.pos[h.end - 1] + 1;
      const value = h.value === los.tekst.slice(h.start, h.end) ? text.slice(start, end) : h.value;
      return { ...h, start, end, value };
    });
  }
  const hits = [];
  for (const entry of DETECTORS) {
    // A loop, not push(...): one detector can return more hits than a call may take arguments.
    if (entry.fn) for (const hit of entry.fn(text)) hits.push(hit);
    else patternHits(entry, text, hits);
  }
  // Only what the matcher can replace where it stands.
  return zonderOverlap(hits.filter(vrijInTekst(text)), text.length);
}

// Whether a hit stands free as the matcher reads the text: without its
// invisible characters, so that a value cut off at one inside a word ("Kor"
// of "Kor&shy;trijk") is none.
function vrijInTekst(text) {
  const zicht = zichtbareTekst(text);
  if (!zicht) return (h) => standsFree(text, h.start, h.end);
  const { tekst, pos } = zicht;
  // The offset in the read text of the first visible character from p on.
  const gelezen = (p) => {
    let lo = 0;
    let hi = pos.length - 1;
    while (lo < hi) {
      const mid = (lo + hi) >> 1;
      if (pos[mid] < p) lo = mid + 1;
      else hi = mid;
    }
    return lo;
  };
  return (h) => standsFree(tekst, gelezen(h.start), gelezen(h.end));
}
