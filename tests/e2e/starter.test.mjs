// The starter as the user runs it: unpacks, runs the program a second time,
// passes its status on and leaves no folder behind; its own failures end with 2.
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { haal, maakPakket, omgevingVan, volg, wachtOp } from './support.mjs';

const STARTER = process.env.VERHULZEN_STARTER;

let werk;
let pakket;

// A package of the library of this build with a small web folder.
before(() => {
  werk = mkdtempSync(join(tmpdir(), 'verhulzen-starter-'));
  pakket = maakPakket(werk, { 'index.html': '<!doctype html><title>Drovel Verhulzen</title>' });
});
after(() => rmSync(werk, { recursive: true, force: true }));

// A user of their own: home, data folder and application-data folder.
function gebruiker(t) {
  const home = mkdtempSync(join(werk, 'home-'));
  t.after(() => rmSync(home, { recursive: true, force: true }));
  return { home, runtime: join(home, '.local', 'share', 'DrovelVerhulzen', 'runtime'), data: join(home, 'data') };
}

function starter(g, { env = {}, args = [], programma = pakket, voor = [] } = {}) {
  return volg([...voor, programma, ...args], omgevingVan(g.home, { VERHULZEN_DATA_DIR: g.data, VERHULZEN_GEEN_BROWSER: '1', ...env }));
}

// The starter's own end; its streams stay open while the program it started runs on.
const geeindigd = (kind) => new Promise((resolve) => (kind.exitCode !== null || kind.signalCode ? resolve() : kind.once('exit', resolve)));

const mappen = (g) => (existsSync(g.runtime) ? readdirSync(g.runtime) : []);

function record(g) {
  return wachtOp(() => {
    try {
      return JSON.parse(readFileSync(join(g.data, 'instance.json'), 'utf8'));
    } catch {
      return null;
    }
  }, { wat: 'instance.json' });
}

describe('starter', { concurrency: true }, () => {
  test('passes the program\'s status on and removes its folder after every end', async (t) => {
    for (const [looptijd, status] of [['0.2', 0], ['lang', 1]]) {
      const g = gebruiker(t);
      const einde = await starter(g, { env: { VERHULZEN_LOOPTIJD: looptijd } }).klaar;
      assert.equal(einde.code, status, einde.stderr);
      assert.deepEqual(mappen(g), [], `VERHULZEN_LOOPTIJD=${looptijd}`);
    }
  });

  test('a child\'s end is seen also when the starter was started with SIGCHLD ignored', async (t) => {
    const g = gebruiker(t);
    const { kind, klaar } = starter(g, { env: { VERHULZEN_LOOPTIJD: '0.2' }, voor: ['env', '--ignore-signal=CHLD'] });
    const wacht = setTimeout(() => kind.kill('SIGKILL'), 10_000);
    const einde = await klaar;
    clearTimeout(wacht);
    assert.equal(einde.code, 0, einde.stderr);
    assert.deepEqual(mappen(g), []);
  });

  test('a request to end the starter reaches the program, which cleans up; the status is 130', async (t) => {
    const g = gebruiker(t);
    const { kind, klaar } = starter(g, { env: { VERHULZEN_LOOPTIJD: '60' } });
    const { port } = await record(g);
    assert.equal((await haal(port)).status, 200);
    assert.equal(mappen(g).length, 2, 'the folder and its lock while it runs');
    kind.kill('SIGTERM');
    const einde = await klaar;
    assert.equal(einde.code, 130, einde.stderr);
    assert.deepEqual(mappen(g), []);
    assert.equal(existsSync(join(g.data, 'instance.json')), false);
  });

  test('a request to end the starter while it unpacks leaves no folder either', async (t) => {
    for (const ms of [5, 20, 60]) {
      const g = gebruiker(t);
      const { kind, klaar } = starter(g, { env: { VERHULZEN_LOOPTIJD: '60' } });
      setTimeout(() => kind.kill('SIGTERM'), ms);
      const einde = await klaar;
      assert.ok([130, 143].includes(einde.code) || einde.signal === 'SIGTERM', `after ${ms} ms: ${einde.code} ${einde.signal} ${einde.stderr}`);
      assert.deepEqual(mappen(g), [], `after ${ms} ms`);
    }
  });

  test('the second process gets the arguments exactly as given', async (t) => {
    const g = gebruiker(t);
    const args = ['met spatie', 'aan"hal\'ing', 'één \\ twee', ''];
    const { kind, klaar } = starter(g, { env: { VERHULZEN_LOOPTIJD: '60' }, args });
    const { pid } = await record(g);
    const opdracht = readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').slice(0, -1);
    assert.deepEqual(opdracht, [pakket, ...args]);
    kind.kill('SIGTERM');
    await klaar;
  });

  test('its own failures end with 2 and a message, and run nothing', async (t) => {
    const beschadigd = join(werk, 'beschadigd');
    const inhoud = readFileSync(pakket);
    inhoud[inhoud.length - 4096] ^= 0x55;
    writeFileSync(beschadigd, inhoud, { mode: 0o755 });
    // A byte of the starter's own code, in a text it shows only when it cannot start the program.
    const code = join(werk, 'code-beschadigd');
    const eigen = readFileSync(pakket);
    const tekst = eigen.indexOf('kan het programma niet starten');
    assert.ok(tekst > 0 && tekst < readFileSync(STARTER).length, 'the text lies in the starter\'s code');
    eigen[tekst] ^= 0x20;
    writeFileSync(code, eigen, { mode: 0o755 });
    const afgekapt = join(werk, 'afgekapt');
    writeFileSync(afgekapt, inhoud.subarray(0, inhoud.length - 100), { mode: 0o755 });
    const bestand = join(werk, 'een-bestand');
    writeFileSync(bestand, '');

    const gevallen = [
      ['one byte changed', { programma: beschadigd }],
      ['one byte of the starter\'s own code changed', { programma: code }],
      ['cut short', { programma: afgekapt }],
      ['no starter payload at all', { programma: STARTER }],
      ['an application-data folder that cannot be made', { env: { XDG_DATA_HOME: join(bestand, 'data') } }],
      ['a disk that fills up while unpacking', { voor: ['sh', '-c', 'trap "" XFSZ; ulimit -f 64; exec "$@"', 'sh'] }],
    ];
    await Promise.all(gevallen.map(async ([naam, opties]) => {
      const g = gebruiker(t);
      const einde = await starter(g, opties).klaar;
      assert.equal(einde.code, 2, `${naam}: ${einde.stderr}`);
      assert.match(einde.stderr, /^Drovel Verhulzen kan niet starten: /, naam);
      assert.equal(existsSync(join(g.data, 'instance.json')), false, `${naam}: the program did not run`);
      assert.deepEqual(mappen(g), [], `${naam}: nothing left behind`);
    }));
  });

  test('two starters at once each run in a folder of their own', async (t) => {
    const g = gebruiker(t);
    const eindes = await Promise.all([0, 1].map((i) => starter(g, { env: { VERHULZEN_LOOPTIJD: '0.5', VERHULZEN_DATA_DIR: `${g.data}${i}` } }).klaar));
    assert.deepEqual(eindes.map((e) => e.code), [0, 0], eindes.map((e) => e.stderr).join('\n'));
    assert.deepEqual(mappen(g), []);
  });

  test('a starter killed during unpacking or the run leaves a folder that a later start removes', async (t) => {
    const g = gebruiker(t);
    const uitpakken = starter(g, { env: { VERHULZEN_LOOPTIJD: '0.3' } });
    setTimeout(() => uitpakken.kind.kill('SIGKILL'), 3);
    await geeindigd(uitpakken.kind);

    const lopend = starter(g, { env: { VERHULZEN_LOOPTIJD: '60', VERHULZEN_DATA_DIR: `${g.data}-lopend` } });
    const { pid } = await wachtOp(() => {
      try {
        return JSON.parse(readFileSync(join(`${g.data}-lopend`, 'instance.json'), 'utf8'));
      } catch {
        return null;
      }
    }, { wat: 'instance.json' });
    lopend.kind.kill('SIGKILL');
    await geeindigd(lopend.kind);
    const volgende = await starter(g, { env: { VERHULZEN_LOOPTIJD: '0' } }).klaar;
    assert.equal(volgende.code, 0, volgende.stderr);
    assert.equal(mappen(g).length, 2, 'the folder of the program that still runs stays');

    process.kill(pid, 'SIGTERM');
    await wachtOp(() => !existsSync(`/proc/${pid}`), { wat: 'het einde van het programma' });
    await starter(g, { env: { VERHULZEN_LOOPTIJD: '0' } }).klaar;
    assert.deepEqual(mappen(g), []);
  });
});
