// Prints the import graph of the page's own modules (web/src/app) as esbuild
// resolves it, and fails when modules import each other in a circle or reach
// into the core or the readers' bundle instead of through their globals.
import { build } from 'esbuild';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const APP = 'web/src/app/';
// The core and the library-free readers are bundles of their own; app.js
// takes them from the page. The charset table is the one shared exception.
const ELDERS_TOEGESTAAN = new Set(['web/src/lezers/charset.js']);

const { metafile } = await build({
  entryPoints: [join(root, APP, 'app.js')],
  bundle: true,
  write: false,
  metafile: true,
  format: 'iife',
  logLevel: 'error',
  absWorkingDir: root,
});

const graaf = new Map();
for (const [pad, { imports }] of Object.entries(metafile.inputs)) {
  if (pad.startsWith(APP)) graaf.set(pad, imports.map((i) => i.path));
}

const kort = (pad) => (pad.startsWith(APP) ? pad.slice(APP.length) : relative(APP, pad));
for (const [pad, doelen] of [...graaf].sort(([a], [b]) => a.localeCompare(b))) {
  console.log(`${kort(pad)}${doelen.length ? ` -> ${doelen.map(kort).join(', ')}` : ''}`);
}

const fouten = [];
for (const [pad, doelen] of graaf) {
  for (const doel of doelen) {
    if (!doel.startsWith(APP) && !ELDERS_TOEGESTAAN.has(doel)) fouten.push(`${kort(pad)} imports ${doel} directly`);
  }
}

// Strongly connected components (Tarjan): every one larger than a module is a circle.
let teller = 0;
const stapel = [];
const info = new Map();
function bezoek(v) {
  const knoop = { index: teller, laag: teller, opStapel: true };
  teller += 1;
  info.set(v, knoop);
  stapel.push(v);
  for (const w of graaf.get(v)) {
    if (!graaf.has(w)) continue;
    if (!info.has(w)) {
      bezoek(w);
      knoop.laag = Math.min(knoop.laag, info.get(w).laag);
    } else if (info.get(w).opStapel) {
      knoop.laag = Math.min(knoop.laag, info.get(w).index);
    }
  }
  if (knoop.laag !== knoop.index) return;
  const groep = [];
  let w;
  do {
    w = stapel.pop();
    info.get(w).opStapel = false;
    groep.push(w);
  } while (w !== v);
  const zelf = groep.length === 1 && graaf.get(v).includes(v);
  if (groep.length > 1 || zelf) fouten.push(`circle: ${groep.map(kort).sort().join(' <-> ')}`);
}
for (const v of graaf.keys()) if (!info.has(v)) bezoek(v);

console.log(`\n${graaf.size} modules, ${[...graaf.values()].reduce((n, d) => n + d.length, 0)} imports`);
for (const fout of fouten) console.error(fout);
if (fouten.length) process.exit(1);
