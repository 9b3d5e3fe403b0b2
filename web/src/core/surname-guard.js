// A person's surname on its own is a weak form: "Van Leeuwen Accountants" is
// a firm, "Sanne Bakker" another person than G. Bakker. Such a form is not
// replaced where a firm word follows it or where a capitalised name word
// that is not the person's own, or a placeholder, stands right before it; the
// leak check offers that pair as a name to check instead.
import { SP, WOORD } from './building-blocks.js';
import { escRe, normText } from './normalise.js';
import { HOOFD_TV, INSTELLING_BEGIN, STOPWOORDEN } from './vocabulary.js';
import { KANTOORWOORD, RECHTSVORM_AFKORTING } from './words.js';

// Capitalised words that announce a person rather than name another one.
const AANKONDIGING = [
  'Allen', 'Collega', 'Relatie', 'Klant', 'Client', 'Dames', 'Heren', 'Lezer', 'Team', 'Familie', 'Fam',
  'Meester', 'Dokter', 'Wijlen', 'Weduwe', 'Echtgenoot', 'Echtgenote', 'Zoon', 'Dochter', 'Broer', 'Zus',
  'Vader', 'Moeder', 'Erfgenaam', 'Bestuurder', 'Directeur', 'Vennoot', 'Aandeelhouder', 'Werknemer',
  'Werkgever', 'Huurder', 'Verhuurder', 'Koper', 'Verkoper', 'Schenker', 'Begiftigde', 'Beste', 'Hallo',
];
// Words that open a sentence, a question or a file note ("Gisteren Bakker
// gebeld", "Kan Bakker schenken?"), and titles written without their dot.
const ZINSBEGIN = [
  'Kan', 'Kunnen', 'Kunt', 'Heeft', 'Hebben', 'Heb', 'Had', 'Hadden', 'Is', 'Zijn', 'Ben', 'Bent', 'Was',
  'Waren', 'Wordt', 'Worden', 'Werd', 'Wil', 'Willen', 'Wilt', 'Moet', 'Moeten', 'Zal', 'Zullen', 'Zou',
  'Zouden', 'Mag', 'Mogen', 'Gaat', 'Gaan', 'Komt', 'Komen', 'Krijgt', 'Doet', 'Weet', 'Staat', 'Blijft',
  'Betaalt', 'Erft', 'Ontvangt', 'Woont', 'Werkt', 'Schenkt', 'Verkoopt', 'Koopt', 'Belt', 'Bel', 'Stuur',
  'Vraag', 'Waarom', 'Welke', 'Welk', 'Hoeveel', 'Mijn', 'Onze', 'Ons', 'Haar', 'Hun', 'Dag', 'Hoi',
  'Goedemorgen', 'Goedemiddag', 'Goedenavond', 'Bedankt', 'Dank', 'Groeten', 'Meneer', 'Mijnheer', 'Oom',
  'Tante', 'Opa', 'Oma', 'Neef', 'Nicht', 'Toch', 'Inmiddels', 'Intussen', 'Ondertussen', 'Momenteel',
  'Destijds', 'Vroeger', 'Eigenlijk', 'Iedereen', 'Niemand', 'Zelf',
  'Gisteren', 'Eergisteren', 'Vandaag', 'Morgen', 'Overmorgen', 'Vanochtend', 'Vanmorgen', 'Vanmiddag',
  'Vanavond', 'Zojuist', 'Net', 'Straks', 'Later', 'Eerder', 'Eerst', 'Nog', 'Zowel', 'Alleen', 'Zelfs',
  'Samen', 'Ofwel', 'Noch', 'Zodra', 'Nadat', 'Voordat', 'Terwijl', 'Hoewel', 'Aangezien', 'Tegen',
  'Vorige', 'Afgelopen', 'Komende', 'Volgende', 'Dossier', 'Zaak', 'Cliënte', 'Contact', 'Gesprek',
  'Notitie', 'Afspraak', 'Mail', 'Brief', 'Mw', 'Mevr', 'Dhr', 'Hr', 'Mr', 'Dr', 'Drs', 'Ir', 'Ing', 'Prof',
  'Maandag', 'Dinsdag', 'Woensdag', 'Donderdag', 'Vrijdag', 'Zaterdag', 'Zondag',
  'Januari', 'Februari', 'Maart', 'April', 'Mei', 'Juni', 'Juli', 'Augustus', 'September', 'Oktober',
  'November', 'December',
];
const NIET_ANDERE_NAAM = [...new Set([...STOPWOORDEN, ...HOOFD_TV, ...INSTELLING_BEGIN, ...AANKONDIGING, ...ZINSBEGIN])]
  .map(escRe).join('|');

const FIRMAWOORD = KANTOORWOORD.source.replace(/\$$/, '') + '|' + RECHTSVORM_AFKORTING + '|CV|Holding|Beheer';

// The first names of person `ent` when `form` is its surname alone, else null.
export function ownNamesIfSurname(ent, form) {
  if (ent.cat !== 'PERSOON') return null;
  const value = normText(ent.value).split(' ');
  const words = normText(form).toLowerCase().split(' ');
  if (words.length >= value.length) return null;
  const tail = value.slice(-words.length);
  if (tail.some((w, i) => w.toLowerCase() !== words[i])) return null;
  return value.slice(0, -words.length);
}

// Conditions before and after the surname's pattern (pattern source).
export function surnameGuard(own) {
  const excluded = [NIET_ANDERE_NAAM, ...own.map(escRe)].join('|');
  return {
    before: String.raw`(?<!(?<![\p{L}\p{N}])(?!(?:` + excluded + ')' + SP + ')' + WOORD + SP + String.raw`|\]` + SP + ')',
    after: '(?!' + SP + '(?:' + FIRMAWOORD + String.raw`)(?![\p{L}\p{N}]))`,
  };
}

// The pair a guard refused, for the leak check: the name word before the
// surname with it, or the surname with the firm word after it.
const RE_FIRMA_NA = new RegExp(SP + '(?:' + FIRMAWOORD + String.raw`)(?![\p{L}\p{N}])`, 'uy');
const RE_WOORD_VOOR = new RegExp('(?:' + WOORD + ')' + SP + '$', 'u');

export function refusedPair(text, start, end) {
  RE_FIRMA_NA.lastIndex = end;
  const firma = RE_FIRMA_NA.exec(text);
  if (firma) return text.slice(start, end + firma[0].length);
  const voor = RE_WOORD_VOOR.exec(text.slice(Math.max(0, start - 80), start));
  return voor ? voor[0] + text.slice(start, end) : text.slice(start, end);
}
