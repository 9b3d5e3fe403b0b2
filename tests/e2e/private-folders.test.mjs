// The folders and files the program makes are its user's alone, whatever the umask,
// and it refuses folders and files that another user owns or that others may change.
import assert from 'node:assert/strict';
import { chmodSync, chownSync, copyFileSync, existsSync, lchownSync, lstatSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { haal, installeer, leesInstance, maakPakket, omgevingVan, start, volg, wachtOp } from './support.mjs';

const FAKE_BROWSER = fileURLToPath(new URL('../../app/tests/fixtures/fake_browser.sh', import.meta.url));
const NOBODY = 65534;

let werk;
let pakket;

before(() => {
  werk = mkdtempSync(join(tmpdir(), 'verhulzen-private-'));
  pakket = maakPakket(werk, { 'index.html': '<!doctype html><title>Drovel Verhulzen</title>', 'assets/logo.svg': '<svg/>' });
});
after(() => rmSync(werk, { recursive: true, force: true }));

// A user of their own, with the data folder at its default place.
function gebruiker(t) {
  const home = mkdtempSync(join(werk, 'home-'));
  t.after(() => rmSync(home, { recursive: true, force: true }));
  const eigen = join(home, '.local', 'share', 'DrovelVerhulzen');
  return { home, eigen, runtime: join(eigen, 'runtime'), instance: join(eigen, 'instance.json'), data: join(home, 'data'), sessie: mkdtempSync(join(werk, 'sessie-')) };
}

// The package as the user starts it, under umask 000 and with a stand-in browser
// that holds its window open, in a mount namespace of this start alone.
function starter(g, env = {}) {
  const opdracht = ['unshare', '-m', 'sh', '-c', 'umask 000; mount --bind "$0" /usr/bin/chromium && exec "$@"', FAKE_BROWSER, pakket];
  return volg(opdracht, omgevingVan(g.home, { XDG_RUNTIME_DIR: g.sessie, FAKE_BROWSER: 'venster', FAKE_BROWSER_SECONDS: '60', ...env }));
}

const post = async (port, pad, body) => (await haal(port, pad, body)).status;

// Every folder and file below `map` with its mode; links (the browser's lock) have none of their own.
function modi(map, uit = {}) {
  for (const naam of readdirSync(map)) {
    const pad = join(map, naam);
    const info = lstatSync(pad);
    if (info.isSymbolicLink()) continue;
    uit[pad] = (info.mode & 0o7777).toString(8);
    if (info.isDirectory()) modi(pad, uit);
  }
  return uit;
}

describe('private folders and files', { concurrency: true }, () => {
  test('under umask 000 every folder is 0700 and every file 0600, the profile too', async (t) => {
    const g = gebruiker(t);
    // Earlier versions kept the data in the home folder: its office list is taken over.
    mkdirSync(join(g.home, 'DrovelVerhulzen'), { mode: 0o700 });
    writeFileSync(join(g.home, 'DrovelVerhulzen', 'kantoorlijst.txt'), 'Bakkerij Jansen B.V.\n', { mode: 0o600 });
    const { kind, klaar } = starter(g);
    t.after(() => kind.kill('SIGTERM'));
    const record = await leesInstance(g);
    assert.equal((await haal(record.port, '/kantoorlijst')).body, 'Bakkerij Jansen B.V.\n');
    assert.equal(existsSync(join(g.home, 'DrovelVerhulzen', 'kantoorlijst.txt')), false, 'the earlier office list has been taken over');
    assert.equal(await post(record.port, '/kantoorlijst', 'Notariskantoor De Vries\n'), 204);
    assert.equal((await haal(record.port, '/verberg?b=Bericht')).status, 204);
    // The lock is a link to "hostname-pid", which names no file.
    await wachtOp(() => readdirSync(record.profiel).includes('SingletonLock'), { wat: 'het browservenster' });

    const gevonden = modi(g.home);
    for (const pad of [join(g.home, '.local'), g.eigen, g.runtime, record.profiel, join(g.eigen, 'status.json'), join(g.eigen, 'kantoorlijst.txt')]) {
      assert.ok(pad in gevonden, `${pad} was made`);
    }
    assert.ok(Object.keys(gevonden).some((p) => p.endsWith('/web/index.html')), 'the package was unpacked');
    const fout = Object.entries(gevonden).filter(([pad, modus]) => modus !== (lstatSync(pad).isDirectory() ? '700' : '600'));
    assert.deepEqual(fout, []);

    kind.kill('SIGTERM');
    const einde = await klaar;
    assert.equal(einde.code, 130, einde.stderr);
  });

  test('a run from a ~/DrovelVerhulzen at mode 775 takes over only the office list and leaves the rest there', async (t) => {
    const g = gebruiker(t);
    // The downloaded program kept in a folder of the old name, beside a document, as under umask 002.
    const vorige = join(g.home, 'DrovelVerhulzen');
    mkdirSync(vorige);
    chmodSync(vorige, 0o775);
    const programma = join(vorige, 'DrovelVerhulzen');
    copyFileSync(pakket, programma);
    chmodSync(programma, 0o775);
    writeFileSync(join(vorige, 'Jaarrekening 2023.pdf'), '%PDF-1.7 van de klant');
    writeFileSync(join(vorige, 'kantoorlijst.txt'), 'Bakkerij Jansen B.V.\n', { mode: 0o664 });
    const omgeving = omgevingVan(g.home, { XDG_RUNTIME_DIR: g.sessie, VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '60' });
    const { kind, klaar } = volg(['sh', '-c', 'umask 002; cd "$(dirname "$0")" && exec "$0"', programma], omgeving);
    t.after(() => kind.kill('SIGTERM'));
    const record = await leesInstance(g);
    assert.equal((await haal(record.port, '/kantoorlijst')).body, 'Bakkerij Jansen B.V.\n');
    kind.kill('SIGTERM');
    assert.equal((await klaar).code, 130);

    assert.deepEqual(readdirSync(vorige).sort(), ['DrovelVerhulzen', 'Jaarrekening 2023.pdf']);
    assert.equal(lstatSync(vorige).mode & 0o7777, 0o775, 'the folder keeps its mode');
    assert.deepEqual(readFileSync(programma), readFileSync(pakket));
    assert.equal(readFileSync(join(vorige, 'Jaarrekening 2023.pdf'), 'utf8'), '%PDF-1.7 van de klant');
    const lijst = join(g.eigen, 'kantoorlijst.txt');
    assert.equal(readFileSync(lijst, 'utf8'), 'Bakkerij Jansen B.V.\n');
    assert.equal(lstatSync(lijst).mode & 0o7777, 0o600);
  });

  test('a folder or file of another user, or one that others may write, is refused with a message', async (t) => {
    const eigenMap = (map, modus = 0o700) => {
      mkdirSync(map, { recursive: true });
      chmodSync(map, modus);
    };
    // The program's own refusals in a data folder of its own (status 1); the starter's (status 2).
    const gevallen = [
      ['a data folder that others may write', (g) => eigenMap(g.data, 0o777),
        1, /^De map .*\/data kan door andere gebruikers worden gewijzigd\. Drovel Verhulzen gebruikt deze map daarom niet; .*chmod 700\)\.$/m],
      ['a data folder of another user', (g) => { eigenMap(g.data); chownSync(g.data, NOBODY, NOBODY); },
        1, /^De map .*\/data is van een andere gebruiker\. Drovel Verhulzen gebruikt deze map daarom niet\.$/m],
      ['an instance record of another user', (g) => { eigenMap(g.data); writeFileSync(join(g.data, 'instance.json'), '{"port": 1}'); chownSync(join(g.data, 'instance.json'), NOBODY, NOBODY); },
        1, /^Het bestand .*instance\.json is van een andere gebruiker\. Drovel Verhulzen gebruikt dit bestand daarom niet\.$/m],
      ['an office list that others may write', (g) => { eigenMap(g.data); writeFileSync(join(g.data, 'kantoorlijst.txt'), 'x'); chmodSync(join(g.data, 'kantoorlijst.txt'), 0o666); },
        1, /^Het bestand .*kantoorlijst\.txt kan door andere gebruikers worden gewijzigd\..*chmod 600\)\.$/m],
      ['a data folder through a link of another user', (g) => { eigenMap(`${g.data}-doel`); symlinkSync(`${g.data}-doel`, g.data); lchownSync(g.data, NOBODY, NOBODY); },
        1, /^De map .*\/data is van een andere gebruiker\. Drovel Verhulzen gebruikt deze map daarom niet\.$/m],
      ['its own folder of another user', (g) => { eigenMap(g.eigen); chownSync(g.eigen, NOBODY, NOBODY); },
        2, /^Drovel Verhulzen kan niet starten: de map .*DrovelVerhulzen is van een andere gebruiker/m],
      ['its own folder through a link of another user', (g) => { eigenMap(`${g.eigen}-doel`); symlinkSync(`${g.eigen}-doel`, g.eigen); lchownSync(g.eigen, NOBODY, NOBODY); },
        2, /^Drovel Verhulzen kan niet starten: de map .*DrovelVerhulzen is van een andere gebruiker/m],
      ['a runtime folder that its group may write', (g) => eigenMap(g.runtime, 0o770),
        2, /^Drovel Verhulzen kan niet starten: de map .*runtime kan door andere gebruikers worden gewijzigd/m],
    ];
    await Promise.all(gevallen.map(async ([naam, maak, status, melding]) => {
      const g = gebruiker(t);
      maak(g);
      const data = status === 1 ? { VERHULZEN_DATA_DIR: g.data } : {};
      const einde = await starter(g, { VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '30', ...data }).klaar;
      assert.equal(einde.code, status, `${naam}: ${einde.stderr}`);
      assert.match(einde.stderr, melding, naam);
      assert.equal(einde.stdout, '', `${naam}: the page was never served`);
    }));
  });

  test('a link in place of the runtime or the profiles folder is refused with a message, and where it points stays untouched', async (t) => {
    // A folder of the user's own elsewhere, holding what the clean-ups would take for theirs.
    const eigenMapElders = (g) => {
      const elders = join(g.home, 'Documenten');
      for (const [pad, inhoud] of [['brief.txt', 'Geachte heer De Vries,'], ['sessie-111/Default/Preferences', '{}'], ['123-456/verhulzen_app.so', 'x']]) {
        mkdirSync(dirname(join(elders, pad)), { recursive: true });
        writeFileSync(join(elders, pad), inhoud);
      }
      chmodSync(elders, 0o755);
      return elders;
    };
    const gevallen = [
      ['runtime', (g) => g.runtime, { VERHULZEN_GEEN_BROWSER: '1' },
        2, /^Drovel Verhulzen kan niet starten: de map .*\/runtime is een koppeling naar een andere map; /m],
      ['profielen', (g) => join(g.eigen, 'profielen'), {},
        1, /^De map .*\/profielen is een koppeling naar een andere map\. Drovel Verhulzen gebruikt deze map daarom niet; /m],
    ];
    await Promise.all(gevallen.map(async ([naam, link, env, status, melding]) => {
      const g = gebruiker(t);
      const elders = eigenMapElders(g);
      const voor = modi(elders);
      mkdirSync(g.eigen, { recursive: true, mode: 0o700 });
      symlinkSync(elders, link(g));
      const einde = await starter(g, env).klaar;
      assert.equal(einde.code, status, `${naam}: ${einde.stderr}`);
      assert.match(einde.stderr, melding, naam);
      assert.deepEqual(modi(elders), voor, `${naam}: nothing made, removed or narrowed there`);
      assert.equal(lstatSync(elders).mode & 0o7777, 0o755, naam);
      assert.ok(lstatSync(link(g)).isSymbolicLink(), `${naam}: the link itself stays`);
    }));
  });

  test('the office list POST into a data folder that others may write is refused', async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    const { kind, klaar } = start(app, { env: { VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '60' } });
    t.after(() => kind.kill('SIGTERM'));
    const record = await leesInstance(app);
    chmodSync(app.data, 0o777);
    assert.equal(await post(record.port, '/kantoorlijst', 'Bakkerij Jansen B.V.\n'), 400);
    assert.equal(existsSync(join(app.data, 'kantoorlijst.txt')), false);
    kind.kill('SIGTERM');
    await klaar;
  });
});
