// Start-up of the packaged program (dist/DrovelVerhulzen, `make package`): time
// from starting it to the first answered request, without a browser window.
//   node bench/startup.mjs [runs]
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const PAKKET = fileURLToPath(new URL('../dist/DrovelVerhulzen', import.meta.url));
const RUNS = Number(process.argv[2] || 15);

const get = (port) => new Promise((resolve) => {
  request({ host: '127.0.0.1', port, path: '/', agent: false }, (res) => { res.resume(); res.on('end', () => resolve(res.statusCode)); })
    .on('error', () => resolve(0)).end();
});

async function eenStart() {
  const home = mkdtempSync(join(tmpdir(), 'verhulzen-startup-'));
  const data = join(home, 'data');
  const begin = process.hrtime.bigint();
  const kind = spawn(PAKKET, [], {
    env: { PATH: process.env.PATH, HOME: home, VERHULZEN_DATA_DIR: data, VERHULZEN_GEEN_UPDATE: '1', VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '30' },
    stdio: 'ignore',
  });
  let ms;
  for (;;) {
    let port = null;
    try {
      port = JSON.parse(readFileSync(join(data, 'instance.json'), 'utf8')).port;
    } catch {
      // not written yet
    }
    if (port && await get(port) === 200) {
      ms = Number(process.hrtime.bigint() - begin) / 1e6;
      break;
    }
    await new Promise((r) => setTimeout(r, 1));
  }
  kind.kill('SIGTERM');
  await new Promise((r) => kind.once('exit', r));
  rmSync(home, { recursive: true, force: true });
  return ms;
}

const tijden = [];
for (let i = 0; i < RUNS; i++) tijden.push(await eenStart());
tijden.sort((a, b) => a - b);
const mb = (statSync(PAKKET).size / 1048576).toFixed(1);
console.log(`package ${mb} MiB; start to first answer over ${RUNS} runs: median ${tijden[RUNS >> 1].toFixed(0)} ms, `
  + `min ${tijden[0].toFixed(0)} ms, max ${tijden.at(-1).toFixed(0)} ms`);
