// Line integrity of OCR on a skewed scan: an A4 letter at 300 dpi, turned by
// 0.5 to 5 degrees (ImageMagick), read by Tesseract's command line with the
// Dutch data; its lines, as the engine gives them, go through the page's own
// line building. A letter line is whole when one output line holds at least
// 90 % of its words. Goal: every line whole at every angle.
// Run: node bench/ocr-skew.mjs
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { woordenNaarBlokken } from '../web/src/app/readers/ocr-woorden.js';

const ANGLES = [0, 0.5, 1, 2, 3, 5];
const LETTER = [
  'Geachte heer Pieter van Dijk,',
  'Namens mevrouw Anna van den Broek uit Leeuwen stuur ik u de akte van levering.',
  'De woning aan de Kerkstraat 12 te Utrecht is op 1 maart overgedragen aan de koper.',
  'Haar burgerservicenummer is 123456782 en het bedrag is op 4 april betaald.',
  'Het saldo van de rekening NL91 ABNA 0417 1643 00 staat op naam van de heer Van Dijk.',
  'Voor vragen kunt u bellen met mr. Jan de Vries op 030-1234567.',
  'Met vriendelijke groet,',
  'Karel Dekker, notaris te Utrecht',
];

const words = (text) => text.split(/\s+/).filter(Boolean);

// TSV rows: level, page, block, paragraph, line, word, left, top, width, height, confidence, text.
function engineLines(tsv) {
  const lines = new Map();
  for (const row of tsv.split('\n').slice(1)) {
    const [level, , block, par, line, , x, y, w, h, conf, text = ''] = row.split('\t');
    if (level !== '5' || !text.trim() || Number(conf) <= 20) continue;
    const key = `${block}.${par}.${line}`;
    if (!lines.has(key)) lines.set(key, []);
    lines.get(key).push({ t: text, x: Number(x), y: Number(y), w: Number(w), h: Number(h) });
  }
  return [...lines.values()];
}

function wholeLines(expected, got) {
  const out = got.map((line) => words(line));
  return expected.filter((line) => {
    const want = words(line);
    const best = Math.max(0, ...out.map((have) => {
      const pool = [...have];
      let hits = 0;
      for (const w of want) {
        const at = pool.indexOf(w);
        if (at >= 0) {
          hits += 1;
          pool.splice(at, 1);
        }
      }
      return hits / want.length;
    }));
    return best >= 0.9;
  }).length;
}

const dir = mkdtempSync(join(tmpdir(), 'verhulzen-skew-'));
try {
  const straight = join(dir, 'brief.png');
  execFileSync('convert', ['-density', '300', '-units', 'PixelsPerInch', '-size', '2480x3508', 'xc:white', '-font', 'DejaVu-Serif',
    '-pointsize', '11', '-fill', 'black', '-annotate', '+236+300', LETTER.join('\n\n'), '-colorspace', 'Gray', '-depth', '8', straight]);
  console.log(`A4 letter at 300 dpi, ${LETTER.length} lines; lines kept whole (of ${LETTER.length}):`);
  for (const angle of ANGLES) {
    const png = join(dir, `scheef-${angle}.png`);
    execFileSync('convert', [straight, '-background', 'white', '-rotate', String(angle), png]);
    const tsv = execFileSync('tesseract', [png, 'stdout', '-l', 'nld', 'tsv'], { env: { ...process.env, OMP_THREAD_LIMIT: '1' }, maxBuffer: 64 << 20 }).toString();
    const lines = woordenNaarBlokken(engineLines(tsv)).map((b) => b.text);
    console.log(`  ${String(angle).padStart(3)}°: ${wholeLines(LETTER, lines)} whole, ${lines.length} lines out`);
  }
} finally {
  rmSync(dir, { recursive: true, force: true });
}
