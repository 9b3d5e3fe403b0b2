// One instance per session: a second start hands over to the running one, or
// gives up with a message when it does not answer; a killed instance leaves no guard.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { chmodSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';
import { describe, test } from 'node:test';
import { haal, installeer, leesInstance, start, wachtOp } from './support.mjs';

const FAKE_BROWSER = fileURLToPath(new URL('../../app/tests/fixtures/fake_browser.sh', import.meta.url));
const NIET_BEREIKBAAR = 'Drovel Verhulzen draait al, maar reageert niet. Herstart de pc of beëindig het via Taakbeheer.';

// Both starts share the user's session: the same home, data folder and runtime folder.
function sessie(t) {
  const app = installeer();
  const runtime = mkdtempSync(join(tmpdir(), 'verhulzen-runtime-'));
  t.after(() => {
    app.opruimen();
    rmSync(runtime, { recursive: true, force: true });
  });
  const data = join(app.root, '.local', 'share', 'DrovelVerhulzen');
  return { app: { ...app, data, instance: join(data, 'instance.json') }, runtime, lock: join(runtime, 'DrovelVerhulzen.lock') };
}

function starten({ app, runtime }, env = {}, voor = []) {
  return start(app, { env: { VERHULZEN_DATA_DIR: undefined, XDG_RUNTIME_DIR: runtime, ...env }, voor });
}

// The browser the program finds is our stand-in, in a mount namespace of the second start alone.
const MET_NEPBROWSER = ['unshare', '-m', 'sh', '-c', 'mount --bind "$0" /usr/bin/chromium && exec "$@"', FAKE_BROWSER];

async function eersteInstantie(s, t) {
  const eerste = starten(s, { VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '60' });
  t.after(async () => {
    eerste.kind.kill('SIGCONT');
    eerste.kind.kill('SIGTERM');
    await eerste.klaar;
  });
  return { ...eerste, record: await leesInstance(s.app) };
}

// Another process of the session holds the guard, as an instance would. The holder
// waits for the lock: the probe below holds it for a moment while the holder is still free.
function houdGuardVast(s, t) {
  const houder = spawn('flock', [s.lock, 'sleep', '60'], { stdio: 'ignore' });
  t.after(() => houder.kill());
  return wachtOp(() => spawnSync('flock', ['--nonblock', s.lock, 'true']).status === 1, { wat: 'de vergrendeling' });
}

describe('single instance', { concurrency: true }, () => {
  test('a second start opens a window of the running instance with its profile and ends 0', async (t) => {
    const s = sessie(t);
    const { record } = await eersteInstantie(s, t);
    const argsBestand = join(s.runtime, 'browser-args');
    const tweede = await starten(s, { FAKE_BROWSER: 'nooit', FAKE_BROWSER_ARGS: argsBestand }, MET_NEPBROWSER).klaar;
    assert.equal(tweede.code, 0, tweede.stderr);
    // The start ends once the browser is started; the window comes a moment later.
    const args = (await wachtOp(() => existsSync(argsBestand) && readFileSync(argsBestand, 'utf8'), { wat: 'de argumenten van de browser' })).split('\n');
    assert.ok(args.includes(`--app=http://127.0.0.1:${record.port}/`), args.join(' '));
    assert.ok(args.includes(`--user-data-dir=${record.profiel}`), args.join(' '));
    assert.equal(JSON.parse(readFileSync(s.app.instance, 'utf8')).pid, record.pid, 'the record is left as it was');
  });

  test('a record that names a profile outside the data folder\'s own counts as no running instance and changes nothing there', async (t) => {
    const buiten = (s) => join(s.runtime, 'elders');
    const gevallen = [
      (s) => join(buiten(s), 'sessie-1'),
      // Written out, not joined: join would take the ".." away before the program sees it.
      (s) => {
        const profielen = join(s.app.data, 'profielen');
        return `${profielen}/sessie-1/../${relative(profielen, buiten(s))}/sessie-1`;
      },
    ];
    await Promise.all(gevallen.map(async (profielVan) => {
      const s = sessie(t);
      const { record } = await eersteInstantie(s, t);
      mkdirSync(buiten(s));
      chmodSync(buiten(s), 0o755);
      const profiel = profielVan(s);
      writeFileSync(s.app.instance, JSON.stringify({ pid: record.pid, port: record.port, profiel }));
      const argsBestand = join(s.runtime, 'browser-args');
      const tweede = await starten(s, { FAKE_BROWSER: 'nooit', FAKE_BROWSER_ARGS: argsBestand }, MET_NEPBROWSER).klaar;
      assert.equal(tweede.code, 1, `${profiel}: ${tweede.stderr}`);
      assert.match(tweede.stderr, new RegExp(NIET_BEREIKBAAR));
      assert.deepEqual(readdirSync(buiten(s)), [], `${profiel}: no folder made there`);
      assert.equal(statSync(buiten(s)).mode & 0o7777, 0o755, `${profiel}: its parent is not narrowed`);
      assert.equal(existsSync(argsBestand), false, `${profiel}: no browser was started`);
    }));
  });

  test('an instance that holds the guard but does not answer gets the message and status 1', async (t) => {
    const s = sessie(t);
    const eerste = await eersteInstantie(s, t);
    eerste.kind.kill('SIGSTOP');
    const begin = Date.now();
    const tweede = await starten(s).klaar;
    assert.equal(tweede.code, 1);
    assert.match(tweede.stderr, new RegExp(NIET_BEREIKBAAR));
    assert.ok(Date.now() - begin >= 10 * 1000, 'ten probes of a second each');
  });

  test('records that cannot be used are tried ten times, then the message; a record of another shape is an error', async (t) => {
    const gevallen = [
      [null, true],
      ['', true],
      ['{"pid": 1, "po', true],
      ['geen json', true],
      ['{"pid": 1, "port": 0}', true],
      ['{"pid": 1, "port": 70000}', true],
      ['{"pid": 1, "port": "acht"}', true],
      ['[1, 2, 3]', false],
      ['{"port": null}', false],
    ];
    await Promise.all(gevallen.map(async ([record, melding]) => {
      const s = sessie(t);
      await houdGuardVast(s, t);
      if (record !== null) {
        mkdirSync(s.app.data, { recursive: true });
        writeFileSync(s.app.instance, record);
      }
      const begin = Date.now();
      const einde = await starten(s).klaar;
      assert.equal(einde.code, 1, `record ${record}`);
      assert.equal(einde.stderr.includes(NIET_BEREIKBAAR), melding, `record ${record}: ${einde.stderr}`);
      if (melding) assert.ok(Date.now() - begin >= 2900, `record ${record}: ten pauses of 0.3 s`);
    }));
  });

  test('an instance killed with SIGKILL leaves no guard: the next start serves as the instance', async (t) => {
    const s = sessie(t);
    const eerste = await eersteInstantie(s, t);
    eerste.kind.kill('SIGKILL');
    await eerste.klaar;
    const volgende = starten(s, { VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '60' });
    t.after(async () => {
      volgende.kind.kill('SIGTERM');
      await volgende.klaar;
    });
    const record = await wachtOp(() => {
      try {
        const r = JSON.parse(readFileSync(s.app.instance, 'utf8'));
        return r.pid === volgende.kind.pid && r;
      } catch {
        return null;
      }
    }, { wat: 'het nieuwe instance.json' });
    assert.equal((await haal(record.port, '/')).status, 200);
  });
});
