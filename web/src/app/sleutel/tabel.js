// The translation table of the session's entities, on screen and for a spreadsheet.
import { A, esc } from '../globals.js';
import { S } from '../session.js';
import { $ } from '../ui.js';

const anderen = (e) => e.variants.filter((v) => v !== e.value);
const soort = (e) => A().CATS[e.cat]?.label ?? e.cat;

function rij(e) {
  const aan = e.active ? 'ja' : '<span class="dim">nee</span>';
  return `<tr class="cat-${esc(e.cat)}"><td>[${esc(e.label)}]</td><td class="dim">${esc(soort(e))}</td>`
    + `<td><b>${esc(e.value)}</b></td><td class="dim klein">${anderen(e).map(esc).join(' · ')}</td><td>${aan}</td></tr>`;
}

export function renderSleutel() {
  const el = $('sleutel-tabel');
  if (!S.ents.length) {
    el.innerHTML = '<div class="leeg"><b>Leeg</b>Nog geen gegevens gemarkeerd of geladen.</div>';
    return;
  }
  el.innerHTML = '<div class="tabel-wrap"><table class="vertaal"><thead><tr><th>Placeholder</th><th>Soort</th><th>Origineel</th>'
    + `<th>Varianten</th><th>Vervangen</th></tr></thead><tbody>${S.ents.map(rij).join('')}</tbody></table></div>`;
}

// Tab-separated, one line per entity; the switch is not copied.
export function tabelVoorExcel(ents) {
  const regels = ents.map((e) => [`[${e.label}]`, soort(e), e.value, anderen(e).join('; ')].join('\t'));
  return ['Placeholder\tSoort\tOrigineel\tVarianten', ...regels].join('\n');
}
