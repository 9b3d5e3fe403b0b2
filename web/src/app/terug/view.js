// The view "Terugzetten": the AI's answer with the real data put back, its
// four copy forms, and the follow-up question.
import { op, veilig } from '../bind.js';
import { A } from '../globals.js';
import { meldView } from '../router.js';
import { S } from '../session.js';
import { $, debounce, kopieer, toast } from '../ui.js';
import { inDelen } from '../stukken.js';
import { blokkenHtml, terugBlokken, terugMeldingen, wordHtml } from './herstel.js';
import { bijPlakken, plakKlembord } from './plakken.js';
import {
  andersAlsVariant, huidigeSuggestie, kandidaatAlsPersoon, kiesSuggestie, renderVervolg, renderVervolgNamen, vervolgInvoegen, vervolgTekst,
} from './vervolg.js';

const WACHT = 150;
const KOPIEER_KNOPPEN = ['btn-kopieer-plat', 'btn-kopieer-word', 'btn-kopieer-excel', 'btn-kopieer-md'];
const GEEN_SLEUTEL = '<div class="notice ai-melding">Er is nog geen sleutel in deze sessie. Open eerst het <a href="#sleutel">sleutelbestand</a> van dit dossier.</div>';

// The debounced renders run after the event, outside its error edge.
const later = (fn) => debounce(() => veilig(fn), WACHT);

// Lives only in the page, never in the session.
let hersteld = null;
// What the shown restore was made of: kept while the answer and the fields
// of the entities that restoring reads stay the same.
let getoond = { antwoord: null, sleutel: null };
let beurt = 0;
// Work per task while the parts of a long answer go in.
const BUDGET = 40;

function knoppenAan(aan) {
  for (const id of KOPIEER_KNOPPEN) $(id).disabled = !aan;
}

const entSleutel = () => S.ents.map((e) => `${e.label}\u0001${e.cat}\u0001${e.value}`).join('\u0002');

// The parts go in a task at a time, as many as fit in BUDGET, so that a long
// answer shows its start at once and never blocks the page; the first part
// goes in alone, so that it is painted before the rest is converted. A new
// render stops the old one.
function toonInDelen(weergave, segments) {
  const mijn = ++beurt;
  const { blokken, waarden } = terugBlokken(segments);
  const delen = inDelen(blokken, (binnen) => binnen);
  weergave.innerHTML = '';
  let i = 0;
  const stap = () => {
    if (mijn !== beurt) return;
    const eind = performance.now() + (i ? BUDGET : 0);
    let html = '';
    do {
      const deel = blokkenHtml(delen[i++], waarden);
      html += delen.length > 1 ? `<div class="terug-deel">${deel}</div>` : deel;
    } while (i < delen.length && performance.now() < eind);
    weergave.insertAdjacentHTML('beforeend', html);
    if (i < delen.length) setTimeout(() => veilig(stap), 0);
  };
  stap();
}

export function renderTerug() {
  const melding = $('terug-melding');
  const antwoord = $('terug-invoer').value;
  const sleutel = entSleutel();
  if (hersteld !== null && antwoord === getoond.antwoord && sleutel === getoond.sleutel) return;
  const metSleutel = S.ents.length > 0;
  melding.innerHTML = metSleutel ? '' : GEEN_SLEUTEL;
  if (!antwoord.trim()) {
    hersteld = null;
    beurt += 1;
    $('terug-weergave').innerHTML = '<div class="leeg"><b>Nog niets geplakt</b>Het resultaat verschijnt hier.</div>';
    knoppenAan(false);
    return;
  }
  const r = A().restore(antwoord, S.ents);
  hersteld = A().segmentsToText(r.segments);
  getoond = { antwoord, sleutel };
  toonInDelen($('terug-weergave'), r.segments);
  knoppenAan(true);
  if (metSleutel) melding.innerHTML = terugMeldingen(r);
}

const VORMEN = {
  'btn-kopieer-plat': (md) => [A().markdownToPlain(md), null],
  'btn-kopieer-word': (md) => [A().markdownToPlain(md), wordHtml(md)],
  'btn-kopieer-excel': (md) => [A().markdownToTsv(md), null],
  'btn-kopieer-md': (md) => [md, null],
};

async function verhulEnKopieer() {
  if (!$('vervolg-invoer').value.trim()) {
    toast('Typ eerst een vervolgvraag.');
    return;
  }
  const { tekst, n } = vervolgTekst(true);
  renderVervolg();
  await kopieer(tekst, null, $('btn-vervolg'));
  if (n) toast(`${n} nieuwe gegevens in de sleutel opgenomen. Sla het sleutelbestand straks opnieuw op.`);
}

function bijTab(ev) {
  if (ev.key !== 'Tab' || ev.shiftKey) return;
  const { stuk, hits } = huidigeSuggestie();
  if (!stuk || !hits.length) return;
  ev.preventDefault();
  vervolgInvoegen(hits[0].tekst, stuk);
}

export function bindTerug() {
  meldView('terug', () => {
    renderTerug();
    renderVervolg();
  });
  const invoer = $('terug-invoer');
  const vervolg = $('vervolg-invoer');
  invoer.addEventListener('input', later(renderTerug));
  op(invoer, 'paste', bijPlakken);
  op($('btn-terug-plak'), 'click', () => plakKlembord(invoer, true));
  op($('btn-terug-wis'), 'click', () => {
    invoer.value = '';
    renderTerug();
  });
  for (const [id, vorm] of Object.entries(VORMEN)) {
    op($(id), 'click', () => {
      if (hersteld === null) return;
      const [tekst, html] = vorm(hersteld);
      return kopieer(tekst, html, $(id));
    });
  }
  vervolg.addEventListener('input', later(renderVervolg));
  op(vervolg, 'click', renderVervolgNamen);
  op(vervolg, 'keydown', bijTab);
  op($('btn-vervolg-plak'), 'click', () => plakKlembord(vervolg, false));
  op($('btn-vervolg-wis'), 'click', () => {
    vervolg.value = '';
    renderVervolg();
  });
  op($('btn-vervolg'), 'click', verhulEnKopieer);
  op($('vervolg-namen'), 'mousedown', (ev) => {
    const chip = ev.target.closest('[data-i]');
    if (!chip) return;
    ev.preventDefault();
    kiesSuggestie(Number(chip.dataset.i));
  });
  op($('vervolg-melding'), 'click', (ev) => {
    const chip = ev.target.closest('[data-kand]');
    if (chip) kandidaatAlsPersoon(Number(chip.dataset.kand));
    else if (ev.target.closest('[data-fix="rest"]')) andersAlsVariant();
  });
}
