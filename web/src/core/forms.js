// Search patterns of written forms: how one form of an entity is found in
// text, and the key that ties a match back to its entity. Invisible
// characters never count: the matcher reads text without them, so a text
// form is searched without them and its key leaves them out.
import { isNumCat } from './categories.js';
import {
  capFirst, escRe, normNum, normText, zichtbaar,
} from './normalise.js';

const SEP = String.raw`[\s.\-]?`;

export function searchForms(ent) {
  const forms = [];
  const num = isNumCat(ent.cat);
  for (const v of ent.variants ?? []) {
    if (num) {
      forms.push(v);
      continue;
    }
    const vorm = zichtbaar(v);
    forms.push(vorm, vorm.toUpperCase(), capFirst(vorm));
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

// The separators a number form's pattern finds as written, by position:
// '' for a form with only blanks, dots and hyphens, which any form of its
// digits finds.
export const ownSeparators = (form) => {
  const parts = numberParts(form);
  return parts.some(({ sep }) => sep) ? parts.map(({ sep }) => sep).join('\u0000') : '';
};

export function formKey(cat, form) {
  return isNumCat(cat) ? 'N:' + normNum(form) : textKey(form);
}

export function textKey(form) {
  return 'T:' + normText(zichtbaar(form));
}

// A number form written with its opening parenthesis ("(020) 675 44 10")
// takes that parenthesis along where the text has it, so that the replaced
// span and the value agree.
export const opensWithParen = (cat, form) => isNumCat(cat) && /^\s*\([A-Za-z0-9]/.test(form);

