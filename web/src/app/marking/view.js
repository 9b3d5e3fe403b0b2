// The view "Markeren": document tabs, the marked preview and the entity panel.
import { op } from '../bind.js';
import { gewijzigd } from '../change.js';
import { entById, scanStapsgewijs, sleutelVan, voegToe } from '../entities.js';
import { meldView } from '../router.js';
import { A, esc } from '../globals.js';
import { dispMatcher, telAlles } from '../matchers.js';
import { S, bewaar } from '../session.js';
import { labelUitInvoer } from '../text.js';
import { $, toast } from '../ui.js';
import { onderLaden } from '../wachtrij.js';
import { blocksStukken } from './marks.js';
import { groot, inDelen, vergeetStuk, zetStukken } from '../stukken.js';
import { bladerStand, meldMarkeren, toonInVoorbeeld, vergeetGetoond } from './browse.js';

export function huidigDoc() {
  return S.docs.find((d) => d.id === S.cur) || S.docs[0];
}

// Made under the intake's overlay, which is up anyway: the display matcher,
// the counts and the current document's marks, so that opening Markeren only
// puts them on the page. `adem` gives the browser its turn between the steps.
const VOORBEREID_DEEL = 2000;

export async function bereidVoor(adem) {
  const doc = huidigDoc();
  if (!doc) return;
  dispMatcher();
  await adem();
  telAlles();
  const blocks = doc.blocks || [];
  for (let i = 0; i < blocks.length; i += VOORBEREID_DEEL) {
    await adem();
    blocksStukken(blocks.slice(i, i + VOORBEREID_DEEL));
  }
}

export function renderMarkeren() {
  const doc = huidigDoc();
  $('doc-tabs').innerHTML = S.docs.length > 1
    ? S.docs.map((d) => `<button type="button" data-id="${esc(d.id)}" title="${esc(d.name)}"${d === doc ? ' class="on"' : ''}>${esc(d.name)}</button>`).join('')
    : '';
  for (const knop of $('seg-weergave').querySelectorAll('button')) knop.classList.toggle('on', knop.dataset.mode === S.mode);
  renderPreview();
  renderPaneel();
}

// A long list in blocks of its own class (see `inDelen`).
const gedeeld = (stukken, klasse) => (groot(stukken) ? inDelen(stukken, (binnen) => ({ open: `<div class="${klasse}">`, close: '</div>', in: '', binnen })) : stukken);

export function renderPreview() {
  const doc = huidigDoc();
  const preview = $('preview');
  $('preview-titel').textContent = doc ? doc.name : 'Voorbeeld';
  const stukken = doc ? gedeeld(blocksStukken(doc.blocks || []), 'blok-deel') : [];
  if (!doc) {
    stukken.push('<div class="leeg"><b>Geen document</b>Ga naar <a href="#document">Document</a> om een bestand te uploaden.</div>');
  } else if (!stukken.length) {
    stukken.splice(0, stukken.length, '<div class="leeg"><b>Geen tekst</b>Dit document bevat geen leesbare tekst.</div>');
  }
  // Pieces kept from the last render keep the marks of a browse; a render has none.
  vergeetGetoond();
  zetStukken(preview, stukken, true);
}

function telling(e, counts) {
  const n = counts[e.id] || 0;
  const stand = bladerStand();
  return stand.id === e.id ? `${stand.index + 1}/${n}×` : `${n}×`;
}

// A row's HTML, kept per entity while nothing it shows has changed.
const rijen = new WeakMap();

function entRij(e, counts) {
  const n = counts[e.id] || 0;
  const tel = telling(e, counts);
  const oud = rijen.get(e);
  if (oud && oud.label === e.label && oud.active === e.active && oud.cat === e.cat && oud.value === e.value
    && oud.variants === e.variants && oud.aantal === e.variants.length && oud.n === n && oud.tel === tel) return oud.html;
  const html = nieuweRij(e, n, tel);
  rijen.set(e, { label: e.label, active: e.active, cat: e.cat, value: e.value, variants: e.variants, aantal: e.variants.length, n, tel, html });
  return html;
}

function nieuweRij(e, n, tel) {
  const ook = e.variants.slice(1);
  const blader = n > 1
    ? '<button type="button" class="knop-icoon stap-vorige" data-stap="-1" title="Vorige plek in de tekst"></button><button type="button" class="knop-icoon stap-volgende" data-stap="1" title="Volgende plek in de tekst"></button>'
    : '';
  return `<div class="ent-rij cat-${esc(e.cat)}${e.active ? '' : ' uit'}" data-id="${e.id}">
    <input type="checkbox" class="ent-aan"${e.active ? ' checked' : ''} title="Vervangen ja/nee">
    <span class="stip cat-${esc(e.cat)}" title="Kleur van de markering in het document"></span>
    <input type="text" class="ph-veld" value="${esc(`[${e.label}]`)}" title="Placeholder (aanpasbaar)" spellcheck="false">
    <div class="ent-tekst"><div class="ent-waarde" tabindex="0" role="button">${esc(e.value)}</div><div class="ent-varianten" tabindex="0" role="button" title="Klik om varianten te bewerken">${ook.length ? esc(`ook: ${ook.join(' · ')}`) : '+ variant toevoegen'}</div></div>
    <span class="ent-blader">${blader}<span class="ent-telling" title="Aantal keer gevonden in alle documenten">${tel}</span></span>
    <button type="button" class="knop-icoon ent-weg" title="Verwijderen">✕</button>
  </div>`;
}

export function renderPaneel() {
  const actief = S.ents.filter((e) => e.active).length;
  $('ent-aantal').textContent = S.ents.length ? `(${actief} van ${S.ents.length})` : '';
  if (!S.ents.length) {
    zetStukken($('ent-lijst'), ['<div class="leeg"><b>Nog niets gemarkeerd</b>Selecteer tekst in het voorbeeld of voeg hierboven een naam toe.</div>']);
    return;
  }
  const counts = telAlles();
  const perCat = new Map(Object.keys(A().CATS).map((cat) => [cat, []]));
  for (const e of S.ents) perCat.get(e.cat)?.push(e);
  const groepen = [];
  for (const [cat, { label }] of Object.entries(A().CATS)) {
    const ents = perCat.get(cat);
    if (!ents.length) continue;
    const allesAan = ents.every((e) => e.active);
    groepen.push({
      open: `<div class="ent-groep" data-cat="${cat}">`,
      close: '</div>',
      binnen: [
        `<div class="groep-kop"><span class="stip cat-${cat}"></span>${esc(label)} (${ents.length})<button type="button" class="schakel" data-cat="${cat}">${allesAan ? 'alles uit' : 'alles aan'}</button></div>`,
        ...gedeeld(ents.map((e) => entRij(e, counts)), 'ent-deel'),
      ],
    });
  }
  zetStukken($('ent-lijst'), groepen);
}

// Browsing changes only the counters, so the panel keeps its scroll and focus.
// Only the rows of the given entities can read differently (the one browsed
// now and the one browsed before); their rows are put in again by the next
// render, which knows nothing of this.
export function toonTellingen(counts, ids) {
  for (const id of new Set(ids)) {
    const e = entById(id);
    const tel = e && $('ent-lijst').querySelector(`.ent-rij[data-id="${id}"] .ent-telling`);
    const tekst = tel && telling(e, counts);
    if (!tel || tel.textContent === tekst) continue;
    tel.textContent = tekst;
    vergeetStuk(tel.closest('.ent-rij'));
  }
}

export function flashRij(id) {
  const rij = $('ent-lijst').querySelector(`.ent-rij[data-id="${id}"]`);
  if (!rij) return;
  rij.scrollIntoView({ block: 'nearest' });
  rij.classList.remove('flash');
  void rij.offsetWidth;
  rij.classList.add('flash');
}

export function verwijderEnt(e) {
  S.ents = S.ents.filter((x) => x !== e);
  const sleutel = sleutelVan(e.cat, e.value);
  if (e.auto && !S.genegeerd.includes(sleutel)) S.genegeerd.push(sleutel);
  gewijzigd();
  renderMarkeren();
  toast(`[${e.label}] verwijderd.`);
}

export function bewerkVarianten(e, el) {
  el.innerHTML = '<input type="text" title="Varianten gescheiden door een puntkomma. Alle varianten krijgen dezelfde placeholder." spellcheck="false">';
  const veld = el.firstChild;
  veld.value = e.variants.join('; ');
  veld.focus();
  vergeetStuk(el.closest('.ent-rij'));
  let klaar = false;
  op(veld, 'keydown', (ev) => {
    if (ev.key === 'Enter') veld.blur();
    if (ev.key !== 'Escape') return;
    klaar = true;
    renderPaneel();
  });
  op(veld, 'blur', () => {
    if (klaar) return;
    klaar = true;
    const stukken = veld.value.split(';').map((s) => s.trim()).filter(Boolean);
    e.variants = A().dedupe(e.cat, [e.value, ...stukken]);
    gewijzigd();
    renderMarkeren();
  });
}

function hernoemLabel(e, veld) {
  const label = labelUitInvoer(veld.value);
  const oud = `[${e.label}]`;
  if (!label) {
    veld.value = oud;
    toast('Ongeldige placeholder.');
  } else if (S.ents.some((x) => x !== e && x.label === label)) {
    veld.value = oud;
    toast(`Placeholder [${label}] bestaat al.`);
  } else {
    e.label = label;
    gewijzigd();
    renderMarkeren();
  }
}

function schakelGroep(cat) {
  const ents = S.ents.filter((e) => e.cat === cat);
  const aan = !ents.every((e) => e.active);
  for (const e of ents) e.active = aan;
  gewijzigd();
  renderMarkeren();
}

function voegHandToe() {
  const veld = $('nieuw-waarde');
  const waarde = veld.value.trim();
  if (!waarde) return;
  const e = voegToe($('nieuw-cat').value, waarde, false);
  veld.value = '';
  gewijzigd();
  renderMarkeren();
  if (e) flashRij(e.id);
}

const herscan = () => onderLaden(async () => {
  const n = await scanStapsgewijs(S.docs);
  gewijzigd();
  renderMarkeren();
  toast(n ? `${n} nieuwe gegevens gevonden.` : 'Niets nieuws gevonden.');
});

export function bindMarkeren() {
  meldView('markeren', renderMarkeren);
  meldMarkeren({ huidigDoc, render: renderMarkeren, toonTellingen });
  op($('btn-herscan'), 'click', herscan);
  op($('btn-toevoegen'), 'click', voegHandToe);
  op($('nieuw-waarde'), 'keydown', (ev) => {
    if (ev.key === 'Enter') voegHandToe();
  });
  op($('doc-tabs'), 'click', (ev) => {
    const tab = ev.target.closest('button[data-id]');
    if (!tab) return;
    S.cur = tab.dataset.id;
    bewaar();
    renderMarkeren();
  });
  op($('seg-weergave'), 'click', (ev) => {
    const knop = ev.target.closest('button[data-mode]');
    if (!knop) return;
    S.mode = knop.dataset.mode;
    bewaar();
    renderMarkeren();
  });
  const lijst = $('ent-lijst');
  op(lijst, 'click', (ev) => {
    const schakel = ev.target.closest('.schakel');
    if (schakel) {
      schakelGroep(schakel.dataset.cat);
      return;
    }
    const rij = ev.target.closest('.ent-rij');
    const e = rij && entById(Number(rij.dataset.id));
    if (!e) return;
    const stap = ev.target.closest('[data-stap]');
    if (stap) toonInVoorbeeld(e.id, Number(stap.dataset.stap));
    else if (ev.target.closest('.ent-waarde')) toonInVoorbeeld(e.id, 1);
    else if (ev.target.closest('.ent-varianten') && !ev.target.closest('input')) bewerkVarianten(e, ev.target.closest('.ent-varianten'));
    else if (ev.target.closest('.ent-weg')) verwijderEnt(e);
  });
  op(lijst, 'change', (ev) => {
    const rij = ev.target.closest('.ent-rij');
    const e = rij && entById(Number(rij.dataset.id));
    if (!e) return;
    if (ev.target.classList.contains('ent-aan')) {
      e.active = ev.target.checked;
      gewijzigd();
      renderMarkeren();
    } else if (ev.target.classList.contains('ph-veld')) {
      hernoemLabel(e, ev.target);
    }
  });
  op(lijst, 'keydown', (ev) => {
    if (ev.key !== 'Enter') return;
    if (ev.target.classList.contains('ph-veld')) ev.target.blur();
    // The value and the variants line work by keyboard as by click.
    else if (ev.target.matches('.ent-waarde, .ent-varianten')) ev.target.click();
  });
}
