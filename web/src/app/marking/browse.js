// Browsing through every occurrence of one entity across all documents.
import { bijWijziging } from '../change.js';
import { telAlles, telPerDoc } from '../matchers.js';
import { S, bewaar } from '../session.js';
import { $, toast } from '../ui.js';

// The marking view hands over its current document, its render and its
// counters when it is bound, so that browsing need not import it.
let markeren = null;

export function meldMarkeren(view) {
  markeren = view;
}

let stand = { id: null, index: -1, volgorde: [] };

export const bladerStand = () => stand;

// The mark shown as the current occurrence, so that its classes are taken away
// without a search through thousands of marks.
let getoond = null;

export function vergeetGetoond() {
  getoond?.classList.remove('flash', 'huidig');
  getoond = null;
}

export function vergeetBladeren() {
  stand = { id: null, index: -1, volgorde: [] };
}
bijWijziging(vergeetBladeren);

// Documents holding the entity, starting at the current one (or the first that
// holds it) and wrapping round in session order.
export function bladerVolgorde(metTreffers, docIds, curId) {
  const houdt = new Set(metTreffers);
  const start = houdt.has(curId) ? docIds.indexOf(curId) : docIds.findIndex((id) => houdt.has(id));
  return [...docIds.slice(start), ...docIds.slice(0, start)].filter((id) => houdt.has(id));
}

// The document and the occurrence within it of the index-th occurrence over the order.
export function plekVan(volgorde, aantallen, index) {
  let rest = index;
  for (const id of volgorde) {
    if (rest < aantallen[id]) return { id, binnen: rest };
    rest -= aantallen[id];
  }
  return null;
}

export function toonInVoorbeeld(id, stap = 1) {
  const aantallen = telPerDoc(id);
  const metTreffers = Object.keys(aantallen);
  if (!metTreffers.length) {
    toast('Komt in geen van de documenten voor.');
    return;
  }
  const totaal = metTreffers.reduce((som, d) => som + aantallen[d], 0);
  const eerder = stand.id;
  if (stand.id === id) {
    stand.index = (((stand.index + (stap || 1)) % totaal) + totaal) % totaal;
  } else {
    const ids = S.docs.map((d) => d.id);
    stand = { id, index: 0, volgorde: bladerVolgorde(metTreffers, ids, markeren.huidigDoc()?.id) };
  }
  const plek = plekVan(stand.volgorde, aantallen, stand.index);
  if (plek.id !== markeren.huidigDoc()?.id) {
    S.cur = plek.id;
    bewaar();
    markeren.render();
  }
  const marks = [...$('preview').querySelectorAll(`mark.ent[data-id="${id}"]`)];
  const mark = marks[Math.min(plek.binnen, marks.length - 1)];
  if (mark) {
    mark.scrollIntoView({ behavior: 'smooth', block: 'center' });
    vergeetGetoond();
    void mark.offsetWidth;
    mark.classList.add('flash', 'huidig');
    getoond = mark;
  }
  if (totaal > 1) {
    const docs = metTreffers.length > 1 ? ` (in ${metTreffers.length} documenten)` : '';
    toast(`Treffer ${stand.index + 1} van ${totaal}${docs}. Met ‹ › naast het aantal naar de vorige of volgende.`);
  }
  markeren.toonTellingen(telAlles(), [eerder, id]);
}
