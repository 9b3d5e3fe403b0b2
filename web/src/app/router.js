// Views by the address fragment.
import { renderAi } from './ai/view.js';
import { renderDocs } from './docs-view.js';
import { verbergZwevend } from './marking/floating.js';
import { renderMarkeren } from './marking/view.js';
import { renderSleutel } from './sleutel/tabel.js';
import { renderTerug } from './terug/view.js';
import { renderVervolg } from './terug/vervolg.js';
import { $ } from './ui.js';

export const TITELS = {
  document: 'Document',
  markeren: 'Markeren',
  ai: 'Naar AI',
  terug: 'Terugzetten',
  sleutel: 'Sleutelbestand',
  uitleg: 'Uitleg',
};

// Views without behaviour of their own show their static frame.
const RENDER = {
  document: renderDocs,
  markeren: renderMarkeren,
  sleutel: renderSleutel,
  ai: renderAi,
  terug: () => {
    renderTerug();
    renderVervolg();
  },
};

// A fragment with a broken percent escape names no view, rather than breaking the page.
export function viewVanFragment() {
  const fragment = location.hash.slice(1);
  try {
    return decodeURIComponent(fragment);
  } catch {
    return fragment;
  }
}

export function huidigeView() {
  return document.querySelector('.view.active')?.id.slice('view-'.length);
}

export function toonView(v) {
  const view = Object.hasOwn(TITELS, v) ? v : 'document';
  for (const sectie of document.querySelectorAll('.view')) sectie.classList.toggle('active', sectie.id === `view-${view}`);
  for (const a of document.querySelectorAll('[data-view]')) a.classList.toggle('active', a.dataset.view === view);
  $('view-title').textContent = TITELS[view];
  verbergZwevend();
  RENDER[view]?.();
  window.scrollTo(0, 0);
}

// Switching by the fragment; when it already names the view, show it again.
export function gaNaar(v) {
  if (viewVanFragment() === v) toonView(v);
  else location.hash = v;
}
