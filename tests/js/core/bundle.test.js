import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';
import { AnonCore } from '../../../web/src/core/exports.js';

const BUNDLE = '../../../build/web/anon-core.js';

// The served bundle carries the core's public object as the sources define it.
const MEMBERS = Object.keys(AnonCore);

test('the bundle exports the core under require', () => {
  const core = createRequire(import.meta.url)(BUNDLE);
  assert.deepEqual(Object.keys(core), MEMBERS);
  assert.deepEqual(Object.keys(core.CATS).length, 19);
  const matcher = core.buildMatcher([{ id: 1, cat: 'PERSOON', label: 'PERSOON_1', value: 'Karel Dekker', variants: core.suggestVariants('PERSOON', 'Karel Dekker'), active: true }]);
  assert.equal(core.anonymize('Brief aan K. Dekker', matcher), 'Brief aan [PERSOON_1]');
});

test('in a page the bundle attaches AnonCore to window and writes no other global', () => {
  const page = {};
  page.window = page;
  vm.createContext(page);
  const before = Object.getOwnPropertyNames(page);
  vm.runInContext(readFileSync(fileURLToPath(new URL(BUNDLE, import.meta.url)), 'utf8'), page);
  assert.deepEqual(Object.getOwnPropertyNames(page).filter((k) => !before.includes(k)), ['AnonCore']);
  assert.deepEqual(Object.keys(page.AnonCore), MEMBERS);
  assert.equal(page.AnonCore.detect('IBAN NL91ABNA0417164300')[0].cat, 'IBAN');
});
