// The one change routine that every change of entities or documents ends with.
import { vergeetIndex } from './ent-index.js';
import { vergeetBladeren } from './marking/browse.js';
import { vergeetMatchers } from './matchers.js';
import { S, bewaar } from './session.js';
import { $ } from './ui.js';

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
  vergeetMatchers();
  vergeetIndex();
  vergeetBladeren();
  bewaar();
  navBadges();
}
