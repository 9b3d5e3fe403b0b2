// Name completion in the follow-up field: the words being typed, completed
// from the dossier's names, places and addresses.
import { telAlles } from '../matchers.js';
import { S } from '../session.js';

const SOORTEN = new Set(['PERSOON', 'BEDRIJF', 'PLAATS', 'ADRES']);
const RE_STUK = /(?:^|[\s("“'])(\p{L}[\p{L}.'-]*(?: \p{L}[\p{L}.'-]*){0,2})$/u;
const MAX_HITS = 6;
const MAX_DOSSIER = 10;

// The last one to three words right before the caret, or ''.
export function vervolgWoord(voorCaret) {
  return RE_STUK.exec(voorCaret)?.[1] ?? '';
}

function hitsVoor(poging, ents) {
  const begin = poging.toLowerCase();
  const gezien = new Set();
  const hits = [];
  for (const ent of ents) {
    for (const v of ent.variants) {
      const klein = v.toLowerCase();
      if (klein.startsWith(begin) && klein !== begin && !gezien.has(v)) {
        gezien.add(v);
        hits.push({ ent, tekst: v });
      }
    }
  }
  return hits.sort((a, b) => b.tekst.length - a.tekst.length).slice(0, MAX_HITS);
}

export function vervolgSuggesties(stuk) {
  const ents = S.ents.filter((e) => e.active && SOORTEN.has(e.cat));
  if (stuk.length >= 2) {
    const woorden = stuk.split(' ');
    for (let k = Math.min(3, woorden.length); k >= 1; k--) {
      const poging = woorden.slice(-k).join(' ');
      if (poging.length < 2) continue;
      const hits = hitsVoor(poging, ents);
      if (hits.length) return { stuk: poging, hits };
    }
  }
  const telling = telAlles();
  const vaakst = [...ents].sort((a, b) => (telling[b.id] ?? 0) - (telling[a.id] ?? 0)).slice(0, MAX_DOSSIER);
  return { stuk: '', hits: vaakst.map((ent) => ({ ent, tekst: ent.value })) };
}
