// The leak check: a last look for personal data in the outgoing text.
import { A } from '../globals.js';
import { S } from '../session.js';
import { alleVarianten, teltMee } from './telt.js';

const MAX_KANDIDATEN = 15;
const isPlaceholder = (v) => /^\[.*\]$/s.test(v);

export function controle(tekst) {
  const core = A();
  const telt = teltMee();
  const gezien = new Set();
  const uniekRest = core.detect(tekst).filter((h) => {
    if (isPlaceholder(h.value) || !telt(h.value)) return false;
    const sleutel = `${h.cat}\u0000${h.value}`;
    return !gezien.has(sleutel) && gezien.add(sleutel);
  });
  const kand = core.kandidaten(tekst, alleVarianten()).filter(telt).slice(0, MAX_KANDIDATEN);
  // A part that is a word of a shown candidate belongs to that candidate.
  const kandWoorden = new Set(kand.flatMap((k) => k.split(' ')));
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
