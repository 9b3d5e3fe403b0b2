// Runs the desktop program as a process, as the starter would, in a folder of
// its own with its own data folder; the paths of the host and the library come
// from the build (VERHULZEN_HOST, VERHULZEN_LIB).
import { execFileSync, spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer, request } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';

const HOST = process.env.VERHULZEN_HOST;
const LIB = process.env.VERHULZEN_LIB;
if (!HOST || !LIB) throw new Error('VERHULZEN_HOST and VERHULZEN_LIB must name the built host and library');

// A program folder: the library, and a web folder with the given files unless web is null.
export function installeer(web = { 'index.html': '<!doctype html><title>Drovel Verhulzen</title>' }) {
  const root = mkdtempSync(join(tmpdir(), 'verhulzen-e2e-'));
  mkdirSync(join(root, 'app'));
  const lib = join(root, 'app', 'verhulzen_app.so');
  copyFileSync(LIB, lib);
  if (web) schrijfWeb(join(root, 'app', 'web'), web);
  const data = join(root, 'data');
  return { root, lib, data, instance: join(data, 'instance.json'), opruimen: () => rmSync(root, { recursive: true, force: true }) };
}

// The environment of a start by the user whose home folder is `home`: no update
// check, the sanitizers' options passed on, and `env` on top.
export const omgevingVan = (home, env) => ({
  PATH: process.env.PATH,
  HOME: home,
  VERHULZEN_GEEN_UPDATE: '1',
  ...(process.env.ASAN_OPTIONS ? { ASAN_OPTIONS: process.env.ASAN_OPTIONS } : {}),
  ...env,
});

// A web folder with the given files; a name may lead through folders.
function schrijfWeb(map, web) {
  mkdirSync(map, { recursive: true });
  for (const [naam, inhoud] of Object.entries(web)) {
    mkdirSync(dirname(join(map, naam)), { recursive: true });
    writeFileSync(join(map, naam), inhoud);
  }
}

// Starts the program; `klaar` resolves with its exit code, signal and output.
export function start(app, { env = {}, args = [], voor = [] } = {}) {
  const omgeving = omgevingVan(app.root, { VERHULZEN_DATA_DIR: app.data, ...env });
  for (const [naam, waarde] of Object.entries(omgeving)) if (waarde === undefined) delete omgeving[naam];
  return volg([...voor, HOST, app.lib, ...args], omgeving);
}

// A process with its output collected; `klaar` gives its end with what it wrote.
export function volg(opdracht, omgeving) {
  const kind = spawn(opdracht[0], opdracht.slice(1), { env: omgeving, stdio: ['ignore', 'pipe', 'pipe'] });
  let stdout = '';
  let stderr = '';
  kind.stdout.on('data', (d) => { stdout += d; });
  kind.stderr.on('data', (d) => { stderr += d; });
  const klaar = new Promise((resolve) => kind.on('close', (code, signal) => resolve({ code, signal, stdout, stderr })));
  return { kind, klaar };
}

// The package of this build's library and starter, with the given web files, made
// in `werk`; its path.
export function maakPakket(werk, web) {
  const stage = join(werk, 'stage');
  schrijfWeb(join(stage, 'web'), web);
  copyFileSync(LIB, join(stage, 'verhulzen_app.so'));
  const pakket = join(werk, 'DrovelVerhulzen');
  execFileSync(process.env.VERHULZEN_PACK, [process.env.VERHULZEN_STARTER, stage, pakket], { stdio: 'ignore' });
  return pakket;
}

// A web folder whose page, once a window has loaded it, reports its own address to a
// listener of the test: it may fetch nothing from another origin, but navigate there.
// `gezien` holds the paths the listener was asked for.
export async function meldendePagina(t) {
  const gezien = [];
  const luisteraar = createServer((req, res) => { gezien.push(req.url); res.end('ok'); });
  await new Promise((r) => luisteraar.listen(0, '127.0.0.1', r));
  t.after(() => luisteraar.close());
  const terug = `http://127.0.0.1:${luisteraar.address().port}/gezien?van=`;
  const web = {
    'index.html': '<!doctype html><title>Drovel Verhulzen</title><script src="meld.js"></script>',
    'meld.js': `location.href = ${JSON.stringify(terug)} + encodeURIComponent(location.href);`,
  };
  return { web, gezien };
}

export async function wachtOp(voorwaarde, { ms = 20000, wat = 'voorwaarde' } = {}) {
  const einde = Date.now() + ms;
  for (;;) {
    const waarde = await voorwaarde();
    if (waarde) return waarde;
    if (Date.now() > einde) throw new Error(`wachten op ${wat} duurde te lang`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// The instance record once the program has written it whole.
export function leesInstance(app) {
  return wachtOp(() => {
    if (!existsSync(app.instance)) return null;
    try {
      return JSON.parse(readFileSync(app.instance, 'utf8'));
    } catch {
      return null;
    }
  }, { wat: 'instance.json' });
}

// One GET on the loopback address, or a POST of `verstuurd`: { status, body }, or the
// error of the connection.
export function haal(port, pad = '/', verstuurd) {
  const post = verstuurd === undefined ? {} : { method: 'POST', headers: { 'Content-Length': Buffer.byteLength(verstuurd) } };
  return new Promise((resolve, reject) => {
    request({ host: '127.0.0.1', port, path: pad, agent: false, ...post }, (res) => {
      let body = '';
      res.on('data', (d) => { body += d; });
      res.on('end', () => resolve({ status: res.statusCode, body }));
    }).on('error', reject).end(verstuurd);
  });
}

// The processes running now, each with its arguments.
function processen() {
  const lijst = [];
  for (const pid of readdirSync('/proc').filter((n) => /^\d+$/.test(n))) {
    try {
      lijst.push({ pid: Number(pid), args: readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0') });
    } catch {
      // ended meanwhile
    }
  }
  return lijst;
}

// The browser process that the program started: the one with the profile that
// is no helper (helpers carry --type=).
export function browserProces(profiel) {
  const p = processen().find(({ args }) => args.includes(`--user-data-dir=${profiel}`) && !args.some((a) => a.startsWith('--type=')));
  return p ? p.pid : null;
}

// Every process of the browser, its helpers too: those that name the profile.
export const profielProcessen = (profiel) => processen().filter(({ args }) => args.some((a) => a.includes(profiel))).map(({ pid }) => pid);
