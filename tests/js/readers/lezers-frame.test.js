// The served bundle of the library-free readers: what it attaches and exports.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';

const BUNDLE = fileURLToPath(new URL('../../../build/web/lezers.js', import.meta.url));

// The readers' object as the sources define it: their entry module puts it on globalThis.
await import('../../../web/src/lezers/lezers.js');
const MEMBERS = Object.keys(globalThis.AnonLezers);

test('require() gives the same object that the bundle puts on globalThis', () => {
  const exported = createRequire(import.meta.url)(BUNDLE);
  assert.equal(exported, globalThis.AnonLezers);
  assert.deepEqual(Object.keys(exported), MEMBERS);
});

test('the bundle writes one global: AnonLezers, on window when there is one', () => {
  const source = readFileSync(BUNDLE, 'utf8');
  for (const withWindow of [false, true]) {
    const context = vm.createContext({ TextDecoder, ...(withWindow ? { window: {} } : {}) });
    const before = Object.getOwnPropertyNames(context);
    vm.runInContext(source, context);
    const target = withWindow ? context.window : context;
    assert.deepEqual(Object.keys(target.AnonLezers), MEMBERS);
    const added = Object.getOwnPropertyNames(context).filter((name) => !before.includes(name));
    assert.deepEqual(added, withWindow ? [] : ['AnonLezers']);
  }
});
