// Where the office list is kept: by the desktop side through /kantoorlijst,
// or in this browser's local storage when the page runs hosted.
import { K, alleenNooit, gedeeldeOpslag, leesKantoorlijst } from '../kantoorlijst.js';

export const KL_SLEUTEL = 'drovel-verhulzen-kantoorlijst';

// A status object means the desktop side served the page.
export const desktop = () => Boolean(globalThis.ANON_STATUS);
export const gedeeld = () => gedeeldeOpslag(location.hostname);

// Hosted edition: whether this browser refused its local storage, when the
// list was read at start or at the last save.
let geweigerd = false;
export const nietBewaardHier = () => geweigerd;

async function leesOpgeslagen() {
  if (desktop()) {
    try {
      const antwoord = await fetch('/kantoorlijst', { cache: 'no-store' });
      return antwoord.ok ? await antwoord.text() : '';
    } catch {
      return '';
    }
  }
  try {
    return localStorage.getItem(KL_SLEUTEL) ?? '';
  } catch {
    geweigerd = true;
    return '';
  }
}

// Never fails: a list that cannot be read is an empty one.
export async function laadKantoorlijst() {
  Object.assign(K, leesKantoorlijst(await leesOpgeslagen()));
}

// The text is in force in this page at once, whatever happens to the storing.
// Returns 'bewaard', 'geweigerd' (the desktop side refused or was unreachable)
// or 'niet-bewaard' (this browser's storage refused it).
export async function bewaarKantoorlijst(tekst) {
  Object.assign(K, leesKantoorlijst(tekst));
  if (desktop()) {
    try {
      const antwoord = await fetch('/kantoorlijst', {
        method: 'POST',
        headers: { 'Content-Type': 'text/plain; charset=utf-8' },
        body: tekst,
      });
      return antwoord.ok ? 'bewaard' : 'geweigerd';
    } catch {
      return 'geweigerd';
    }
  }
  try {
    localStorage.setItem(KL_SLEUTEL, gedeeld() ? alleenNooit(tekst) : tekst);
    geweigerd = false;
    return 'bewaard';
  } catch {
    geweigerd = true;
    return 'niet-bewaard';
  }
}
