// The key file's plain content, its file name, and reading a chosen file back.
import { A } from '../globals.js';
import { SLEUTEL_TYPE } from './envelope.js';

const VERBODEN = /[\\/:*?"<>|]+/g;
// Labels are placeholder names: anything else would break the placeholders.
const LABEL = /^[A-Z0-9_]+$/;

export function sleutelInhoud(sessie, nu = new Date()) {
  return {
    type: SLEUTEL_TYPE,
    versie: 1,
    dossier: sessie.dossier || '',
    opgeslagen: nu.toISOString(),
    counters: sessie.counters,
    entiteiten: sessie.ents.map(({ cat, label, value, variants, active }) => ({ cat, label, value, variants, active })),
  };
}

// One member or list element per line, one space of indent per level.
export const alsBestand = (obj) => JSON.stringify(obj, null, 1);

export function bestandsnaam(dossier, nu = new Date()) {
  const naam = (dossier || 'dossier').replace(VERBODEN, ' ').trim();
  return `sleutel ${naam} ${nu.toISOString().slice(0, 10)}.json`;
}

const isObject = (x) => Boolean(x) && typeof x === 'object' && !Array.isArray(x);

// The parsed file, or the message that tells why it is none.
export function leesSleutelbestand(tekst) {
  let obj;
  try {
    obj = JSON.parse(tekst);
  } catch {
    return { fout: 'Dit is geen geldig sleutelbestand.' };
  }
  if (!isObject(obj) || obj.type !== SLEUTEL_TYPE) return { fout: 'Dit is geen sleutelbestand van Drovel Verhulzen.' };
  if (obj.versie !== 1) return { fout: 'Dit sleutelbestand heeft een versie die dit programma niet kent.' };
  return { obj };
}

function geldig(e) {
  return isObject(e) && typeof e.cat === 'string' && Object.hasOwn(A().CATS, e.cat)
    && typeof e.label === 'string' && LABEL.test(e.label)
    && typeof e.value === 'string' && A().normText(e.value) !== '';
}

// The entries of the content that can be imported, each with its written
// forms as strings; `overgeslagen` counts the others.
export function sleutelEntries(inhoud) {
  const alle = Array.isArray(inhoud.entiteiten) ? inhoud.entiteiten : [];
  const lijst = alle.filter(geldig).map((e) => ({
    cat: e.cat,
    label: e.label,
    value: e.value,
    variants: Array.isArray(e.variants) ? e.variants.filter((v) => typeof v === 'string') : [],
    active: e.active !== false,
  }));
  return { lijst, overgeslagen: alle.length - lijst.length };
}

// The file's label counters that name a prefix and hold a count.
export function sleutelCounters(inhoud) {
  if (!isObject(inhoud.counters)) return [];
  return Object.entries(inhoud.counters).filter(([prefix, n]) => LABEL.test(prefix) && Number.isSafeInteger(n) && n >= 0);
}
