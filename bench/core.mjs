// Speed of detection and replacement on Dutch office text. Run by hand:
//   node bench/core.mjs
import { detect } from '../web/src/core/detect.js';
import { anonymize, buildMatcher } from '../web/src/core/matcher.js';
import { suggestVariants } from '../web/src/core/variants.js';
import { elfproef } from '../web/src/core/numbers.js';

const VOORNAMEN = ['Karel', 'Lotte', 'Pieter', 'Anna', 'Joost', 'Sanne', 'Willem', 'Eva', 'Maarten', 'Femke',
  'Hendrik', 'Ilse', 'Bram', 'Noor', 'Daan', 'Marieke', 'Thijs', 'Lieke', 'Ruud', 'Ingrid'];
const ACHTERNAMEN = ['Dekker', 'van Dam', 'de Vries', 'Jansen', 'Bakker', 'Visser', 'Smit', 'Meijer', 'de Boer',
  'Mulder', 'de Groot', 'Bos', 'Vos', 'Peters', 'Hendriks', 'van Leeuwen', 'Dijkstra', 'Brouwer', 'de Wit',
  'van der Berg', 'Kok', 'Jacobs', 'Vermeulen', 'van den Heuvel', 'Schouten', 'Willems', 'Hoekstra'];
const PLAATSEN = ['Amsterdam', 'Utrecht', 'Zwolle', 'Den Haag', "'s-Hertogenbosch", 'Alphen aan den Rijn', 'Leuven'];
const STRATEN = ['Kerkstraat', 'Dorpsweg', 'Stationsplein', 'Prinsengracht', 'Molenlaan', 'Van Goghstraat'];

let seed = 7;
const rnd = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
const pick = (list) => list[rnd(list.length)];
const digits = (n) => Array.from({ length: n }, () => rnd(10)).join('');
function bsn() {
  for (;;) { const d = digits(9); if (elfproef(d)) return d; }
}

function paragraaf() {
  const naam = pick(VOORNAMEN) + ' ' + pick(ACHTERNAMEN);
  const partner = pick(VOORNAMEN) + ' ' + pick(ACHTERNAMEN);
  const straat = pick(STRATEN) + ' ' + (1 + rnd(200));
  const postcode = (1000 + rnd(9000)) + ' ' + pick(['AB', 'CD', 'EK', 'LM', 'XZ']);
  return [
    `Geachte heer ${naam.split(' ').slice(1).join(' ')},`,
    `Hierbij ontvangt u de concept-aangifte inkomstenbelasting over 2023 van uw fiscale partner ${partner}. `
      + `Wij hebben de gegevens van de Belastingdienst vooraf ingevuld en gecontroleerd aan de hand van de jaaropgaven `
      + `die u ons heeft toegestuurd. De hypotheekrente voor de woning aan de ${straat}, ${postcode} ${pick(PLAATSEN)} `
      + `is volledig in aftrek gebracht; de WOZ-waarde bedraagt € ${rnd(900)}.000.`,
    `Naam: ${naam}\nBSN: ${bsn()}\nIBAN: NL${digits(2)} ABNA ${digits(4)} ${digits(4)} ${digits(2)}\n`
      + `Telefoon: 06-${digits(8)}\nE-mail: ${naam.split(' ')[0].toLowerCase()}@voorbeeld.nl`,
    `De vennootschap ${pick(ACHTERNAMEN).replace(/^\w/, (c) => c.toUpperCase())} Bouw B.V., ingeschreven bij de KvK onder nummer `
      + `${digits(8)}, heeft over het boekjaar een resultaat behaald van € ${rnd(500)}.${digits(3)}. Het btw-nummer is `
      + `NL${bsn()}B01. Het dividend wordt uitgekeerd aan de aandeelhouders na vaststelling van de jaarrekening door de `
      + `algemene vergadering, zoals de statuten voorschrijven. Wij verzoeken u de stukken vóór 1 mei te ondertekenen.`,
    `Mocht u nog vragen hebben, dan horen wij dat graag. U kunt ons bereiken op 020-${digits(7)} of via www.kantoor-${rnd(99)}.nl.`,
    `Met vriendelijke groet,\n\nmr. ${pick(VOORNAMEN)[0]}. ${pick(ACHTERNAMEN)}\nBelastingadviseur`,
  ].join('\n\n');
}

function tekst(bytes) {
  const parts = [];
  let size = 0;
  while (size < bytes) { const p = paragraaf(); parts.push(p); size += p.length + 2; }
  return parts.join('\n\n').slice(0, bytes);
}

function time(fn) {
  const t0 = performance.now();
  const result = fn();
  return { ms: performance.now() - t0, result };
}

const STAMMEN = ['Ber', 'Dek', 'Jan', 'Hoek', 'Mul', 'Vis', 'Bak', 'Brou', 'Kui', 'Wil', 'Smeu', 'Gro'];
const EINDEN = ['ker', 'sen', 'stra', 'der', 'man', 'ers', 'ink', 'hof', 'ing', 'ema', 'ens'];
const PARTIKELS = ['', 'van ', 'de ', 'van der ', 'van den '];

// Persons of the text first (every pairing of its first and last names),
// then made-up ones, with some accounts, phone numbers and companies.
function entities(n) {
  const namen = VOORNAMEN.flatMap((v) => ACHTERNAMEN.map((a) => `${v} ${a}`));
  const list = [];
  for (let i = 0; i < n; i++) {
    let cat = 'PERSOON';
    let value = namen[i] ?? `${pick(VOORNAMEN)} ${pick(PARTIKELS)}${pick(STAMMEN)}${pick(EINDEN)}`;
    if (i % 10 === 7) { cat = 'IBAN'; value = `NL${digits(2)} RABO ${digits(4)} ${digits(4)} ${digits(2)}`; }
    if (i % 10 === 8) { cat = 'TELEFOON'; value = `06 ${digits(8)}`; }
    if (i % 10 === 9) { cat = 'BEDRIJF'; value = `${pick(STAMMEN)}${pick(EINDEN)} ${i} Holding B.V.`; }
    list.push({ id: i + 1, cat, label: `${cat}_${i + 1}`, value, variants: suggestVariants(cat, value), active: true });
  }
  return list;
}

const MB = 1 << 20;
const doc = tekst(MB);
detect(doc.slice(0, 50000));

console.log('detect');
for (const fraction of [0.25, 0.5, 1]) {
  const { ms, result } = time(() => detect(doc.slice(0, fraction * MB)));
  console.log(`  ${fraction} MB: ${ms.toFixed(0)} ms, ${result.length} hits`);
}
const full = time(() => detect(doc));
console.log(`  ${(1000 / full.ms).toFixed(2)} MB/s`);

console.log('anonymize 1 MB');
for (const n of [10, 100, 1000, 5000]) {
  const built = time(() => buildMatcher(entities(n)));
  const run = time(() => anonymize(doc, built.result, {}));
  console.log(`  ${n} entities: build ${built.ms.toFixed(0)} ms, replace ${run.ms.toFixed(0)} ms, ${(1000 / run.ms).toFixed(1)} MB/s`);
}

console.log('detect, 100 000 characters of pathological input');
const N = 100000;
const PATHOLOGISCH = {
  'one letter': 'a'.repeat(N),
  'one capital': 'A'.repeat(N),
  'capitalised words': 'Jan '.repeat(N / 4),
  'capitalised words without blanks': 'Jan'.repeat(N / 3),
  'initials': 'J. '.repeat(N / 3),
  'initials without blanks': 'J.'.repeat(N / 2),
  'digits': '1'.repeat(N),
  'digits and blanks': '1 '.repeat(N / 2),
  'digits and dots': '1.'.repeat(N / 2),
  'particles': 'van de '.repeat(N / 7),
  'dots': '.'.repeat(N),
  'labels': 'naam: '.repeat(N / 6),
  'hyphenated words': 'Jan-'.repeat(N / 4),
  'street words': 'Kerkstraat '.repeat(N / 11),
  'domains': 'a.'.repeat(N / 2),
  'mail': 'a@'.repeat(N / 2),
  'capitals and blanks': 'AB '.repeat(N / 3),
  'lines': 'Jan\n'.repeat(N / 4),
  'greeting lines': 'Met vriendelijke groet,\n'.repeat(N / 24),
  'no-break spaces': 'Jan\u00A0'.repeat(N / 4),
  'te and words': 'te Amsterdam '.repeat(N / 13),
  'legal forms': 'De B.V. '.repeat(N / 8),
  'surrogates': '\uD800'.repeat(N),
  'VAT keywords': 'btw'.repeat(N / 3),
  'titles': 'Prins '.repeat(N / 6),
  'initials and dots': 'A.'.repeat(N / 2),
  'capitalised words and a title': 'Prins Willem '.repeat(N / 13),
};
let worst = 0;
for (const [name, input] of Object.entries(PATHOLOGISCH)) {
  const { ms } = time(() => detect(input));
  worst = Math.max(worst, ms);
  if (ms > 100) console.log(`  ${name}: ${ms.toFixed(0)} ms`);
}
console.log(`  slowest: ${worst.toFixed(0)} ms`);

// A short number is found by what stands around it: a label before it, a
// place after it, or nothing else in its cell; each behind a long blank run.
console.log('anonymize, a short number behind or before 100 000 blanks');
const kort = buildMatcher([['POSTCODE', '1000'], ['KENMERK', '1250']].map(([cat, value], i) => ({
  id: i, cat, label: `${cat}_1`, value, variants: [value], active: true,
})));
let traagst = 0;
for (const blank of [' ', '\t', '\u00A0']) {
  const run = blank.repeat(N);
  for (const input of ['Postcode' + run + '1000', 'Postcode:' + run + '1250', run + '1000' + run, 'art.' + run + '1250 euro']) {
    traagst = Math.max(traagst, time(() => anonymize(input, kort, {})).ms);
  }
}
console.log(`  slowest: ${traagst.toFixed(0)} ms`);

// A surname before a firm word makes the guard ask detection about it.
console.log('anonymize, 100 000 characters of surnames the guard looks at');
const bewaakt = buildMatcher(entities(100));
for (const [name, input] of Object.entries({
  'surname and legal form': 'Dekker B.V. '.repeat(N / 12),
  'surname and office word': 'Dekker Accountants '.repeat(N / 19),
  'first name and surname': 'Sanne Dekker '.repeat(N / 13),
  'surname and first name': 'DEKKER Sanne '.repeat(N / 13),
})) {
  const { ms } = time(() => anonymize(input, bewaakt, {}));
  console.log(`  ${name}: ${ms.toFixed(0)} ms`);
}
