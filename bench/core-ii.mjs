// Speed of name and address detection, restoring, the checks and the
// markdown conversion. Run by hand:
//   node bench/core-ii.mjs
import { detect } from '../web/src/core/detect.js';
import { personenMetLabel, personenZonderLabel } from '../web/src/core/names.js';
import { adressen, belgischeAdressen } from '../web/src/core/addresses.js';
import { restore, segmentsToText } from '../web/src/core/restore.js';
import {
  andersGeschreven, bijnaNamen, kandidaten, losseDelen,
} from '../web/src/core/checks.js';
import { blocksToMarkdown, markdownToHtml, markdownToPlain } from '../web/src/core/markdown.js';
import { suggestVariants } from '../web/src/core/variants.js';
import { bestOf } from './best-of.mjs';

const VOORNAMEN = ['Karel', 'Lotte', 'Pieter', 'Anna', 'Joost', 'Sanne', 'Willem', 'Eva', 'Maarten', 'Femke'];
const ACHTERNAMEN = ['Dekker', 'van Dam', 'de Vries', 'Jansen', 'Bakker', 'Visser', 'ter Horst', 'Peeters', 'de Wit'];
const STRATEN = ['Kerkstraat', 'Dorpsweg', 'Laan van Meerdervoort', 'Kouter', 'Molenlaan', 'Koning Albertlaan'];

let seed = 11;
const rnd = (n) => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed % n;
};
const pick = (list) => list[rnd(list.length)];
const naam = () => pick(VOORNAMEN) + ' ' + pick(ACHTERNAMEN);

function stuk() {
  const straat = pick(STRATEN) + ' ' + (1 + rnd(200));
  return [
    `${naam()}\nT.a.v. de heer ${pick('JKLMP')}. ${pick(ACHTERNAMEN)}\n${straat}\n${1000 + rnd(9000)} AB  Utrecht`,
    `Geachte mevrouw ${pick(ACHTERNAMEN)},`,
    `Naar aanleiding van ons gesprek met de heer ${pick('JKLMP')}.${pick('ABC')}. ${pick(ACHTERNAMEN)} en mevrouw `
      + `${naam()} sturen wij u de aangifte. Volgens ${naam()} heeft de Raad van State bevestigd dat de Kamer van `
      + `Koophandel en het Ministerie van Financiën de regeling van de Wet op de inkomstenbelasting juist toepassen.`,
    `Naam belastingplichtige: ${naam()}\nNaam fiscale partner: ${naam()}\nKinderen: ${naam()}, ${naam()} en ${naam()}\n`
      + `Adres: ${straat}, ${1000 + rnd(9000)} CD Haarlem`,
    `Erfgenamen: ${naam()} en mevrouw ${naam()}\nMevrouw A. Peeters\nKouter ${1 + rnd(90)}\n9000 Gent\nBelgië\n`
      + `Koning Albertlaan ${1 + rnd(90)} - 2000 Antwerpen`,
    `DE HEER J. VAN DAM\nKERKSTRAAT ${1 + rnd(90)}\n${1000 + rnd(9000)} EF AMSTERDAM`,
    `Met vriendelijke groet,\n\n${naam()}\n`,
  ].join('\n\n');
}

function tekst(size) {
  const parts = [];
  let length = 0;
  while (length < size) {
    const part = stuk();
    parts.push(part);
    length += part.length + 2;
  }
  return parts.join('\n\n').slice(0, size);
}

const MB = 1 << 20;
const line = (label, ms, bytes) => console.log(
  label.padEnd(44), `${ms.toFixed(0).padStart(6)} ms`, bytes ? `${(bytes / MB / (ms / 1000)).toFixed(1).padStart(7)} MB/s` : '',
);

const doc = tekst(MB);
detect(doc.slice(0, 50000));

console.log('Detection of Dutch office text');
for (const size of [MB / 4, MB / 2, MB, 2 * MB]) {
  const text = tekst(size);
  const { ms, result } = bestOf(() => detect(text));
  line(`detect ${(size / MB).toFixed(2)} MB (${result.length} hits)`, ms, size);
}
for (const [name, fn] of Object.entries({ personenMetLabel, personenZonderLabel, adressen, belgischeAdressen })) {
  line(`  ${name} 1 MB`, bestOf(() => fn(doc)).ms, MB);
}

// An answer of 1 MB holding 1000 placeholders, some rewritten by the assistant.
const entities = Array.from({ length: 250 }, (_, i) => {
  const cat = ['PERSOON', 'ADRES', 'GEBDATUM', 'KIND'][i % 4];
  const value = cat === 'GEBDATUM' ? `1${i % 9}-03-19${50 + (i % 50)}` : `${naam()} ${i}`;
  return { id: i + 1, cat: cat === 'KIND' ? 'PERSOON' : cat, label: `${cat}_${i + 1}`, value, active: true };
});
const FORMS = [(l) => `[${l}]`, (l) => `[${l.toLowerCase()}]`, (l) => `\\[${l.replace('_', '\\_')}\\]`, (l) => l.replace('_', ' ')];
function antwoord(size, placeholders) {
  const filler = 'De aangifte is ingediend en de aanslag wordt binnen acht weken verwacht. ';
  const gap = Math.floor(size / placeholders);
  let out = '';
  for (let i = 0; i < placeholders; i++) {
    out += filler.repeat(Math.ceil(gap / filler.length)).slice(0, gap - 20) + ' ' + FORMS[i % 4](entities[i % 250].label) + ' ';
  }
  return out.slice(0, size);
}

console.log('\nRestoring an answer with 1000 placeholders per MB');
for (const size of [MB / 2, MB, 2 * MB]) {
  const answer = antwoord(size, Math.round(1000 * size / MB));
  const { ms, result } = bestOf(() => segmentsToText(restore(answer, entities).segments));
  line(`restore ${(size / MB).toFixed(1)} MB`, ms, size);
  if (result.length < size / 2) throw new Error('restore lost text');
}

console.log('\nChecks before copying, 1 MB');
const checkEntities = Array.from({ length: 200 }, (_, i) => {
  const value = i % 2 ? `${naam()}${i}` : `Straatweg${i} ${i}`;
  const cat = i % 2 ? 'PERSOON' : 'ADRES';
  return { id: i + 1, cat, label: `${cat}_${i + 1}`, value, variants: suggestVariants(cat, value), active: true };
});
line('losseDelen', bestOf(() => losseDelen(doc, checkEntities)).ms, MB);
line('bijnaNamen', bestOf(() => bijnaNamen(doc, checkEntities)).ms, MB);
line('kandidaten', bestOf(() => kandidaten(doc, checkEntities.map((e) => e.value))).ms, MB);
line('andersGeschreven', bestOf(() => andersGeschreven(doc, checkEntities)).ms, MB);

console.log('\nMarkdown');
const blocks = doc.split('\n\n').map((text, i) => (i % 5 === 4
  ? { t: 'table', rows: text.split('\n').map((row) => row.split(' ').slice(0, 4)) }
  : { t: i % 7 ? 'p' : 'h', level: 2, text }));
const md = blocksToMarkdown(blocks);
line(`blocksToMarkdown (${(md.length / MB).toFixed(2)} MB out)`, bestOf(() => blocksToMarkdown(blocks)).ms, md.length);
for (const factor of [0.5, 1, 2]) {
  const input = (md + '\n\n- punt **vet** en *schuin*\n  - dieper\n> citaat\n').repeat(Math.ceil(factor * 2)).slice(0, factor * MB);
  line(`markdownToHtml ${factor} MB`, bestOf(() => markdownToHtml(input)).ms, input.length);
}
line('markdownToPlain 1 MB', bestOf(() => markdownToPlain(md.slice(0, MB))).ms, MB);
