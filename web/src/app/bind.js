// The interface's error edge: a failing handler, sync or async, ends in a
// toast instead of an uncaught error.
import { toast } from './ui.js';

function fout(err) {
  console.error(err);
  toast(`Er ging iets mis: ${err?.message || err}`);
}

export function veilig(fn) {
  try {
    const r = fn();
    if (r && typeof r.catch === 'function') r.catch(fout);
  } catch (err) {
    fout(err);
  }
}

export function op(doel, type, fn, opties) {
  doel.addEventListener(type, (ev) => veilig(() => fn(ev)), opties);
}
