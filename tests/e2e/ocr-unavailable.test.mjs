// The OCR service where Tesseract's language data is missing or does not match the
// user's languages: it reports itself unavailable and the rest of the program runs.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, symlinkSync } from 'node:fs';
import { join } from 'node:path';
import { after, test } from 'node:test';
import { installeer, leesInstance, start } from './support.mjs';

const SYSTEM_DATA = '/usr/share/tesseract-ocr/5/tessdata';
const apps = [];
after(() => { for (const { kind, app } of apps) { kind.kill('SIGTERM'); app.opruimen(); } });

// The program with this language data and these profile languages; its address.
async function draai(maakData, talen) {
  const app = installeer();
  const data = join(app.root, 'tessdata');
  maakData(data);
  const { kind } = start(app, {
    env: { VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_LOOPTIJD: '60', TESSDATA_PREFIX: data, LANGUAGE: undefined, LANG: undefined, ...talen },
  });
  apps.push({ kind, app });
  const { port } = await leesInstance(app);
  return { base: `http://127.0.0.1:${port}`, app };
}

async function status(base) {
  const script = await (await fetch(`${base}/status.js`)).text();
  const object = JSON.parse(script.slice('window.ANON_STATUS = '.length, -2));
  return { ocr: object.ocr, taal: object.taal };
}

async function ocr(base, body) {
  const answer = await fetch(`${base}/ocr`, { method: 'POST', body });
  return { status: answer.status, body: await answer.json() };
}

function afbeelding(app) {
  const png = join(app.root, 'tekst.png');
  execFileSync('convert', ['-size', '600x120', 'xc:white', '-font', 'DejaVu-Sans', '-pointsize', '40', '-fill', 'black', '-annotate', '+20+80', 'Good morning', png]);
  return readFileSync(png);
}

test('without any language data the service is unavailable and the page is still served', async () => {
  const { base, app } = await draai(() => {}, {});
  assert.deepEqual(await status(base), { ocr: false, taal: null });
  const fout = `Windows-OCR niet beschikbaar (Tesseract: geen map met taalgegevens in ${join(app.root, 'tessdata')})`;
  assert.deepEqual(await ocr(base, afbeelding(app)), { status: 500, body: { fout } });
  assert.equal((await fetch(`${base}/`)).status, 200);
});

test('without Dutch and without a matching profile language there is no OCR language', async () => {
  const { base, app } = await draai((data) => mkdirSync(data), { LANG: 'C.UTF-8' });
  assert.deepEqual(await status(base), { ocr: false, taal: null });
  assert.deepEqual(await ocr(base, afbeelding(app)), { status: 500, body: { fout: 'Geen OCR-taal beschikbaar in Windows' } });
  // Bytes that are no image fail in the decoder, before the language is looked for.
  assert.deepEqual(await ocr(base, 'geen afbeelding'), { status: 500, body: { fout: 'Geen afbeelding die gelezen kan worden' } });
});

test('without Dutch the first profile language with data is read', async () => {
  const alleenEngels = (data) => {
    mkdirSync(data);
    symlinkSync(join(SYSTEM_DATA, 'eng.traineddata'), join(data, 'eng.traineddata'));
  };
  const { base, app } = await draai(alleenEngels, { LANGUAGE: 'fr_FR:en_GB', LANG: 'de_DE.UTF-8' });
  assert.deepEqual(await status(base), { ocr: true, taal: 'en-GB' });
  const { status: code, body } = await ocr(base, afbeelding(app));
  assert.equal(code, 200);
  assert.equal(body.taal, 'en-GB');
  assert.deepEqual(body.regels.map((r) => r.tekst), ['Good morning']);
});
