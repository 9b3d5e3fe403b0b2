// The view "Naar AI": the text for the AI with its counters, the leak check's
// notices and fixes, copying, the download and the report.
import { op, veilig } from '../bind.js';
import { gewijzigd } from '../change.js';
import { voegVariantToe } from '../entities.js';
import { esc } from '../globals.js';
import { gaNaar, huidigeView, meldView } from '../router.js';
import { S, bewaar } from '../session.js';
import { groepeer } from '../text.js';
import { $, debounce, download, kopieer, toast } from '../ui.js';
import { controleVan } from './controle.js';
import { alsPersoon, ookVervangen, tochVervangen } from './herstellen.js';
import { meldingenHtml } from './meldingen.js';
import { phHtml } from './placeholders.js';
import { springNaar } from './springen.js';
import { aiTekst, teKopieren } from './tekst.js';
import { verslag } from './verslag.js';

const DOOR = 'drovel-anon-door-na-kopieren';
const NAAR_TERUG_NA = 700;
const WACHT = 150;

// The user's own choice of text: a document record or "alle". Without one the
// default is taken afresh on every render, so a document added later is not
// left out; the record, not its id, because a new session gives out ids again.
let eigenKeuze = null;
let gekozen = null;
let check = null;
let door = leesDoor();

function leesDoor() {
  try {
    return localStorage.getItem(DOOR) === '1';
  } catch {
    return false;
  }
}

function zetDoor(aan) {
  door = aan;
  for (const vak of document.querySelectorAll('.opt-door')) vak.checked = aan;
  try {
    localStorage.setItem(DOOR, aan ? '1' : '0');
  } catch {
    // The check boxes still work for this page.
  }
}

function kiesDocument() {
  const keuze = $('ai-doc');
  const opties = S.docs.length > 1 ? [['alle', `Alle documenten (${S.docs.length})`]] : [];
  for (const d of S.docs) opties.push([d.id, d.name]);
  const blijft = eigenKeuze === 'alle' ? S.docs.length > 1 : S.docs.includes(eigenKeuze);
  if (!blijft) eigenKeuze = null;
  if (eigenKeuze === null) gekozen = opties[0]?.[0] ?? null;
  else gekozen = eigenKeuze === 'alle' ? 'alle' : eigenKeuze.id;
  keuze.innerHTML = opties.map(([v, t]) => `<option value="${esc(v)}">${esc(t)}</option>`).join('');
  if (gekozen !== null) keuze.value = gekozen;
}

function tellers(tekst, counts) {
  const totaal = Object.values(counts).reduce((a, b) => a + b, 0);
  const delen = [
    [groepeer(totaal), 'vervangingen'],
    [groepeer(Object.values(counts).filter((n) => n > 0).length), 'verschillende gegevens'],
    [groepeer(tekst.length), 'tekens'],
  ];
  const uit = S.ents.filter((e) => !e.active).length;
  if (uit) delen.push([groepeer(uit), 'bewust niet vervangen']);
  return delen.map(([n, w]) => `<span><b>${n}</b> ${w}</span>`).join('');
}

export function renderAi() {
  kiesDocument();
  // Set only when it differs, so that a render while typing keeps the caret.
  if ($('instructie').value !== S.instructie) $('instructie').value = S.instructie;
  for (const vak of document.querySelectorAll('.opt-door')) vak.checked = door;
  if (!S.docs.length) {
    $('ai-uitvoer').innerHTML = '<div class="leeg"><b>Geen document</b>Upload eerst een document.</div>';
    $('ai-stats').innerHTML = '';
    $('ai-waarschuwing').innerHTML = '';
    check = null;
    return;
  }
  const ai = aiTekst(gekozen);
  const { tekst, counts } = ai;
  $('ai-stats').innerHTML = tellers(tekst, counts);
  $('ai-uitvoer').innerHTML = phHtml(tekst);
  $('opt-geboortejaar').checked = Boolean(S.geboortejaar);
  $('opt-geboortejaar-rij').hidden = !S.ents.some((e) => e.active && e.cat === 'GEBDATUM');
  check = controleVan(ai);
  $('ai-waarschuwing').innerHTML = meldingenHtml(check);
}

function naFix(bericht) {
  gewijzigd();
  renderAi();
  toast(bericht);
}

function fix(ev) {
  const knop = ev.target.closest('button');
  if (!knop || !check) return;
  if (knop.dataset.spring !== undefined) {
    springNaar(knop.dataset.spring);
  } else if (knop.dataset.fix === 'los') {
    ookVervangen(check.los);
    naFix(`${check.los.length} losse delen worden nu ook vervangen.`);
  } else if (knop.dataset.fix === 'rest') {
    const n = check.uniekRest.length;
    tochVervangen(check.uniekRest);
    gewijzigd();
    renderAi();
    // The render has checked the text afresh.
    const over = check.rest;
    toast(over ? `${over} gegeven(s) konden niet vervangen worden; selecteer ze bij Markeren en kies een soort.`
      : `${n} gegeven(s) worden nu vervangen.`);
  } else if (knop.dataset.bijna !== undefined) {
    const { ent, deel } = check.bijna[Number(knop.dataset.bijna)];
    voegVariantToe(ent, deel);
    naFix(`"${deel}" wordt nu ook [${ent.label}].`);
  } else if (knop.dataset.kand !== undefined) {
    const naam = check.kand[Number(knop.dataset.kand)];
    const ent = alsPersoon(naam);
    if (ent) naFix(`"${naam}" wordt nu [${ent.label}].`);
  }
}

async function kopieerAi(metInstructie, knop) {
  if (!(await kopieer(teKopieren(aiTekst(gekozen), metInstructie), null, knop)) || !door) return;
  // The wait lets the button's feedback be seen; leaving the view cancels the move.
  setTimeout(() => {
    if (huidigeView() !== 'ai') return;
    gaNaar('terug');
    toast('Tekst staat op het klembord. Plak die in de AI en zet het antwoord hier terug.');
  }, NAAR_TERUG_NA);
}

export function bindAi() {
  meldView('ai', renderAi);
  op($('ai-doc'), 'change', () => {
    const v = $('ai-doc').value;
    eigenKeuze = v === 'alle' ? v : S.docs.find((d) => d.id === v) ?? null;
    renderAi();
  });
  op($('opt-geboortejaar'), 'change', () => {
    S.geboortejaar = $('opt-geboortejaar').checked;
    bewaar();
    renderAi();
  });
  for (const [id, met] of [['btn-kopieer-ai-boven', false], ['btn-kopieer-ai', false], ['btn-kopieer-ai-instr-boven', true], ['btn-kopieer-ai-instr', true]]) {
    op($(id), 'click', () => kopieerAi(met, $(id)));
  }
  for (const vak of document.querySelectorAll('.opt-door')) op(vak, 'change', () => zetDoor(vak.checked));
  op($('btn-download-ai'), 'click', () => {
    download(`geanonimiseerd ${new Date().toISOString().slice(0, 10)}.txt`, aiTekst(gekozen).tekst, 'text/plain');
  });
  op($('btn-verslag'), 'click', async () => {
    renderAi();
    await kopieer(verslag(), null, $('btn-verslag'));
  });
  // The instruction is copied too, so the check looks at it again.
  const nazien = debounce(() => veilig(() => {
    if (huidigeView() === 'ai' && S.docs.length) renderAi();
  }), WACHT);
  op($('instructie'), 'input', () => {
    S.instructie = $('instructie').value;
    bewaar();
    nazien();
  });
  op($('ai-waarschuwing'), 'click', fix);
}
