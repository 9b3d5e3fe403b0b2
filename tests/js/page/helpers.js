// Loads the built core onto globalThis, as the page has it, and gives each test a fresh session.
import { createRequire } from 'node:module';
import { leeg, vervangSessie } from '../../../web/src/app/session.js';

createRequire(import.meta.url)('../../../build/web/anon-core.js');

export function freshSession() {
  vervangSessie(leeg());
}

// Enough of a page for toast(): one element that takes text and classes.
export function fakeDocument() {
  const el = { textContent: '', classList: { add() {}, remove() {}, toggle() {} } };
  globalThis.document = { getElementById: () => el };
  return el;
}
