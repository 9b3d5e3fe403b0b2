// The leak check: a last look for personal data in what is copied.
import { A } from '../globals.js';
import { S } from '../session.js';
import { naamKandidaten, teltMee } from './telt.js';
import { teKopieren } from './tekst.js';

const MAX_KANDIDATEN = 15;
const isPlaceholder = (v) => /^\[.*\]$/s.test(v);

// Everything a copy button can put on the clipboard, the instruction included.
export const controleVan = (ai) => controle(teKopieren(ai, true), ai);

// `ai` adds what only the text's making knows: the documents' names in it,
// and the surname pairs the replacement left alone.
export function controle(tekst, ai = {}) {
  const core = A();
  const telt = teltMee();
  const gezien = new Set();
  const nieuw = (h) => {
    if (isPlaceholder(h.value) || !telt(h.value)) return false;
    const sleutel = `${h.cat}\u0000${h.value}`;
    return !gezien.has(sleutel) && gezien.add(sleutel);
  };
  const uniekRest = core.detect(tekst).filter(nieuw);
  // Known values in another letter case; in file names also single words.
  const anders = [...core.andersGeschreven(tekst, S.ents), ...core.andersGeschreven((ai.namen ?? []).join('\n'), S.ents, true)];
  for (const { ent, deel } of anders) {
    const hit = { cat: ent.cat, value: deel };
    if (nieuw(hit)) uniekRest.push(hit);
  }
  const kandidaten = naamKandidaten(tekst, ai.geweigerd);
  const kand = kandidaten.filter(telt).slice(0, MAX_KANDIDATEN);
  // A part that is a word of a candidate belongs to that name, whether the
  // candidate is shown or not: "Kuipers" of "Ruud Kuipers" is no loose part of
  // "Kuipers Bouw B.V.", and "Ook vervangen" must not make it a form of that;
  // nor is "Kuipers" of "Ruud Kuipers-Jansen".
  const kandWoorden = new Set(kandidaten.flatMap((k) => k.split(' ').flatMap((w) => [w, ...w.split('-')])));
  const los = core.losseDelen(tekst, S.ents).filter((l) => telt(l.deel) && !kandWoorden.has(l.deel));
  const losDelen = new Set(los.map((l) => l.deel));
  const bijna = core.bijnaNamen(tekst, S.ents).filter((b) => telt(b.deel) && !losDelen.has(b.deel));
  return {
    uniekRest, los, kand, bijna,
    rest: uniekRest.length,
    aantalLos: los.length + bijna.length,
    aantalKand: kand.length,
  };
}
