// The program as a process, without a browser window.
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, readFileSync, symlinkSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { hostname } from 'node:os';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import { haal, installeer, leesInstance, start } from './support.mjs';

const ZONDER_VENSTER = { VERHULZEN_GEEN_BROWSER: '1' };

describe('windowless runs', { concurrency: true }, () => {
  test('serves while instance.json names it, then stops and cleans up with status 0', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { kind, klaar } = start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '3.5' } });

    const record = await leesInstance(app);
    assert.deepEqual(Object.keys(record), ['pid', 'port', 'profiel']);
    assert.equal(record.pid, kind.pid);
    assert.equal(record.profiel, join(app.data, 'profielen', `sessie-${kind.pid}`));
    const pagina = await haal(record.port, '/');
    assert.equal(pagina.status, 200);
    assert.match(pagina.body, /<title>Drovel Verhulzen<\/title>/);

    const einde = await klaar;
    assert.equal(einde.code, 0, einde.stderr);
    assert.equal(einde.stdout, `Drovel Verhulzen is bereikbaar op http://127.0.0.1:${record.port}/\n`, 'the address to open');
    assert.equal(existsSync(app.instance), false);
    assert.equal(existsSync(record.profiel), false);
    await assert.rejects(haal(record.port, '/'), { code: 'ECONNREFUSED' });
  });

  test('an empty or non-numeric serving time ends with status 1 after the clean-up', async (t) => {
    for (const looptijd of ['', 'lang']) {
      const app = installeer();
      t.after(app.opruimen);
      const einde = await start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: looptijd } }).klaar;
      assert.equal(einde.code, 1, `VERHULZEN_LOOPTIJD="${looptijd}"`);
      assert.match(einde.stderr, /VERHULZEN_LOOPTIJD/);
      assert.equal(existsSync(app.data), true, 'the run got as far as serving');
      assert.equal(existsSync(app.instance), false, 'instance.json removed by the clean-up');
    }
  });

  test('missing web files give the message and status 1, and create no data folder', async (t) => {
    const app = installeer(null);
    t.after(app.opruimen);
    const einde = await start(app, { env: ZONDER_VENSTER }).klaar;
    assert.equal(einde.code, 1);
    assert.equal(einde.stderr, `De programmabestanden ontbreken (${join(app.root, 'verhulzen')}).\n`);
    assert.equal(existsSync(app.data), false);
  });

  test('--zelftest anywhere runs the self-test alone; a look-alike does not', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const zelftest = await start(app, { env: ZONDER_VENSTER, args: ['--iets', '--zelftest'] }).klaar;
    assert.equal(zelftest.code, 1, 'a web folder with only its start page has findings');
    const regels = zelftest.stdout.split('\n');
    assert.equal(regels[0], '/app.js: HTTP Error 404: File not found');
    assert.equal(regels.at(-1), '', 'one line break after the findings');
    assert.equal(existsSync(app.data), false, 'nothing else of the flow ran');

    const gewoon = await start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '0' }, args: ['--Zelftest', '--zelftest=1'] }).klaar;
    assert.equal(gewoon.code, 0, gewoon.stderr);
    assert.equal(existsSync(app.data), true);
  });

  test('profiles of earlier runs are removed at start unless a browser holds them', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const profielen = join(app.data, 'profielen');
    for (const map of ['sessie-999991', 'sessie-999992', 'browserprofiel']) {
      mkdirSync(join(map === 'browserprofiel' ? app.data : profielen, map, 'Default'), { recursive: true });
    }
    symlinkSync(`${hostname()}-${process.pid}`, join(profielen, 'sessie-999992', 'SingletonLock'));
    writeFileSync(join(profielen, 'sessie-999993'), 'geen map');

    const { klaar } = start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '0' } });
    assert.equal((await klaar).code, 0);
    assert.equal(existsSync(join(profielen, 'sessie-999991')), false);
    assert.equal(existsSync(join(app.data, 'browserprofiel')), false);
    assert.equal(existsSync(join(profielen, 'sessie-999992', 'Default')), true, 'held by a live process');
    assert.equal(existsSync(join(profielen, 'sessie-999993')), true);
  });

  test('an interrupt while serving cleans up and ends with status 130', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { kind, klaar } = start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '60' } });
    await leesInstance(app);
    kind.kill('SIGINT');
    const einde = await klaar;
    assert.equal(einde.code, 130);
    assert.equal(existsSync(app.instance), false);
  });

  test('a low soft limit of descriptors is raised to the hard limit at start', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { klaar } = start(app, {
      env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '2' },
      voor: ['bash', '-c', 'ulimit -S -n 256 && exec "$@"', 'laag'],
    });
    const record = await leesInstance(app);
    const grenzen = readFileSync(`/proc/${record.pid}/limits`, 'utf8').match(/^Max open files +(\d+) +(\d+)/m);
    assert.ok(Number(grenzen[2]) > 256, 'the hard limit lies above the soft one');
    assert.equal(grenzen[1], grenzen[2]);
    assert.equal((await klaar).code, 0);
  });
});

// A feed on the loopback address: answers at once, or trickles blanks of its
// body so that the check never ends of its own accord.
async function feed(t, traag) {
  const verzoeken = [];
  const server = createServer((req, res) => {
    verzoeken.push(req.url);
    if (!traag) {
      res.writeHead(200, { 'Content-Type': 'application/json' }).end('{"version": "1.3.0"}');
      return;
    }
    res.writeHead(200, { 'Content-Type': 'application/json' });
    res.write('{');
    const tik = setInterval(() => res.write(' '), 1000);
    res.socket.on('close', () => clearInterval(tik));
  });
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  t.after(() => { server.closeAllConnections(); server.close(); });
  return { url: `http://127.0.0.1:${server.address().port}/api/verhulzen.json`, verzoeken };
}

describe('the update check at start', { concurrency: true }, () => {
  test('is waited for before the server starts', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { url, verzoeken } = await feed(t, false);
    const { klaar } = start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '1', VERHULZEN_GEEN_UPDATE: undefined, VERHULZEN_UPDATE_URL: url } });
    await leesInstance(app);
    assert.deepEqual(verzoeken, ['/api/verhulzen.json']);
    const status = JSON.parse(readFileSync(join(app.data, 'status.json'), 'utf8'));
    assert.equal(status.info.version, '1.3.0', 'the check had ended when serving began');
    assert.equal((await klaar).code, 0);
  });

  test('delays the start by at most 6 seconds', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { url, verzoeken } = await feed(t, true);
    const begin = Date.now();
    const { klaar } = start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '0.5', VERHULZEN_GEEN_UPDATE: undefined, VERHULZEN_UPDATE_URL: url } });
    await leesInstance(app);
    const vertraging = Date.now() - begin;
    assert.equal(verzoeken.length, 1);
    assert.ok(vertraging >= 5900 && vertraging < 10000, `served after ${vertraging} ms`);
    assert.equal((await klaar).code, 0, 'the check still running does not hold the end');
  });

  test('is not made when VERHULZEN_GEEN_UPDATE is set, to any value', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { url, verzoeken } = await feed(t, false);
    const einde = await start(app, { env: { ...ZONDER_VENSTER, VERHULZEN_LOOPTIJD: '0', VERHULZEN_GEEN_UPDATE: '0', VERHULZEN_UPDATE_URL: url } }).klaar;
    assert.equal(einde.code, 0);
    assert.deepEqual(verzoeken, []);
  });
});
