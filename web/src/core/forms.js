// Search patterns of written forms: how one form of an entity is found in
// text, and the key that ties a match back to its entity. Invisible
// characters never count: the matcher reads text without them, so a form is
// searched without them and its key leaves them out.
import { isNumCat } from './categories.js';
import {
  alsGelezen, capFirst, escRe, normNum, zichtbaar,
} from './normalise.js';
import { ANDER_GETAL, MAANDEN_KORT } from './vocabulary.js';
import { MUNTWOORD, hoofdletterVarianten } from './words.js';

// What may stand between two characters of a number: a blank, dot or
// hyphen, and in a phone number also the slash after a Belgian zone
// ("0475/12.34.56").
export const takesSlash = (cat) => cat === 'TELEFOON';
const separatorClass = (cat) => (takesSlash(cat) ? String.raw`[\s.\-\/]` : String.raw`[\s.\-]`);

export function searchForms(ent) {
  const forms = [];
  const num = isNumCat(ent.cat);
  for (const v of ent.variants ?? []) {
    const vorm = zichtbaar(v);
    if (num) forms.push(vorm);
    else forms.push(vorm, vorm.toUpperCase(), capFirst(vorm));
  }
  return forms;
}

export function formPattern(cat, form) {
  if (!isNumCat(cat)) return form.split(/\s+/).map(escRe).join(String.raw`\s+`);
  const plus = /^\s*\+/.test(form) ? String.raw`\+` : '';
  const short = isShortNumber(form);
  const any = separatorClass(cat) + '?';
  return plus + numberParts(form).map(({ ch, sep }, i) => {
    const c = /[A-Z]/.test(ch) ? '[' + ch + ch.toLowerCase() + ']' : ch;
    if (i === 0) return c;
    if (short) return asWritten(sep) + c;
    // The form's own separators ("+31 (0)20", "2023/0456") are found as written too.
    return (sep ? '(?:' + any + '|' + asWritten(sep) + ')' : any) + c;
  }).join('');
}

const asWritten = (sep) => escRe(sep).replace(/\s/g, String.raw`\s`);

// A number of a few digits (a Belgian postcode, a short reference) is made
// of the same digits as amounts, years and times. It is found only as
// written, since separators put between its digits make another number of
// it ("1.000", "10-00"), and only where it stands as a number of its own.
const SHORT = /^\d{1,6}$/;
export const isShortNumber = (form) => SHORT.test(normNum(form));

// Around a short number: no digit joined to it by a dot, comma, colon,
// slash, hyphen or blank ("1.000,00", "12:50", "02 1250 33 44"), no currency
// before it ("€ 1000"), and no currency, "%" or ",-" after it ("1000
// euro"). A currency word is a word of its own: "debiteur 1250" is no amount.
// Nor does it follow a word that names another number, or a year.
const OTHER_NUMBER = String.raw`(?<![\p{L}])(?:` + ANDER_GETAL.map(hoofdletterVarianten).join('|') + String.raw`)\.?|(?<![\p{L}])`
  + MAANDEN_KORT + String.raw`|(?:[Jj]aar|JAAR):?`;
const joinedBefore = (blank) => String.raw`(?<!\p{N}[.,:\/\-` + blank + String.raw`]|[€$£][ \u00A0]?|(?:(?<![\p{L}])`
  + MUNTWOORD + '|' + OTHER_NUMBER + String.raw`)[ \u00A0]?)`;
const NO_AMOUNT_AFTER = String.raw`(?![.,:\/\- \u00A0]\p{N}|,-|[ \u00A0]?(?:[€%]|` + MUNTWOORD + String.raw`(?!\p{L})))`;

// A Belgian postcode stands before its place ("1000 Brussel", "B-1000
// BRUSSEL", also after a house number: "Meir 24 2000 Antwerpen"), after its
// label ("Postcode: 2000") or alone, as in a table cell of its own; unlike a
// year. Two capitals after it make a Dutch postcode of it ("1000 AB").
const PLACE_AFTER = String.raw`(?=[ \t\u00A0]+(?!\p{Lu}{2}(?!\p{L}))(?:'s[- ])?\p{Lu}\p{L})`;
const POSTCODE_LABEL = String.raw`(?<![\p{L}])(?:[Pp]ostcode|POSTCODE)[ \t\u00A0]*(?::[ \t\u00A0]*)?`;
function postcodeStands(core) {
  const written = '(?:B-)?' + core;
  return '(?:' + PLACE_AFTER + '|(?<=' + POSTCODE_LABEL + written + ')'
    + String.raw`|(?<=^[ \t\u00A0]*` + written + String.raw`)(?=[ \t\u00A0]*$))`;
}

// A number and a blank before a postcode are its house number when a word
// stands before them ("Meir 24 2000 Antwerpen", "bus 3 2000"), not a group
// of a phone number ("010 414 2000 Fax").
const HOUSE_NUMBER_BEFORE = String.raw`(?:(?<!\p{N}[ \u00A0])|(?<=\p{L}[ \u00A0]\p{N}+[ \u00A0]))`;

// The conditions before and after a short number form, as pattern sources;
// null for any other form.
export function numberContext(cat, form) {
  if (!isNumCat(cat) || !isShortNumber(form)) return null;
  if (cat !== 'POSTCODE') return { before: joinedBefore(String.raw` \u00A0`), after: NO_AMOUNT_AFTER };
  return { before: joinedBefore('') + HOUSE_NUMBER_BEFORE, after: NO_AMOUNT_AFTER + postcodeStands(formPattern(cat, form)) };
}

// The letters and digits of a number form (upper case), each with the run of
// other characters before it when that run is more than one blank, dot or
// hyphen, or in a short number when there is any.
export function numberParts(form) {
  const parts = [];
  const short = isShortNumber(form);
  const re = /([^A-Za-z0-9]*)([A-Za-z0-9])/g;
  for (let m; (m = re.exec(form));) {
    const sep = parts.length && (short ? m[1] : !/^[\s.\-]?$/.test(m[1])) ? m[1] : '';
    parts.push({ ch: m[2].toUpperCase(), sep });
  }
  return parts;
}

// The separators a number form's pattern finds as written, by position:
// '' for a form without separators of its own.
export const ownSeparators = (form) => {
  const parts = numberParts(form);
  return parts.some(({ sep }) => sep) ? parts.map(({ sep }) => sep).join('\u0000') : '';
};

export function formKey(cat, form) {
  return isNumCat(cat) ? 'N:' + normNum(form) : textKey(form);
}

export function textKey(form) {
  return 'T:' + alsGelezen(form);
}

// A number form written with its opening parenthesis ("(020) 675 44 10")
// takes that parenthesis along where the text has it, so that the replaced
// span and the value agree.
export const opensWithParen = (cat, form) => isNumCat(cat) && /^\s*\([A-Za-z0-9]/.test(form);

