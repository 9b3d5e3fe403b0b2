// The follow-up question, pseudonymised with the session's entity list.
import { alsPersoon, tochVervangen } from '../ai/herstellen.js';
import { buitenPlaceholders, phHtml } from '../ai/placeholders.js';
import { verhuller } from '../ai/tekst.js';
import { naamKandidaten, nooitTermen } from '../ai/telt.js';
import { gewijzigd } from '../change.js';
import { voegToe } from '../entities.js';
import { A, esc } from '../globals.js';
import { S } from '../session.js';
import { $, toast } from '../ui.js';
import { vervolgSuggesties, vervolgWoord } from './aanvullen.js';

let kandidaten = [];
let anders = [];
let suggestie = { stuk: '', hits: [] };

// Only the button adds entities (toevoegen); typing only previews.
export function vervolgTekst(toevoegen) {
  const core = A();
  const vraag = $('vervolg-invoer').value;
  if (!vraag.trim()) return { tekst: '', n: 0, geweigerd: new Set() };
  const voor = S.ents.length;
  let opgenomen = false;
  if (toevoegen) {
    const nooit = nooitTermen();
    for (const hit of core.detect(vraag)) {
      if (nooit.has(core.normText(hit.value).toLowerCase())) continue;
      voegToe(hit.cat, hit.value, true, hit.rol);
      opgenomen = true;
    }
  }
  const n = S.ents.length - voor;
  // A known number in other separators becomes a form of its entity, not a new
  // one: the matchers must learn it all the same.
  if (opgenomen) gewijzigd();
  // A question often quotes the AI's placeholders back.
  const geweigerd = new Set();
  return { tekst: buitenPlaceholders(vraag, verhuller(null, geweigerd)), n, geweigerd };
}

export function huidigeSuggestie() {
  const vak = $('vervolg-invoer');
  return vervolgSuggesties(vervolgWoord(vak.value.slice(0, vak.selectionStart)));
}

export function renderVervolgNamen() {
  suggestie = huidigeSuggestie();
  const { stuk, hits } = suggestie;
  if (!hits.length) {
    $('vervolg-namen').innerHTML = '';
    return;
  }
  const kop = stuk ? 'Aanvullen <kbd>Tab</kbd>:' : 'Uit dit dossier:';
  $('vervolg-namen').innerHTML = `<span class="dim">${kop}</span> ${hits.map(({ ent, tekst }, i) =>
    `<button type="button" class="chip chip-knop cat-${ent.cat}" data-i="${i}" title="${esc(`[${ent.label}]`)}">${esc(tekst)}</button>`).join(' ')}`;
}

export function vervolgInvoegen(naam, stuk) {
  const vak = $('vervolg-invoer');
  vak.focus();
  vak.setRangeText(naam, Math.max(0, vak.selectionStart - stuk.length), vak.selectionEnd, 'end');
  vak.dispatchEvent(new Event('input', { bubbles: true }));
}

// The caret may have moved by keyboard since the chips were drawn: only the
// fragment standing before it now is replaced, never other words.
export function kiesSuggestie(i) {
  const hit = suggestie.hits[i];
  if (!hit) return;
  const nu = huidigeSuggestie();
  vervolgInvoegen(hit.tekst, nu.hits.some((h) => h.tekst === hit.tekst) ? nu.stuk : '');
}

export function renderVervolg() {
  renderVervolgNamen();
  const { tekst, geweigerd } = vervolgTekst(false);
  $('vervolg-uitvoer').innerHTML = tekst ? phHtml(tekst)
    : '<span class="dim">Typ of plak hierboven een vervolgvraag; hier ziet u hoe de AI hem krijgt.</span>';
  kandidaten = tekst ? naamKandidaten(tekst, geweigerd) : [];
  // Known values typed in another letter case are not replaced by themselves.
  anders = tekst ? A().andersGeschreven(tekst, S.ents).map(({ ent, deel }) => ({ cat: ent.cat, value: deel })) : [];
  const rest = anders.length
    ? `<div class="vervolg-kand">Mogelijk nog niet vervangen: ${anders.map((h) =>
      `<span class="chip">${esc(A().CATS[h.cat].label)}: ${esc(h.value)}</span>`).join(' ')}
      <button type="button" class="btn btn-klein" data-fix="rest">Toch vervangen</button></div>`
    : '';
  $('vervolg-melding').innerHTML = rest + (kandidaten.length
    ? `<div class="vervolg-kand">Lijkt op een naam: ${kandidaten.map((k, i) =>
      `<button type="button" class="chip chip-knop" data-kand="${i}" title="Vervangen als persoon">${esc(k)} +</button>`).join(' ')}</div>`
    : '');
}

export function andersAlsVariant() {
  if (!anders.length) return;
  const n = anders.length;
  tochVervangen(anders);
  gewijzigd();
  renderVervolg();
  toast(`${n} gegeven(s) worden nu vervangen.`);
}

export function kandidaatAlsPersoon(i) {
  const naam = kandidaten[i];
  const ent = naam && alsPersoon(naam);
  if (!ent) return;
  gewijzigd();
  renderVervolg();
  toast(`"${naam}" wordt nu [${ent.label}].`);
}
