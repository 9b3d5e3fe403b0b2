// Our desktop program serving the built web folder, laid out as the starter
// lays it out: the library with the web folder beside it, no window, no update check.
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { setTimeout as sleep } from 'node:timers/promises';

const ROOT = fileURLToPath(new URL('../../..', import.meta.url));
const BUILD = join(ROOT, 'build', 'cpp', 'app');

// `env` adds to or (with undefined) removes from the program's environment;
// `voorbereid` gets the data folder before the program starts.
export async function startDesktop({ env = {}, voorbereid } = {}) {
  const folder = mkdtempSync(join(tmpdir(), 'verhulzen-desktop-'));
  copyFileSync(join(BUILD, 'verhulzen_app.so'), join(folder, 'verhulzen_app.so'));
  symlinkSync(join(ROOT, 'build', 'web'), join(folder, 'web'));
  const data = join(folder, 'data');
  voorbereid?.(data);
  const omgeving = { PATH: process.env.PATH, HOME: folder, VERHULZEN_DATA_DIR: data, VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_GEEN_UPDATE: '1', VERHULZEN_LOOPTIJD: '120', ...env };
  for (const [naam, waarde] of Object.entries(omgeving)) if (waarde === undefined) delete omgeving[naam];
  const program = spawn(join(BUILD, 'serve_host'), [join(folder, 'verhulzen_app.so')], { env: omgeving, stdio: 'ignore' });
  const instance = join(data, 'instance.json');
  // The record comes after the start's wait for the update check, which may take seconds.
  const einde = Date.now() + 30000;
  while (!existsSync(instance)) {
    if (program.exitCode !== null || Date.now() > einde) throw new Error(`the program wrote no instance.json (exit ${program.exitCode})`);
    await sleep(50);
  }
  const origin = `http://127.0.0.1:${JSON.parse(readFileSync(instance, 'utf8')).port}`;
  async function stop() {
    program.kill('SIGTERM');
    await new Promise((resolve) => program.exitCode !== null ? resolve() : program.once('exit', resolve));
    rmSync(folder, { recursive: true, force: true });
  }
  return { origin, data, stop };
}
