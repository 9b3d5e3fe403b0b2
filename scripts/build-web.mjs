// Builds the served web folder: static files, the bundled scripts and the
// page libraries, all from this checkout and node_modules (nothing fetched).
import { build } from 'esbuild';
import { cpSync, existsSync, mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const out = join(root, 'build', 'web');

// Each served script is one closure; its entry module writes its own global.
const BUNDLES = [
  { entry: 'web/src/core/anon-core.js', served: 'anon-core.js' },
  { entry: 'web/src/lezers/lezers.js', served: 'lezers.js' },
  { entry: 'web/src/app/app.js', served: 'app.js' },
];

const VENDOR = [
  ['pdfjs-dist/build/pdf.min.js', 'vendor/pdf.min.js'],
  ['pdfjs-dist/build/pdf.worker.min.js', 'vendor/pdf.worker.min.js'],
  ['pdfjs-dist/cmaps', 'vendor/cmaps'],
  ['pdfjs-dist/standard_fonts', 'vendor/standard_fonts'],
  ['mammoth/mammoth.browser.min.js', 'vendor/mammoth.browser.min.js'],
  ['xlsx/dist/xlsx.full.min.js', 'vendor/xlsx.full.min.js'],
  ['tesseract.js/dist/tesseract.min.js', 'vendor/tesseract/tesseract.min.js'],
  ['tesseract.js/dist/worker.min.js', 'vendor/tesseract/worker.min.js'],
  ['tesseract.js-core/tesseract-core-simd-lstm.wasm.js', 'vendor/tesseract/tesseract-core-simd-lstm.wasm.js'],
  ['@tesseract.js-data/nld/4.0.0_best_int/nld.traineddata.gz', 'vendor/tesseract/nld.traineddata.gz'],
  ['@fontsource-variable/inter/files/inter-latin-wght-normal.woff2', 'fonts/inter-latin-wght-normal.woff2'],
  ['@fontsource-variable/jetbrains-mono/files/jetbrains-mono-latin-wght-normal.woff2', 'fonts/jetbrains-mono-latin-wght-normal.woff2'],
];

function copyInto(from, to) {
  mkdirSync(dirname(to), { recursive: true });
  cpSync(from, to, { recursive: true });
}

rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
copyInto(join(root, 'web', 'static'), out);

for (const [from, to] of VENDOR) copyInto(join(root, 'node_modules', from), join(out, to));

for (const { entry, served } of BUNDLES) {
  if (!existsSync(join(root, entry))) continue;
  await build({
    entryPoints: [join(root, entry)],
    outfile: join(out, served),
    bundle: true,
    format: 'iife',
    target: 'es2022',
    charset: 'utf8',
    legalComments: 'none',
    logLevel: 'warning',
  });
}

// The bundles are classic scripts; let Node's require load them from build/.
writeFileSync(join(root, 'build', 'package.json'), '{ "type": "commonjs" }\n');
console.log(`web build ready in ${out}`);
