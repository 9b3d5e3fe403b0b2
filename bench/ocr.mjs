// OCR of one A4 letter rendered at 300 dpi: through the desktop program's /ocr and
// through the page's own engine (the vendored tesseract.js worker, core and Dutch
// data) in Debian's Chromium, on the same image; time and word error rate of each,
// then four /ocr requests at once. Goal: /ocr at least twice as fast as the page.
// Run after `make build`: node bench/ocr.mjs [runs, default 3]
import { execFileSync, spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { setTimeout as sleep } from 'node:timers/promises';
import { launchBrowser } from '../tests/browser/support/chromium.js';
import { openPage } from '../tests/browser/support/page-server.js';

const ROOT = fileURLToPath(new URL('..', import.meta.url));
const BUILD = join(ROOT, 'build', 'cpp', 'app');
const RUNS = Number(process.argv[2] || 3);

const BRIEF = [
  'Geachte heer Jan de Vries,', '',
  'Hierbij ontvangt u de aangifte inkomstenbelasting 2025 van mevrouw Anneke',
  'Jansen-Bakker, geboren op 14 maart 1968 te Amersfoort. Haar burgerservicenummer',
  'is 123456782 en haar telefoonnummer 033-4567890.', '',
  'Het bedrag van 4.512 euro wordt binnen veertien dagen overgemaakt naar rekening',
  'NL91 ABNA 0417 1643 00 ten name van Bakkerij Jansen B.V., Kerkstraat 12,',
  '3811 CV Amersfoort, onder vermelding van dossiernummer 2025-0412.', '',
  'De voorlopige aanslag over 2026 is berekend op een belastbaar inkomen uit werk en',
  'woning van 58.300 euro. Wij adviseren u de hypotheekrente van de woning aan de',
  'Utrechtseweg 85 in Amersfoort op te nemen, evenals de giften aan de Stichting',
  'Voedselbank Eemland. Het kenteken van de bestelauto is 12-ABC-3; de bijtelling',
  'wordt verwerkt in de loonadministratie van de besloten vennootschap.', '',
  'Mocht u vragen hebben, dan kunt u contact opnemen met ons kantoor aan de',
  'Stationsplein 4 te Utrecht of per e-mail via p.vandenberg@adviesbureau-berg.nl.', '',
  'Met vriendelijke groet,', '', 'Pieter van den Berg', 'Belastingadviseur',
];

const woorden = (t) => t.split(/\s+/).filter(Boolean);
function wer(verwacht, gekregen) {
  const a = woorden(verwacht);
  const b = woorden(gekregen);
  let rij = Array.from({ length: b.length + 1 }, (_, j) => j);
  for (let i = 1; i <= a.length; i++) {
    const volgende = [i];
    for (let j = 1; j <= b.length; j++) volgende[j] = Math.min(rij[j] + 1, volgende[j - 1] + 1, rij[j - 1] + (a[i - 1] === b[j - 1] ? 0 : 1));
    rij = volgende;
  }
  return rij[b.length] / a.length;
}
const median = (xs) => [...xs].sort((x, y) => x - y)[Math.floor(xs.length / 2)];
const pct = (x) => `${(100 * x).toFixed(1)} %`;

const werk = mkdtempSync(join(tmpdir(), 'verhulzen-ocr-bench-'));
const png = join(werk, 'brief.png');
execFileSync('convert', ['-density', '300', '-units', 'PixelsPerInch', '-size', '2480x3508', 'xc:white', '-font', 'DejaVu-Serif',
  '-pointsize', '11', '-fill', 'black', '-annotate', '+236+300', BRIEF.join('\n'), '-colorspace', 'Gray', '-depth', '8', png]);
const beeld = readFileSync(png);
const verwacht = BRIEF.join('\n');

// The program as the starter lays it out: the library with the built web folder beside it.
copyFileSync(join(BUILD, 'verhulzen_app.so'), join(werk, 'verhulzen_app.so'));
symlinkSync(join(ROOT, 'build', 'web'), join(werk, 'web'));
const data = join(werk, 'data');
const programma = spawn(join(BUILD, 'serve_host'), [join(werk, 'verhulzen_app.so')], {
  env: { PATH: process.env.PATH, HOME: werk, VERHULZEN_DATA_DIR: data, VERHULZEN_GEEN_BROWSER: '1', VERHULZEN_GEEN_UPDATE: '1', VERHULZEN_LOOPTIJD: '3600' },
  stdio: 'ignore',
});
let browser;
try {
  const instance = join(data, 'instance.json');
  for (let i = 0; i < 200 && !existsSync(instance); i++) await sleep(50);
  await sleep(100);
  const origin = `http://127.0.0.1:${JSON.parse(readFileSync(instance, 'utf8')).port}`;

  const ocr = async () => {
    const start = performance.now();
    const antwoord = await fetch(`${origin}/ocr`, { method: 'POST', body: beeld });
    const reply = await antwoord.json();
    if (antwoord.status !== 200) throw new Error(reply.fout);
    return { ms: performance.now() - start, tekst: reply.regels.map((r) => r.tekst).join('\n') };
  };
  const desktop = [];
  for (let i = 0; i < RUNS; i++) desktop.push(await ocr());

  const start = performance.now();
  const tegelijk = await Promise.all([ocr(), ocr(), ocr(), ocr()]);
  const vierSamen = performance.now() - start;

  browser = await launchBrowser();
  const { page, problems } = await openPage(browser, origin);
  await page.addScriptTag({ url: '/vendor/tesseract/tesseract.min.js' });
  const pagina = await page.evaluate(async ({ base64, runs }) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const blob = new Blob([bytes], { type: 'image/png' });
    const laden = performance.now();
    const worker = await window.Tesseract.createWorker('nld', 1, {
      workerPath: '/vendor/tesseract/worker.min.js',
      corePath: '/vendor/tesseract/tesseract-core-simd-lstm.wasm.js',
      langPath: '/vendor/tesseract',
      cacheMethod: 'none',
    });
    const opstart = performance.now() - laden;
    const keren = [];
    for (let i = 0; i < runs; i++) {
      const start = performance.now();
      const { data } = await worker.recognize(blob);
      keren.push({ ms: performance.now() - start, tekst: data.text });
    }
    await worker.terminate();
    return { opstart, keren };
  }, { base64: beeld.toString('base64'), runs: RUNS });

  const dMs = median(desktop.map((r) => r.ms));
  const pMs = median(pagina.keren.map((r) => r.ms));
  console.log(`A4 page at 300 dpi (2480 x 3508), ${woorden(verwacht).length} words, median of ${RUNS}:`);
  console.log(`  /ocr (Tesseract in the program): ${dMs.toFixed(0)} ms, WER ${pct(wer(verwacht, desktop[0].tekst))}`);
  console.log(`  page (tesseract.js 7 in Chromium): ${pMs.toFixed(0)} ms, WER ${pct(wer(verwacht, pagina.keren[0].tekst))}`
    + ` (+ ${pagina.opstart.toFixed(0)} ms to start the worker)`);
  console.log(`  /ocr is ${(pMs / dMs).toFixed(1)}x faster (goal: 2x)`);
  console.log(`  four /ocr at once: ${vierSamen.toFixed(0)} ms in all; each ${tegelijk.map((r) => r.ms.toFixed(0)).join(', ')} ms;`
    + ` all read alike: ${tegelijk.every((r) => r.tekst === desktop[0].tekst)}`);
  if (problems.length) console.log('  page problems:', problems);
} finally {
  await browser?.close();
  programma.kill('SIGTERM');
  rmSync(werk, { recursive: true, force: true });
}
