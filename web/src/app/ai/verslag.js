// The report for the client's file: what was replaced, when and with which
// version. It holds counts only: never a value, a placeholder or the dossier name.
import { A } from '../globals.js';
import { S } from '../session.js';
import { controleVan } from './controle.js';
import { aiTekst } from './tekst.js';

const KOP = 19;
const twee = (n) => String(n).padStart(2, '0');

function versie(status) {
  if (status?.versie) return String(status.versie);
  return (document.getElementById('app-versie')?.textContent || '').trim().replace(/^v/, '');
}

function uitvoering(status) {
  if (!status) return ' (online versie, verwerking in de browser)';
  return status.store === true ? ' (Windows-app, Microsoft Store)' : ' (Windows-app)';
}

// Per category in table order: entities replaced at least once and their replacements.
function vervangenPerSoort(counts) {
  const cats = A().CATS;
  const per = new Map(Object.keys(cats).map((cat) => [cat, { n: 0, keer: 0 }]));
  for (const e of S.ents) {
    if (e.active && counts[e.id] > 0) {
      const p = per.get(e.cat);
      p.n += 1;
      p.keer += counts[e.id];
    }
  }
  const regels = [...per].filter(([, p]) => p.n > 0).map(([cat, { n, keer }]) =>
    `  ${`${cats[cat].label}:`.padEnd(20)}${n}${n === 1 ? ' gegeven, ' : ' gegevens, '}${keer} keer`);
  return regels.length ? regels : ['  (geen)'];
}

// Switched-off entities per category, in the order their categories first occur.
function bewustNiet() {
  const per = new Map();
  for (const e of S.ents) if (!e.active) per.set(e.cat, (per.get(e.cat) ?? 0) + 1);
  return [...per].map(([cat, n]) => `${A().CATS[cat]?.label ?? cat} ${n}`).join(', ') || 'geen';
}

function controleRegel(c) {
  const resten = c.rest + c.aantalLos;
  const kern = resten ? `${resten} mogelijke resten gemeld` : 'geen herkenbare gegevens meer gevonden';
  return `Controle vóór kopiëren: ${kern}${c.aantalKand ? `, ${c.aantalKand} woorden die op een naam lijken ter controle getoond` : ''}`;
}

export function verslag(nu = new Date()) {
  const status = globalThis.ANON_STATUS ?? null;
  const ai = aiTekst('alle');
  const { counts } = ai;
  const c = controleVan(ai);
  const v = versie(status);
  const datum = `${twee(nu.getDate())}-${twee(nu.getMonth() + 1)}-${nu.getFullYear()} ${twee(nu.getHours())}:${twee(nu.getMinutes())}`;
  const jaarMee = S.geboortejaar && S.ents.some((e) => e.active && e.cat === 'GEBDATUM' && counts[e.id] > 0);
  return [
    'Verantwoording anonimisering',
    '',
    `${'Hulpmiddel:'.padEnd(KOP)}Drovel Verhulzen ${v ? `v${v}` : ''}${uitvoering(status)}`,
    `${'Datum:'.padEnd(KOP)}${datum}`,
    `${'Documenten:'.padEnd(KOP)}${S.docs.length}`,
    'Uitgevoerd door:'.padEnd(KOP),
    '',
    'Vervangen door placeholders (soort: aantal gegevens, aantal keer in de tekst):',
    ...vervangenPerSoort(counts),
    '',
    `Bewust niet vervangen: ${bewustNiet()}`,
    ...(jaarMee ? ['Geboortejaar bewust meegegeven in de placeholder (voor leeftijdsafhankelijke regels).'] : []),
    controleRegel(c),
    '',
    'Werkwijze: gegevens zijn lokaal op de pc vervangen door placeholders vóór de tekst aan een AI-dienst werd gegeven.',
    'De koppeling tussen placeholders en echte gegevens staat alleen in het sleutelbestand in het klantdossier.',
    'Dit verslag bevat bewust geen gegevens uit de documenten en geen dossiernaam.',
  ].join('\n');
}
