// The maker's messages in the sidebar, one at a time, rotating every 8 s.
import { esc } from '../globals.js';
import { op } from '../bind.js';
import { $ } from '../ui.js';
import { extern, verberg } from './extern.js';
import { MAKER_DOMEIN } from './maker.js';

const ROTATIE_MS = 8000;

export function toonBerichten(lijst) {
  const vak = $('berichten');
  const berichten = [...lijst];
  let index = 0;
  let timer = null;

  function toon() {
    if (!berichten.length) {
      vak.replaceChildren();
      clearInterval(timer);
      timer = null;
      return;
    }
    const positie = index % berichten.length;
    const bericht = berichten[positie];
    const teller = berichten.length > 1 ? ` <span class="dim">${positie + 1}/${berichten.length}</span>` : '';
    vak.innerHTML = `<a href="#" class="bericht${bericht.url ? '' : ' geen-link'}">`
      + `<span class="bericht-kop">${MAKER_DOMEIN}${teller}</span>${esc(bericht.message)}`
      + `<span class="bericht-weg" role="button" tabindex="0" title="Niet meer tonen" aria-label="Niet meer tonen">×</span></a>`;
    const link = vak.firstElementChild;
    op(link, 'click', (ev) => {
      ev.preventDefault();
      if (bericht.url) extern(bericht.url);
    });
    const weg = link.querySelector('.bericht-weg');
    const verbergDit = (ev) => {
      ev.preventDefault();
      ev.stopPropagation();
      verberg(bericht.message);
      berichten.splice(positie, 1);
      toon();
    };
    op(weg, 'click', verbergDit);
    // The cross is reached by keyboard too; Enter on it must not open the message.
    op(weg, 'keydown', (ev) => {
      if (ev.key === 'Enter' || ev.key === ' ') verbergDit(ev);
    });
  }

  toon();
  if (berichten.length > 1) {
    timer = setInterval(() => {
      index += 1;
      toon();
    }, ROTATIE_MS);
  }
}
