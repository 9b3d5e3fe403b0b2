// What the status object of the desktop side has to say: version, a block, a
// newer version and the maker's messages. The hosted edition has none of it.
import { $ } from '../ui.js';
import { toonBerichten } from './berichten.js';
import { toonBlokkade } from './blokkade.js';
import { status } from './extern.js';
import { toonUpdateBalk } from './update-balk.js';

export function toonStatus() {
  const st = status();
  if (!st) return;
  $('app-versie').textContent = `v${st.versie}`;
  if (st.blokkeer) {
    toonBlokkade(st);
    return;
  }
  if (st.nieuwer === true) toonUpdateBalk(st);
  toonBerichten(Array.isArray(st.berichten) ? st.berichten : []);
}
