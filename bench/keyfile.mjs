// Key file timings in Debian's Chromium with 1000 entities: the key
// derivation alone, encrypting and decrypting the content, and the whole
// save (click to download) and open (file chosen to the toast, import and
// translation table included) through the key view's own controls.
// Run after `node scripts/build-web.mjs`: node bench/keyfile.mjs
import { build } from 'esbuild';
import { readFileSync } from 'node:fs';
import { launchBrowser } from '../tests/browser/support/chromium.js';
import { openPage, servePage } from '../tests/browser/support/page-server.js';

const WW = 'een lang wachtwoord voor het dossier';
const CATS = ['PERSOON', 'BEDRIJF', 'IBAN', 'EMAIL', 'PLAATS', 'TELEFOON', 'KENMERK'];
const VOORNAMEN = ['Jan', 'Els', 'Karel', 'Anna', 'Pieter', 'Sanne', 'Ruud', 'Femke', 'Bram', 'Noor'];

function waarde(cat, i) {
  switch (cat) {
    case 'PERSOON': return `${VOORNAMEN[i % 10]} Achternaam${i}`;
    case 'BEDRIJF': return `Handelsonderneming ${i} B.V.`;
    case 'IBAN': return `NL${String(10 + (i % 89))}ABNA${String(i).padStart(10, '0')}`;
    case 'EMAIL': return `klant${i}@voorbeeld${i % 7}.nl`;
    case 'PLAATS': return `Plaatsnaam${i}`;
    case 'TELEFOON': return `06-${String(10000000 + i)}`;
    default: return `DOS-${2026}-${String(i).padStart(5, '0')}`;
  }
}

// A session as the page keeps it, with 1000 entities of several kinds.
function sessie(n) {
  const counters = {};
  const ents = [];
  for (let i = 0; i < n; i += 1) {
    const cat = CATS[i % CATS.length];
    counters[cat] = (counters[cat] || 0) + 1;
    const value = waarde(cat, i);
    const variants = cat === 'PERSOON' ? [value, `Achternaam${i}`, `${value[0]}. Achternaam${i}`] : [value];
    ents.push({ id: i + 1, cat, label: `${cat}_${counters[cat]}`, value, variants, active: i % 10 !== 0, auto: true });
  }
  return { dossier: 'Benchmark', docs: [], cur: null, ents, counters, seq: n + 1, genegeerd: [], mode: 'orig', instructie: '' };
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => `${x.toFixed(0)} ms`;

// The envelope and content modules alone, as one script for the page.
const bundel = await build({
  stdin: {
    contents: "export * from './envelope.js'; export { sleutelInhoud } from './bestand.js';",
    resolveDir: new URL('../web/src/app/sleutel/', import.meta.url).pathname,
  },
  bundle: true, format: 'iife', globalName: 'SleutelBench', write: false, target: 'es2022',
});

const { server, origin } = await servePage();
const browser = await launchBrowser();
try {
  const S = sessie(1000);
  // The modules alone come in as an inline script, which the page's policy refuses.
  const context = await browser.newContext({ bypassCSP: true });
  const { page, problems } = await openPage(browser, origin, { context });
  await page.addScriptTag({ content: bundel.outputFiles[0].text });
  const los = await page.evaluate(async ({ S, WW }) => {
    const { sleutelAfleiden, versleutel, ontsleutel, sleutelInhoud } = globalThis.SleutelBench;
    const afleiden = [];
    const versl = [];
    const ontsl = [];
    const inhoud = sleutelInhoud(S);
    for (let i = 0; i < 5; i += 1) {
      let t = performance.now();
      await sleutelAfleiden(WW, crypto.getRandomValues(new Uint8Array(16)));
      afleiden.push(performance.now() - t);
      t = performance.now();
      const env = await versleutel(inhoud, WW);
      versl.push(performance.now() - t);
      t = performance.now();
      await ontsleutel(env, WW);
      ontsl.push(performance.now() - t);
    }
    return { afleiden, versl, ontsl, bytes: JSON.stringify(inhoud).length };
  }, { S, WW });

  // The whole save through the view: session with 1000 entities, password, click, download.
  await page.evaluate((s) => sessionStorage.setItem('drovel-verhulzen-v1', JSON.stringify(s)), S);
  await page.goto(`${origin}/#sleutel`);
  await page.reload();
  await page.waitForSelector('.view.active');
  await page.fill('#ww-opslaan', WW);
  // Timed in the page: from the press of the button to the file handed to the download.
  await page.evaluate(() => {
    document.addEventListener('mousedown', () => { window.geklikt = performance.now(); }, { capture: true });
    const maak = URL.createObjectURL;
    URL.createObjectURL = (blob) => {
      window.klaar = performance.now();
      return maak(blob);
    };
  });
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#btn-sleutel-opslaan')]);
  const opslaan = await page.evaluate(() => window.klaar - window.geklikt);
  const bestand = readFileSync(await download.path());

  // The whole open in a fresh session: chooser to the toast.
  const { page: vers } = await openPage(browser, origin);
  await vers.goto(`${origin}/#sleutel`);
  await vers.fill('#ww-openen', WW);
  // Timed in the page: from the chooser's change to the import's toast.
  await vers.evaluate(() => {
    document.addEventListener('change', () => { window.gekozen = performance.now(); }, { capture: true });
    new MutationObserver(() => { window.getoast = performance.now(); })
      .observe(document.getElementById('toast'), { childList: true, characterData: true, subtree: true });
  });
  const open = async (melding) => {
    const kiezer = vers.waitForEvent('filechooser');
    await vers.click('#btn-sleutel-openen');
    await (await kiezer).setFiles({ name: 'sleutel.json', mimeType: 'application/json', buffer: bestand });
    await vers.waitForFunction((m) => document.getElementById('toast').textContent.startsWith(m), melding);
    return vers.evaluate(() => window.getoast - window.gekozen);
  };
  const openen = await open('1000 gegevens');
  // Again into the session that now holds every entry: each one is looked up and merged.
  const nogmaals = await open('0 gegevens');

  console.log(`1000 entities, plain content ${(los.bytes / 1024).toFixed(0)} KiB, file ${(bestand.length / 1024).toFixed(0)} KiB`);
  console.log(`key derivation (PBKDF2-SHA-256, 310000 iterations): median ${ms(median(los.afleiden))}`);
  console.log(`encrypt (derivation included): median ${ms(median(los.versl))}`);
  console.log(`decrypt (derivation included): median ${ms(median(los.ontsl))}`);
  console.log(`save through the view (button pressed to the file handed to the download): ${ms(opslaan)}`);
  console.log(`open through the view into a fresh session (file chosen to toast, import included): ${ms(openen)}`);
  console.log(`open the same file again (1000 entries merged into 1000 entities): ${ms(nogmaals)}`);
  if (problems.length) console.log('problems:', problems);
} finally {
  await browser.close();
  server.close();
}
