// Views by the address fragment. Each view registers its own render function
// when it is bound, so that the router knows none of them.
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
const RENDER = {};
// Run before any view is shown, as a floating menu of the last one is put away.
const BIJ_WISSEL = [];

export function meldView(view, render) {
  RENDER[view] = render;
}

export function bijWissel(fn) {
  BIJ_WISSEL.push(fn);
}

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
  for (const fn of BIJ_WISSEL) fn();
  RENDER[view]?.();
  window.scrollTo(0, 0);
}

// Switching by the fragment; when it already names the view, show it again.
export function gaNaar(v) {
  if (viewVanFragment() === v) toonView(v);
  else location.hash = v;
}
