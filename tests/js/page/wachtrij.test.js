import assert from 'node:assert/strict';
import { test } from 'node:test';
import { onderLaden, opDeBeurt } from '../../../web/src/app/wachtrij.js';

// The busy overlay as the line leaves it: shown or not.
function fakeOverlay() {
  const overlay = { aan: false };
  globalThis.document = { getElementById: () => ({ classList: { toggle: (c, aan) => { overlay.aan = aan; } } }) };
  return overlay;
}

// A piece of work that ends when the test says so.
function houder() {
  let klaar;
  const wacht = new Promise((resolve) => { klaar = resolve; });
  return { wacht, klaar };
}

const beurt = () => new Promise((r) => setImmediate(r));

test('pieces run one after another in the order asked; one that fails does not stop the next', async () => {
  const overlay = fakeOverlay();
  const gedaan = [];
  const lang = houder();
  const pieces = [
    onderLaden(async () => { await lang.wacht; gedaan.push('scan'); }),
    opDeBeurt(() => { throw new Error('stuk'); }),
    onderLaden(async () => { gedaan.push('knipsel'); throw new Error('ook stuk'); }),
    opDeBeurt(() => gedaan.push('nieuwe sessie')),
  ];
  await beurt();
  assert.deepEqual(gedaan, []);
  assert.equal(overlay.aan, true);
  lang.klaar();
  const uitkomst = await Promise.allSettled(pieces);
  assert.deepEqual(gedaan, ['scan', 'knipsel', 'nieuwe sessie']);
  assert.deepEqual(uitkomst.map((u) => u.reason?.message), [undefined, 'stuk', 'ook stuk', undefined]);
  assert.equal(overlay.aan, false);
});

test('the overlay stays until the last piece in the line is done, whichever showed it', async () => {
  const overlay = fakeOverlay();
  const scan = houder();
  const wissen = houder();
  const eerste = onderLaden(() => scan.wacht);
  const tweede = opDeBeurt(() => wissen.wacht);
  scan.klaar();
  await eerste;
  await beurt();
  assert.equal(overlay.aan, true);
  wissen.klaar();
  await tweede;
  assert.equal(overlay.aan, false);
});
