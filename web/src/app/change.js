// The one change routine that every change of entities or documents ends with.
// Caches that a change makes stale subscribe their forget function here;
// caches kept per record check the record itself on every use.
import { S, bewaar } from './session.js';
import { $ } from './ui.js';

const vergeters = [];

export function bijWijziging(vergeet) {
  vergeters.push(vergeet);
}

export function navBadges() {
  const zet = (el, n) => {
    el.textContent = String(n);
    el.hidden = n === 0;
  };
  zet($('nav-docs'), S.docs.length);
  zet($('nav-ents'), S.ents.filter((e) => e.active).length);
  const badge = $('dossier-badge');
  badge.textContent = S.dossier || 'Geen dossier';
  badge.classList.toggle('geen', !S.dossier);
}

export function gewijzigd() {
  for (const vergeet of vergeters) vergeet();
  bewaar();
  navBadges();
}
