import assert from 'node:assert/strict';
import { afterEach, beforeEach, mock, test } from 'node:test';
import { debounce, kopieer } from '../../../web/src/app/ui.js';

// A page just large enough for copying: the clipboard, the copy command and a toast.
function fakePage({ clipboard, copyCommand }) {
  const made = [];
  const toast = { textContent: '', classList: { add() {}, remove() {}, toggle() {} } };
  Object.defineProperty(globalThis, 'navigator', { value: { clipboard }, configurable: true });
  globalThis.document = {
    getElementById: () => toast,
    createElement: (tag) => {
      const el = { tag, style: {}, value: '', select() {}, remove() { el.removed = true; } };
      made.push(el);
      return el;
    },
    body: { appendChild() {} },
    execCommand: (cmd) => cmd === 'copy' && copyCommand(made.at(-1)),
  };
  return { made, toast };
}

function fakeButton() {
  const classes = new Set();
  return { innerHTML: 'Kopieer tekst', classes, classList: { add: (c) => classes.add(c), remove: (c) => classes.delete(c) } };
}

beforeEach(() => mock.timers.enable({ apis: ['setTimeout'] }));
afterEach(() => mock.timers.reset());

test('a refused clipboard falls back to the copy command and confirms on the button for 1400 ms', async () => {
  let copied;
  const { made } = fakePage({
    clipboard: { writeText: () => Promise.reject(new Error('geweigerd')) },
    copyCommand: (el) => { copied = el.value; return true; },
  });
  const knop = fakeButton();
  assert.equal(await kopieer('[PERSOON_1] belt.', null, knop), true);
  assert.equal(copied, '[PERSOON_1] belt.');
  assert.equal(made[0].tag, 'textarea');
  assert.ok(made[0].removed);
  assert.ok(knop.classes.has('ok'));
  assert.match(knop.innerHTML, /Gekopieerd$/);
  mock.timers.tick(1400);
  assert.equal(knop.innerHTML, 'Kopieer tekst');
  assert.ok(!knop.classes.has('ok'));
});

test('a second copy during the confirmation still brings the old content back', async () => {
  fakePage({ clipboard: { writeText: async () => {} }, copyCommand: () => false });
  const knop = fakeButton();
  await kopieer('een', null, knop);
  mock.timers.tick(700);
  await kopieer('twee', null, knop);
  mock.timers.tick(700);
  assert.match(knop.innerHTML, /Gekopieerd$/, 'the confirmation lasts 1400 ms from the last copy');
  mock.timers.tick(700);
  assert.equal(knop.innerHTML, 'Kopieer tekst');
  assert.ok(!knop.classes.has('ok'));
});

test('when every way fails the user is told to copy by hand', async () => {
  const { toast } = fakePage({ clipboard: undefined, copyCommand: () => false });
  assert.equal(await kopieer('tekst', null, fakeButton()), false);
  assert.equal(toast.textContent, 'Kopiëren lukte niet. Selecteer de tekst en gebruik Ctrl+C.');
});

test('HTML goes to the clipboard as one item with an HTML and a plain-text flavour', async () => {
  const written = [];
  globalThis.ClipboardItem = class { constructor(parts) { this.types = Object.keys(parts); } };
  fakePage({ clipboard: { write: async (items) => { written.push(...items); } }, copyCommand: () => false });
  assert.equal(await kopieer('platte tekst', '<b>opmaak</b>', null), true);
  assert.deepEqual(written.map((i) => i.types), [['text/html', 'text/plain']]);
  delete globalThis.ClipboardItem;
});

test('debounce runs once, with the last arguments, after the burst', () => {
  const runs = [];
  const later = debounce((x) => runs.push(x), 150);
  later(1);
  mock.timers.tick(100);
  later(2);
  later(3);
  mock.timers.tick(149);
  assert.deepEqual(runs, []);
  mock.timers.tick(1);
  assert.deepEqual(runs, [3]);
});
