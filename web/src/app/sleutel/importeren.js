// Merging a key file's entries into the session, and the conflicts that stop it.
import { A } from '../globals.js';
import { vormenBijgewerkt, zoekLabel } from '../ent-index.js';
import { scan, zoekEnt } from '../entities.js';
import { S, volgendId } from '../session.js';
import { sleutelCounters } from './bestand.js';

// An entry whose value is here under another label, or whose label means
// another value here: a placeholder would silently change its meaning.
export function conflicten(lijst) {
  const uit = [];
  for (const e of lijst) {
    const hier = zoekEnt(e.cat, e.value);
    if (hier) {
      if (hier.label !== e.label) uit.push(`"${e.value}" is hier [${hier.label}], in het bestand [${e.label}]`);
      continue;
    }
    const bezet = zoekLabel(e.label);
    if (bezet) uit.push(`[${e.label}] is hier "${bezet.value}", in het bestand "${e.value}"`);
  }
  return uit;
}

function verhoog(prefix, n) {
  if (n > (S.counters[prefix] || 0)) S.counters[prefix] = n;
}

// New labels made later never repeat a label of the file, whatever its counters say.
function neemCountersOver(inhoud, lijst) {
  for (const [prefix, n] of sleutelCounters(inhoud)) verhoog(prefix, n);
  for (const { label } of lijst) {
    const m = /^(.*?)(?:_(\d+))?$/.exec(label);
    verhoog(m[1], m[2] ? Number(m[2]) : 0);
  }
}

// Returns how many entities the file and the new scan of the documents added.
// Does not save: the caller runs the change routine.
export function importeer(inhoud, lijst) {
  neemCountersOver(inhoud, lijst);
  let geladen = 0;
  for (const e of lijst) {
    const hier = zoekEnt(e.cat, e.value);
    if (hier) {
      hier.variants = A().dedupe(hier.cat, [...hier.variants, ...e.variants]);
      vormenBijgewerkt(hier);
      continue;
    }
    const ent = {
      id: volgendId(),
      cat: e.cat,
      label: e.label,
      value: e.value,
      variants: A().dedupe(e.cat, [e.value, ...e.variants]),
      active: e.active,
      auto: false,
    };
    S.ents.push(ent);
    geladen += 1;
  }
  if (!S.dossier && typeof inhoud.dossier === 'string' && inhoud.dossier) S.dossier = inhoud.dossier;
  return { geladen, gevonden: scan(S.docs) };
}
