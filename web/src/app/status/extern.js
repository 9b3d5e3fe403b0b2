// Links to the maker's pages leave the app window: in the desktop edition the
// desktop side opens them in the default browser; the page only loads a pixel.
import { op } from '../bind.js';

export const status = () => globalThis.ANON_STATUS || null;

function pixel(pad) {
  new Image().src = pad;
}

export function extern(url) {
  pixel(`/extern?u=${encodeURIComponent(url)}`);
}

export function verberg(tekst) {
  pixel(`/verberg?b=${encodeURIComponent(tekst)}`);
}

// Without a status object (hosted edition) the links open in a new tab as written.
export function bindExtern() {
  op(document, 'click', (ev) => {
    const link = ev.target instanceof Element ? ev.target.closest('a[data-extern]') : null;
    if (!link || !status()) return;
    ev.preventDefault();
    extern(link.href);
  });
}
