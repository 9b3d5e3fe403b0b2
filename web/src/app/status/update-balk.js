// The bar above the main area when a newer version exists.
import { esc } from '../globals.js';
import { toast } from '../ui.js';
import { op } from '../bind.js';
import { extern } from './extern.js';

export function toonUpdateBalk(st) {
  const balk = document.createElement('div');
  balk.className = 'update-balk';
  balk.innerHTML = `Nieuwe versie ${esc(st.laatste)} beschikbaar. `
    + `<a href="#" data-actie="download">Downloaden</a>`
    + `<button type="button" class="update-sluit" data-actie="sluit" title="Sluiten" aria-label="Sluiten">×</button>`;
  op(balk, 'click', (ev) => {
    const actie = ev.target.closest('[data-actie]')?.dataset.actie;
    if (actie === 'download') {
      ev.preventDefault();
      extern(st.download);
      toast('De downloadpagina wordt geopend in uw browser.');
    } else if (actie === 'sluit') {
      balk.remove();
    }
  });
  document.querySelector('main').prepend(balk);
}
