// A view rendered whole as a list of pieces of HTML, one element each. When
// the container still holds the pieces of the last render, only the pieces
// that differ are put in again, so that a click on one of 14 000 rows costs
// one row; otherwise, or when most pieces differ, it is filled afresh.
const vorige = new WeakMap();

function vervang(el, html) {
  const sjabloon = document.createElement('template');
  sjabloon.innerHTML = html;
  el.replaceWith(sjabloon.content);
}

export function zetStukken(houder, stukken) {
  const oud = vorige.get(houder);
  vorige.set(houder, stukken);
  const kinderen = houder.children;
  if (oud && oud.length === stukken.length && kinderen.length === stukken.length) {
    const anders = [];
    for (let i = 0; i < stukken.length; i++) if (stukken[i] !== oud[i]) anders.push(i);
    if (anders.length * 2 <= stukken.length) {
      const elementen = anders.map((i) => kinderen[i]);
      anders.forEach((i, k) => vervang(elementen[k], stukken[i]));
      return;
    }
  }
  houder.innerHTML = stukken.join('');
}

// An element was changed outside a render: the next render puts its piece in again.
export function vergeetStuk(el) {
  const oud = vorige.get(el.parentElement);
  if (oud) oud[Array.prototype.indexOf.call(el.parentElement.children, el)] = null;
}
