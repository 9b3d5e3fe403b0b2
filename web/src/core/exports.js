// The core's public object, members in their fixed order.
import { CATS, ROL_PREFIXEN } from './categories.js';
import { detect } from './detect.js';
import {
  andersGeschreven, bijnaNamen, kandidaten, losseDelen,
} from './checks.js';
import { placeholder } from './placeholders.js';
import { PUBLIEKE_MAIL, elfproef, ibanOk } from './numbers.js';
import { dedupe, gedeeldeVarianten, suggestVariants } from './variants.js';
import { anonymize, buildMatcher, replaceWith } from './matcher.js';
import { restore, segmentsToText } from './restore.js';
import {
  blocksText, blocksToMarkdown, escHtml, markdownToHtml, markdownToPlain, markdownToTsv,
} from './markdown.js';
import {
  alsGelezen, escRe, normNum, normText,
} from './normalise.js';

export const AnonCore = Object.freeze({
  CATS,
  ROL_PREFIXEN,
  detect,
  losseDelen,
  bijnaNamen,
  kandidaten,
  placeholder,
  PUBLIEKE_MAIL,
  gedeeldeVarianten,
  elfproef,
  ibanOk,
  suggestVariants,
  dedupe,
  buildMatcher,
  replaceWith,
  anonymize,
  restore,
  segmentsToText,
  blocksToMarkdown,
  blocksText,
  markdownToHtml,
  markdownToPlain,
  markdownToTsv,
  escHtml,
  normText,
  normNum,
  andersGeschreven,
  escRe,
  alsGelezen,
});
