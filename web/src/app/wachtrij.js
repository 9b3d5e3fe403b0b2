// One line for all work that adds documents to the session or replaces, wipes
// or scans it again: each piece starts when the one before it has ended, in
// the order the user asked for them. A document therefore always lands in the
// session it was handed to, and an action started by keyboard while a scan is
// read (the overlay blocks only the mouse) waits for the scan.
import { toonLaden } from './ui.js';

let staart = Promise.resolve();
let open = 0;

// The overlay, once shown, stays until the line is empty.
export function opDeBeurt(werk) {
  open += 1;
  const beurt = staart.then(werk).finally(() => {
    open -= 1;
    if (!open) toonLaden(false);
  });
  staart = beurt.catch(() => {});
  return beurt;
}

// Work under the busy overlay, which blocks the mouse meanwhile. Never call
// either from work that is in the line already: it would wait for itself.
export function onderLaden(werk) {
  toonLaden(true);
  return opDeBeurt(werk);
}
