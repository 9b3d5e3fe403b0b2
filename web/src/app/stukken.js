// A view rendered whole as a list of pieces, one element each. When the
// container still holds the pieces of the last render, only the pieces that
// differ are put in again, so that a click on one of 14 000 rows costs one
// row; otherwise, or when most pieces differ, it is filled afresh, keeping
// its scroll position when asked. The position is read only then: reading it
// forces a layout.
// A piece is HTML, or a frame around pieces of its own ({ open, close, in,
// binnen }: `in` names the element inside the frame that holds them, or is
// empty for the frame's element itself), as a table with its rows or a group
// with its header and rows.
const vorige = new WeakMap();

// Thousands of blocks or rows go in frames of DEEL, so that the frames out of
// view skip layout and a change lays out its own frame, not all its siblings.
const DEEL = 100;

export const groot = (stukken) => stukken.length > DEEL;

// The pieces, DEEL at a time, each lot in the frame that `kader` makes of it.
export function inDelen(stukken, kader) {
  const uit = [];
  for (let i = 0; i < stukken.length; i += DEEL) uit.push(kader(stukken.slice(i, i + DEEL)));
  return uit;
}

export const htmlVan = (stuk) => (typeof stuk === 'string' ? stuk : stuk.open + stuk.binnen.map(htmlVan).join('') + stuk.close);
const zelfdeKader = (a, b) => typeof a === 'object' && typeof b === 'object' && a && b && a.open === b.open && a.close === b.close;

function vervang(el, stuk) {
  const sjabloon = document.createElement('template');
  sjabloon.innerHTML = htmlVan(stuk);
  const nieuw = sjabloon.content.firstElementChild;
  el.replaceWith(sjabloon.content);
  if (nieuw && typeof stuk === 'object') onthoud(stuk.in ? nieuw.querySelector(stuk.in) ?? nieuw : nieuw, stuk.binnen);
}

export function zetStukken(houder, stukken, houdPlek = false) {
  const oud = vorige.get(houder);
  const kinderen = houder.children;
  if (oud && oud.length === stukken.length && kinderen.length === stukken.length) {
    const anders = [];
    const binnen = [];
    for (let i = 0; i < stukken.length; i++) {
      if (zelfdeKader(stukken[i], oud[i])) binnen.push(i);
      else if (stukken[i] !== oud[i]) anders.push(i);
    }
    if (anders.length * 2 <= stukken.length) {
      vorige.set(houder, stukken);
      for (const i of binnen) {
        const kader = kinderen[i];
        const doel = stukken[i].in ? kader.querySelector(stukken[i].in) : kader;
        if (doel) zetStukken(doel, stukken[i].binnen);
        else anders.push(i);
      }
      const elementen = anders.map((i) => kinderen[i]);
      anders.forEach((i, k) => vervang(elementen[k], stukken[i]));
      return;
    }
  }
  const plek = houdPlek ? houder.scrollTop : 0;
  houder.innerHTML = stukken.map(htmlVan).join('');
  onthoud(houder, stukken);
  if (houdPlek) houder.scrollTop = plek;
}

// Frames filled just now hold their pieces, so the next render can look inside.
function onthoud(houder, stukken) {
  vorige.set(houder, stukken);
  const kinderen = houder.children;
  stukken.forEach((stuk, i) => {
    if (typeof stuk !== 'object') return;
    const doel = stuk.in ? kinderen[i]?.querySelector(stuk.in) : kinderen[i];
    if (doel) onthoud(doel, stuk.binnen);
  });
}

// An element was changed outside a render: the next render puts its piece in again.
export function vergeetStuk(el) {
  const oud = vorige.get(el.parentElement);
  if (oud) oud[Array.prototype.indexOf.call(el.parentElement.children, el)] = null;
}
