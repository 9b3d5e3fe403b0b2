// The page as the desktop program serves it: our own server with its security
// headers, the page working under them, and nothing requested from another host.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import { launchBrowser } from './support/chromium.js';
import { CSP, openPage } from './support/page-server.js';

const ROOT = fileURLToPath(new URL('../..', import.meta.url));
const BUILD = join(ROOT, 'build', 'cpp', 'app');

let browser;
let program;
let folder;
let origin;

// A program folder as the starter lays it out: the library with the web folder beside it.
before(async () => {
  folder = mkdtempSync(join(tmpdir(), 'verhulzen-desktop-'));
  copyFileSync(join(BUILD, 'verhulzen_app.so'), join(folder, 'verhulzen_app.so'));
  symlinkSync(join(ROOT, 'build', 'web'), join(folder, 'web'));
  const data = join(folder, 'data');
  program = spawn(join(BUILD, 'serve_host'), [join(folder, 'verhulzen_app.so')], {
    env: { PATH: process.env.PATH, HOME: folder, VERHULZEN_DATA_DIR: data, VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_GEEN_UPDATE: '1', VERHULZEN_LOOPTIJD: '120' },
    stdio: 'ignore',
  });
  const instance = join(data, 'instance.json');
  for (let i = 0; i < 100 && !existsSync(instance); i++) await sleep(50);
  origin = `http://127.0.0.1:${JSON.parse(readFileSync(instance, 'utf8')).port}`;
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  program?.kill('SIGTERM');
  if (program) await new Promise((resolve) => program.exitCode !== null ? resolve() : program.once('exit', resolve));
  rmSync(folder, { recursive: true, force: true });
});

test('the desktop server sends the page with its policy, and the page scans a pasted text under it', async () => {
  const answer = await fetch(`${origin}/`);
  assert.equal(answer.status, 200);
  assert.equal(answer.headers.get('content-security-policy'), CSP);

  const { page, problems } = await openPage(browser, origin);
  await page.fill('#plak-tekst', 'Geachte heer Jan de Vries,\n\nUw IBAN NL91ABNA0417164300 is ontvangen.');
  await page.click('#btn-plak');
  await page.waitForFunction(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1') || '{}').ents?.length >= 2);
  const labels = await page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')).ents.map((e) => e.label));
  assert.deepEqual(labels.sort(), ['IBAN_1', 'PERSOON_1']);
  assert.deepEqual(problems, []);
});

test('the page takes its status object from the status script the server builds', async () => {
  const script = await (await fetch(`${origin}/status.js`)).text();
  assert.match(script, /^window\.ANON_STATUS = \{.*\};\n$/);
  const served = JSON.parse(script.slice('window.ANON_STATUS = '.length, -2));
  assert.equal(served.versie, '1.3.0');
  assert.equal(served.blokkeer, null);

  const { page, problems } = await openPage(browser, origin);
  assert.deepEqual(await page.evaluate(() => window.ANON_STATUS), served);
  assert.deepEqual(problems, []);
});
