// The session state of this tab, kept in the tab's session storage.
import { CFG } from './globals.js';
import { toast } from './ui.js';

export const OPSLAG = 'drovel-verhulzen-v1';

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
  };
}

// Replaced whole by a new session and by restoring; read everywhere as a live binding.
export let S = leeg();

export function volgendId() {
  return S.seq++;
}

export function bewaar() {
  try {
    sessionStorage.setItem(OPSLAG, JSON.stringify(S));
  } catch {
    toast('Sessie te groot om tussentijds te bewaren; sluit dit tabblad niet.');
  }
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
