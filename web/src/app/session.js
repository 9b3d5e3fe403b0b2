// The session state of this tab, kept in the tab's session storage.
import { CFG } from './globals.js';
import { vergeetWaarschuwing, waarschuw } from './ui.js';

export const OPSLAG = 'drovel-verhulzen-v1';

// Every field of the session, with its value in a fresh one.
export function leeg() {
  return {
    dossier: '',
    docs: [],
    cur: null,
    ents: [],
    counters: {},
    seq: 1,
    genegeerd: [],
    mode: 'orig',
    instructie: CFG().instructie || '',
    // Whether the AI text keeps the year of a date of birth.
    geboortejaar: false,
  };
}

// Replaced whole by a new session and by restoring; read everywhere as a live binding.
export let S = leeg();

export function volgendId() {
  return S.seq++;
}

// The JSON of each document record, kept while its name stays: its content
// never changes, and a save after a click need not write megabytes anew.
const docJson = new WeakMap();

function jsonVanDoc(doc) {
  const oud = docJson.get(doc);
  if (oud?.name === doc.name) return oud.json;
  const json = JSON.stringify(doc);
  docJson.set(doc, { name: doc.name, json });
  return json;
}

// The JSON of each entity, kept while none of its fields changed. Its fields
// are plain values and a variants array that is replaced, never changed in place.
const entJson = new WeakMap();

// The same fields in the same order (the order is the JSON's), with the same values.
const zelfdeVelden = (oud, e) => {
  const sleutels = Object.keys(e);
  return sleutels.length === oud.sleutels.length && sleutels.every((k, i) => k === oud.sleutels[i] && oud.velden[k] === e[k])
    && oud.varianten === e.variants?.length;
};

function jsonVanEnt(e) {
  const oud = entJson.get(e);
  if (oud && zelfdeVelden(oud, e)) return oud.json;
  const json = JSON.stringify(e);
  entJson.set(e, { velden: { ...e }, sleutels: Object.keys(e), varianten: e.variants?.length, json });
  return json;
}

const lijstJson = (lijst, json) => `[${lijst.map((x) => (x && typeof x === 'object' ? json(x) : JSON.stringify(x) ?? 'null')).join(',')}]`;

// The same text as JSON.stringify(S), field by field, with the documents and
// entities from the caches.
export function sessieJson() {
  const velden = [];
  for (const [veld, waarde] of Object.entries(S)) {
    const json = veld === 'docs' && Array.isArray(waarde) ? lijstJson(waarde, jsonVanDoc)
      : veld === 'ents' && Array.isArray(waarde) ? lijstJson(waarde, jsonVanEnt)
      : JSON.stringify(waarde);
    if (json !== undefined) velden.push(`${JSON.stringify(veld)}:${json}`);
  }
  return `{${velden.join(',')}}`;
}

// Said until the user clicks it away or a save succeeds again: a reload would lose the documents.
const TE_GROOT = 'Sessie te groot om tussentijds te bewaren; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';
// A browser that blocks cookies refuses the storage itself, whatever the size.
const GEWEIGERD = 'Deze browser staat het tussentijds bewaren van de sessie niet toe; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';

export function bewaar() {
  try {
    sessionStorage.setItem(OPSLAG, sessieJson());
  } catch (err) {
    waarschuw(err?.name === 'SecurityError' ? GEWEIGERD : TE_GROOT);
    return;
  }
  vergeetWaarschuwing(TE_GROOT);
  vergeetWaarschuwing(GEWEIGERD);
}

export function laadSessie() {
  try {
    const tekst = sessionStorage.getItem(OPSLAG);
    if (!tekst) return;
    const opgeslagen = JSON.parse(tekst);
    if (opgeslagen && typeof opgeslagen === 'object' && !Array.isArray(opgeslagen)) {
      S = Object.assign(leeg(), opgeslagen);
    }
  } catch {
    // An unreadable saved session leaves the fresh one, without a message.
  }
}

// Callers run the change routine afterwards.
export function vervangSessie(nieuw) {
  S = nieuw;
}

export function vergeetOpgeslagen() {
  try {
    sessionStorage.removeItem(OPSLAG);
  } catch {
    // Ignored: the change routine has already saved the fresh state over it.
  }
}
