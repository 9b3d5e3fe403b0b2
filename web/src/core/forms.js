// Search patterns of written forms: how one form of an entity is found in
// text, and the key that ties a match back to its entity.
import { B, E } from './building-blocks.js';
import { isNumCat } from './categories.js';
import { capFirst, escRe, normNum, normText } from './normalise.js';

// Nine digits are also found right after a free-standing "NL" and before
// "L"/"B" and two digits, so only the number inside NL…B01 or …L01 goes.
export const B_FISCAAL = String.raw`(?:(?<![\p{L}\p{N}])|(?<=(?<![\p{L}\p{N}])NL[ \t]?))`;
export const E_FISCAAL = String.raw`(?:(?![\p{L}\p{N}])|(?=[.\s]?[LB][.\s]?\d{2}(?![\p{N}])))`;

export const FISCAAL = new Set(['BSN', 'RSIN']);
const SEP = String.raw`[\s.\-]?`;

export function searchForms(ent) {
  const forms = [];
  const num = isNumCat(ent.cat);
  for (const v of ent.variants ?? []) {
    forms.push(v);
    if (!num) forms.push(v.toUpperCase(), capFirst(v));
  }
  return forms;
}

export function formPattern(cat, form) {
  if (!isNumCat(cat)) return form.split(/\s+/).map(escRe).join(String.raw`\s+`);
  const plus = /^\s*\+/.test(form) ? String.raw`\+` : '';
  return plus + numberParts(form).map(({ ch, sep }, i) => {
    const c = /[A-Z]/.test(ch) ? '[' + ch + ch.toLowerCase() + ']' : ch;
    if (i === 0) return c;
    // The form's own separators ("+31 (0)20", "2023/0456") are found as written too.
    return (sep ? '(?:' + SEP + '|' + escRe(sep).replace(/\s/g, String.raw`\s`) + ')' : SEP) + c;
  }).join('');
}

// The letters and digits of a number form (upper case), each with the run of
// other characters before it when that run is more than one blank, dot or hyphen.
export function numberParts(form) {
  const parts = [];
  const re = /([^A-Za-z0-9]*)([A-Za-z0-9])/g;
  for (let m; (m = re.exec(form));) {
    const sep = parts.length && !/^[\s.\-]?$/.test(m[1]) ? m[1] : '';
    parts.push({ ch: m[2].toUpperCase(), sep });
  }
  return parts;
}

export function formKey(cat, form) {
  return isNumCat(cat) ? 'N:' + normNum(form) : 'T:' + normText(form);
}

// The form's pattern with its end condition, and the start condition before it.
export function boundedPattern(cat, form) {
  const fiscal = FISCAAL.has(cat);
  const body = formPattern(cat, form) + (fiscal ? E_FISCAAL : E);
  return { start: fiscal ? B_FISCAAL : B, body };
}
