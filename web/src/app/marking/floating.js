// The floating selection bar and the popover of a marking.
import { op, veilig } from '../bind.js';
import { gewijzigd } from '../change.js';
import { entById, voegToe } from '../entities.js';
import { A, esc } from '../globals.js';
import { bijWissel } from '../router.js';
import { S } from '../session.js';
import { schoonSelectie } from '../text.js';
import { $, toast } from '../ui.js';
import { flashRij, renderMarkeren, verwijderEnt } from './view.js';

// The quick categories of the selection bar, on the keys 1 to 5.
export const HOOFD_CATS = ['PERSOON', 'BEDRIJF', 'ADRES', 'PLAATS', 'OVERIG'];

let selTekst = '';
let popId = null;

export function plaats(el, rect) {
  el.classList.add('open');
  const maxLinks = document.documentElement.clientWidth - el.offsetWidth - 8;
  const links = Math.max(8, Math.min(rect.left, maxLinks));
  el.style.left = `${links + window.scrollX}px`;
  el.style.top = `${rect.bottom + 8 + window.scrollY}px`;
}

export function verbergZwevend() {
  $('sel-balk').classList.remove('open');
  $('ent-pop').classList.remove('open');
  popId = null;
}

function kop(tekst) {
  const kort = tekst.length > 60 ? `${tekst.slice(0, 57)}…` : tekst;
  return `“${kort}” vervangen als:`;
}

export function toonSelBalk(rect) {
  const cats = A().CATS;
  const snel = HOOFD_CATS.map((c, i) => `<button type="button" class="btn btn-ghost" data-cat="${c}" title="Sneltoets ${i + 1}"><span class="toets">${i + 1}</span> ${esc(cats[c].label)}</button>`).join('');
  const meer = Object.keys(cats).filter((c) => !HOOFD_CATS.includes(c))
    .map((c) => `<option value="${c}">${esc(cats[c].label)}</option>`).join('');
  const groepen = Object.keys(cats).filter((c) => !cats[c].num).map((c) => {
    const ents = S.ents.filter((e) => e.cat === c);
    if (!ents.length) return '';
    const opties = ents.map((e) => `<option value="${e.id}">${esc(`[${e.label}] ${e.value.slice(0, 40)}`)}</option>`).join('');
    return `<optgroup label="${esc(cats[c].label)}">${opties}</optgroup>`;
  }).join('');
  const koppel = groepen
    ? `<div class="scheiding"></div><div class="knoppen"><span class="dim">Of hetzelfde als: </span><select data-rol="koppel"><option value="">kies…</option>${groepen}</select></div>`
    : '';
  const balk = $('sel-balk');
  balk.innerHTML = `<div class="zwevend-kop">${esc(kop(selTekst))}</div>
    <div class="knoppen snel">${snel}<select data-rol="meer"><option value="">Meer…</option>${meer}</select></div>${koppel}`;
  plaats(balk, rect);
}

export function toonEntPop(e, rect) {
  popId = e.id;
  const pop = $('ent-pop');
  pop.innerHTML = `<div class="zwevend-kop">${esc(`[${e.label}] ${e.value}`)}</div>
    <div class="knoppen">
      <button type="button" class="btn btn-klein" data-actie="schakel">${e.active ? 'Niet vervangen' : 'Wel vervangen'}</button>
      <button type="button" class="btn btn-ghost btn-klein" data-actie="lijst">Toon in lijst</button>
      <button type="button" class="btn btn-ghost btn-klein btn-gevaar" data-actie="weg">Verwijderen</button>
    </div>`;
  plaats(pop, rect);
}

function sluitEnWis() {
  verbergZwevend();
  getSelection().removeAllRanges();
}

export function markeer(cat) {
  const e = voegToe(cat, selTekst, false);
  sluitEnWis();
  if (!e) return;
  gewijzigd();
  renderMarkeren();
  flashRij(e.id);
  const varianten = e.variants.length > 1 ? ` (met ${e.variants.length - 1} varianten)` : '';
  toast(`Vervangen door [${e.label}]${varianten}.`);
}

export function koppel(id) {
  const e = entById(id);
  sluitEnWis();
  if (!e) return;
  e.variants = A().dedupe(e.cat, [...e.variants, selTekst]);
  gewijzigd();
  renderMarkeren();
  flashRij(e.id);
  toast(`"${selTekst}" wordt nu ook [${e.label}].`);
}

function naMuisOp(ev) {
  const preview = $('preview');
  const sel = getSelection();
  const tekst = schoonSelectie(sel.toString());
  const begin = sel.rangeCount ? sel.getRangeAt(0) : null;
  if (!sel.isCollapsed && begin && preview.contains(begin.startContainer) && tekst.length >= 2 && tekst.length <= 150) {
    selTekst = tekst;
    $('ent-pop').classList.remove('open');
    popId = null;
    toonSelBalk(begin.getBoundingClientRect());
    return;
  }
  const mark = ev.target.closest?.('mark.ent');
  const e = mark && entById(Number(mark.dataset.id));
  if (e && sel.isCollapsed) {
    $('sel-balk').classList.remove('open');
    toonEntPop(e, mark.getBoundingClientRect());
  }
}

const inVeld = (el) => el && ['INPUT', 'TEXTAREA', 'SELECT'].includes(el.tagName);

export function bindZwevend() {
  bijWissel(verbergZwevend);
  op($('preview'), 'mouseup', (ev) => setTimeout(() => veilig(() => naMuisOp(ev)), 0));
  // Enter on a focused marking opens its popover, as a click does.
  op($('preview'), 'keydown', (ev) => {
    const mark = ev.key === 'Enter' && ev.target.closest?.('mark.ent');
    const e = mark && entById(Number(mark.dataset.id));
    if (!e) return;
    ev.preventDefault();
    $('sel-balk').classList.remove('open');
    toonEntPop(e, mark.getBoundingClientRect());
  });
  const balk = $('sel-balk');
  op(balk, 'mousedown', (ev) => {
    if (!ev.target.closest('select, option')) ev.preventDefault();
  });
  op(balk, 'click', (ev) => {
    const knop = ev.target.closest('button[data-cat]');
    if (knop) markeer(knop.dataset.cat);
  });
  op(balk, 'change', (ev) => {
    const rol = ev.target.dataset.rol;
    if (!ev.target.value) return;
    if (rol === 'meer') markeer(ev.target.value);
    else if (rol === 'koppel') koppel(Number(ev.target.value));
  });
  op($('ent-pop'), 'click', (ev) => {
    const actie = ev.target.closest('[data-actie]')?.dataset.actie;
    const e = entById(popId);
    if (!actie || !e) return;
    verbergZwevend();
    if (actie === 'schakel') {
      e.active = !e.active;
      gewijzigd();
      renderMarkeren();
    } else if (actie === 'lijst') {
      flashRij(e.id);
    } else if (actie === 'weg') {
      verwijderEnt(e);
    }
  });
  op(document, 'mousedown', (ev) => {
    if (!ev.target.closest?.('.zwevend, #preview')) verbergZwevend();
  });
  op(document, 'keydown', (ev) => {
    if (ev.key === 'Escape') {
      verbergZwevend();
      return;
    }
    const n = Number(ev.key);
    if (!balk.classList.contains('open') || !(n >= 1 && n <= 5) || ev.ctrlKey || ev.altKey || ev.metaKey) return;
    if (inVeld(document.activeElement)) return;
    ev.preventDefault();
    markeer(HOOFD_CATS[n - 1]);
  });
}
