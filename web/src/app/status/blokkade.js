// The overlay that blocks the whole page until a new check lifts it.
import { esc } from '../globals.js';
import { toast } from '../ui.js';
import { op } from '../bind.js';
import { extern } from './extern.js';
import { MAKER_DOMEIN } from './maker.js';

const REDENEN = {
  update: {
    titel: 'Nieuwe versie vereist',
    tekst: (st) => `Deze versie (${st.versie}) wordt niet meer ondersteund. `
      + (st.store
        ? 'Werk de app bij via de Microsoft Store en start hem opnieuw.'
        : `Download versie ${st.laatste || 'de nieuwste'} van ${MAKER_DOMEIN} en start die.`)
      + ' Uw sleutelbestanden blijven gewoon bruikbaar.',
  },
  offline: {
    titel: 'Internetverbinding vereist',
    tekst: () => 'Drovel Verhulzen controleert minimaal één keer per week of er een nieuwe versie is. '
      + 'Verbind met internet en klik op Controleer nu. Uw documenten gaan daarbij niet mee.',
  },
  klok: {
    titel: 'Systeemklok klopt niet',
    tekst: () => 'De klok van deze pc lijkt teruggezet te zijn. Zet de juiste datum en tijd en klik op Controleer nu.',
  },
};

function controleerKnop(stijl) {
  return `<button type="button" class="btn${stijl}" data-actie="controleer">Controleer nu</button>`;
}

export function toonBlokkade(st) {
  // The desktop side names only these reasons; any other still blocks, asking for a new check.
  const reden = REDENEN[st.blokkeer] || REDENEN.offline;
  const update = reden === REDENEN.update;
  const knoppen = update
    ? `<button type="button" class="btn" data-actie="download">${st.store ? 'Microsoft Store openen' : 'Nieuwe versie downloaden'}</button>${controleerKnop(' btn-ghost')}`
    : controleerKnop('');
  const blok = document.createElement('div');
  blok.className = 'blokkade';
  blok.innerHTML = `<div class="blokkade-kaart" role="alertdialog" aria-modal="true">`
    + `<h2 class="blokkade-titel">${esc(reden.titel)}</h2><p>${esc(reden.tekst(st))}</p>`
    + (update && st.notitie ? `<p class="dim">${esc(st.notitie)}</p>` : '')
    + `<div class="blokkade-knoppen">${knoppen}</div></div>`;
  op(blok, 'click', (ev) => {
    const knop = ev.target.closest('[data-actie]');
    if (knop?.dataset.actie === 'download') {
      extern(st.download);
      toast(st.store ? 'De Microsoft Store wordt geopend.' : 'De downloadpagina wordt geopend in uw browser.');
    } else if (knop?.dataset.actie === 'controleer') {
      knop.textContent = 'Verbinden…';
      location.assign('/controleer');
    }
  });
  document.body.append(blok);
  // Covering the page is not enough: keys and pasted clippings would still reach
  // it. The toast stays outside, so that its texts are still read out.
  for (const el of document.body.children) {
    if (el !== blok && el.id !== 'toast') el.inert = true;
  }
  op(document, 'paste', (ev) => ev.stopPropagation(), true);
}
