// Pieces of pattern source that the detectors join into their patterns. A
// block has no flags of its own; blocks with property classes go only into
// patterns with the u flag.
import { ONZICHTBAAR } from './normalise.js';
import { TUSSENVOEGSELS_ELDERS, VELDNAMEN } from './vocabulary.js';
import { hoofdletterVarianten } from './words.js';

// Word boundaries that count letters with diacritics as letters.
export const B = String.raw`(?<![\p{L}\p{N}])`;
export const E = String.raw`(?![\p{L}\p{N}])`;

export const SP = String.raw`[ \u00A0]`;

// The blanks that may stand inside a number: white space less tabs and line
// ends, which in a spreadsheet's text separate its cells and rows, and the
// invisible characters, which stand for nothing. `BL` is for use inside a
// bracket class.
export const BL = String.raw` \u00A0\u1680\u2000-\u200A\u202F\u205F\u3000` + ONZICHTBAAR;
export const BLANCO = '[' + BL + ']';

export const TV = "(?:van|de|der|den|het|ten|ter|te|in|op|'t|von|du|da|di|la|le|el|al|bin|ben|ait)";

export const TV_ELDERS = TUSSENVOEGSELS_ELDERS.join('|');
// "d'" stands glued to the surname ("Jean d'Hondt").
export const TV_GELIJMD = "d['’]";

// One part of a name word: any capital ("Öztürk", "Şahin", "IJsbrand"),
// optionally after a capital and an apostrophe ("D'Haese", "D’Hooghe"). An
// invisible character inside it and the letter after it belong to the word
// ("Schoon&shy;hoven", "Jan&#8203;Jansen"). Their number is bounded: each
// capital after one could start a word, and a word without end from each
// would cost quadratic time.
const MAX_ONZICHTBAAR = 10;
export const WOORD_DEEL = String.raw`(?:IJ|\p{Lu}(?:['’](?:IJ|\p{Lu}))?)[\p{Ll}']+(?:[` + ONZICHTBAAR + String.raw`]+\p{L}[\p{Ll}']*){0,`
  + MAX_ONZICHTBAAR + '}';

export const WOORD = WOORD_DEEL + '(?:-' + WOORD_DEEL + ')*';

// Put first in a pattern that starts with a name word or with initials: a
// first character that may be any capital keeps the engine from skipping
// ahead to the next possible start, which made such searches several times
// slower than with A to Z. This superset of the capitals restores the skip.
const HOOFDLETTER_OF_MEER = String.raw`[A-Z\u0080-\u{10FFFF}]`;
export const HOOFDLETTER_VOORAF = '(?=' + HOOFDLETTER_OF_MEER + ')';
export const VOORLETTER_VOORAF = '(?=' + HOOFDLETTER_OF_MEER + String.raw`J?\.)`;

export const VL = String.raw`(?:(?:IJ|\p{Lu})\.` + SP + '?){1,5}';

// Refuses a start right after a capitalised word part and a hyphen ("Aa-|Bb"):
// the start of that part already tried every such match, with the part in
// front. Only where that part could not start a match itself (one of the
// characters of class `geenBegin` stands before it) is the start kept. This
// keeps hyphenated runs linear, and a name after "oud-" still counts.
export function naKoppelteken(geenBegin) {
  return '(?<!(?<![' + geenBegin + '])' + WOORD_DEEL + '-)';
}

// The trailing look-ahead keeps a field label ("Naam:") from being a surname.
export const ACHTER = '(?:(?:De|Van|Ter|Ten|Den|Op|In)(?:' + SP + TV + ')*' + SP + ')?' + WOORD
  + '(?:-(?:' + TV + SP + ')*' + WOORD + String.raw`)?(?![\p{L}:])`;

// Deeds list every given name ("Johannes Petrus Maria Hendrikus van der
// Linden"). A longer run of name words than a name can hold is no name, so
// that a name never ends in front of another word of itself.
export const MAX_VOORNAMEN = 6;
export const NAAM = '(?:' + VL + ')?(?!(?:' + WOORD + SP + '){' + (MAX_VOORNAMEN + 1) + '}' + WOORD + ')(?:' + WOORD + SP
  + '){0,' + MAX_VOORNAMEN + '}(?:' + TV + SP + '|' + TV_GELIJMD + '){0,3}' + ACHTER;

export const PLAATSNAAM = String.raw`(?:'s[- ])?(?:(?:Den|De|Het|Ter|Sint|St\.)` + SP
  + String.raw`)?(?:IJ|[A-Z])[\p{L}'\-]+(?:` + SP + '(?:aan|op|in|bij|over|onder)(?:' + SP
  + "(?:den|de|der|het|'t))?" + SP + String.raw`(?:IJ|[A-Z])[\p{L}\-]+)?`;

export const STRAATWOORD = String.raw`(?:(?:IJ|[A-Z]|'[st])[\p{L}'.\-]*|van|de|der|den|het|'t|op|aan|bij|in|te|achter|over|onder|tegen|voor)`;

// The second form refuses "12 - 3000 Leuven": a Belgian postcode, not a range.
// The last three are a Belgian box ("12 bus 3", "12 Bus A", "12 bte. 3", "12
// b3", "12 B.3") and a floor ("12 hs").
export const REEKS = String.raw`(?:[-/][0-9A-Za-z]{1,4}(?![\p{L}\p{N}])|` + SP + '[-/]' + SP
  + String.raw`\d{1,4}(?![\p{L}\p{N}])(?!` + SP + String.raw`+\p{Lu})|` + SP + String.raw`(?:[Bb]us|[Bb]te\.?)` + SP
  + String.raw`(?:\d{1,4}[A-Za-z]?|[A-Z])(?![\p{L}\p{N}])|` + SP + String.raw`?[bB]\.?\d{1,4}(?![\p{L}\p{N}])|` + SP
  + String.raw`(?:hs|HS|zw|ZW)(?![\p{L}\p{N}]))?`;

// A house number with its letter and addition; the letter is no box's "b" ("45 b3", "45 B3").
export const HUISNUMMER = String.raw`\d{1,5}(?:` + SP + String.raw`?(?![bB]\.?\d)[A-Za-z](?![\p{L}]))?` + REEKS;

export const STRAAT = String.raw`((?:IJ|[A-Z]|'[st])[\p{L}'.\-]*(?:` + SP + STRAATWOORD + '){0,5}' + SP + HUISNUMMER + ')';

export const TITEL_STRAAT = String.raw`(?:(?:Koning|Koningin|Prins|Prinses|Graaf|Gravin|Hertog|Burgemeester|Generaal|Kardinaal|Pastoor|Dokter|Dr\.|Prof\.|Professor|Pater|Sint|St\.)`
  + SP + String.raw`(?:[A-Z][\p{L}.']*` + SP + '){0,2})?';

// After a field label: a colon (a mail in HTML puts a no-break space after
// it), or a run of blanks that holds a tab or starts with two blanks, as a
// form's layout has it ("Naam            K. Jansen", "Naam \tK. Jansen").
// The lookahead keeps it one run, so that a long run of blanks stays linear.
export const VELD_SCHEIDING = String.raw`(?:[ \t\u00A0]*:[ \t\u00A0]*|(?=[ \u00A0]*\t|[ \u00A0]{2})[ \t\u00A0]+)`;
export const VELD_LABEL = String.raw`(?<![\p{L}])(` + VELDNAMEN.map(hoofdletterVarianten).join('|') + ')';
export const VELD = VELD_LABEL + VELD_SCHEIDING;

// One of the words, not after a letter. The start is checked behind the
// word: a pattern that opens with a look-behind is tried at every position.
export const alleenstaand = (alternation) => '(?:' + alternation + String.raw`)(?<=(?<![\p{L}])(?:` + alternation + '))';
// Field labels as written with either case of their first letter, or in capitals.
export const veldLabels = (list) => alleenstaand(list.map(hoofdletterVarianten).join('|'));

export const AANHEF = String.raw`(?<![\p{L}])(?:[Dd]e heer|[Hh]eer|[Mm]evrouw|[Dd]hr\.?|[Mm]evr\.?|[Mm]w\.?|[Mm]r\.|[Dd]rs\.|[Ii]r\.|[Ii]ng\.|[Dd]r\.|[Pp]rof\.|[Nn]otaris|[Mm]eester|[Tt]\.a\.v\.?|[Tt]\.n\.v\.?|[Tt]en name van|[Ff]am(?:ilie)?\.?|[Oo]ndertekend door|[Oo]pgesteld door|[Bb]ehandeld door)[ \t]+`;

// One optional blank run per optional separator keeps long blank runs linear.
export const ONDERTEKENING = String.raw`(?:(?:[Mm]et )?(?:[Vv]riendelijke|[Hh]artelijke|[Cc]ollegiale) groet(?:en)?|[Hh]oogachtend)[ \t]*(?:,[ \t]*)?\n(?:[ \t]*\n){0,3}[ \t]*`;
