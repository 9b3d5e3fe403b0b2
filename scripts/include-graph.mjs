// Prints the include graph of the desktop side (app/src and app/platform) by
// layer, and fails when an include points up: a layer includes only itself and
// the layers below it.
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');

// From the bottom up; a file belongs to the first layer whose prefix it starts with.
// The configuration is bound once at start and read by every layer above the platform.
const LAGEN = [
  ['text', 'app/src/text/'],
  ['json', 'app/src/json/'],
  ['platform', 'app/platform/'],
  ['config', 'app/src/shell/config.'],
  ['ocr', 'app/src/ocr/'],
  ['update', 'app/src/update/'],
  ['status', 'app/src/status/'],
  ['routes', 'app/src/routes/'],
  ['http', 'app/src/http/'],
  ['shell', 'app/src/shell/'],
  ['run_code', 'app/src/run_code.cpp'],
];
// Where a quoted include is looked for, after the including file's own folder.
const ZOEKPADEN = ['app', 'app/src'];

const laagVan = (pad) => LAGEN.findIndex(([, prefix]) => pad.startsWith(prefix));

function* bronnen(map) {
  for (const naam of readdirSync(join(root, map), { withFileTypes: true })) {
    const pad = `${map}/${naam.name}`;
    if (naam.isDirectory()) yield* bronnen(pad);
    else if (/\.(h|cpp)$/.test(naam.name)) yield pad;
  }
}

function gevonden(van, naam) {
  for (const map of [dirname(van), ...ZOEKPADEN]) {
    const pad = relative(root, join(root, map, naam));
    if (existsSync(join(root, pad))) return pad;
  }
  return null;
}

const randen = new Map();
const omhoog = [];
for (const bron of [...bronnen('app/src'), ...bronnen('app/platform')].sort()) {
  const van = laagVan(bron);
  for (const [, naam] of readFileSync(join(root, bron), 'utf8').matchAll(/^#include "([^"]+)"/gm)) {
    const doel = gevonden(bron, naam);
    if (!doel) continue;
    const naar = laagVan(doel);
    const rand = `${LAGEN[van][0]} -> ${LAGEN[naar][0]}`;
    if (van !== naar) randen.set(rand, (randen.get(rand) ?? 0) + 1);
    if (naar > van) omhoog.push(`${bron} includes ${doel} (${rand})`);
  }
}

console.log(`layers, bottom up: ${LAGEN.map(([naam]) => naam).join(' < ')}`);
for (const [rand, n] of [...randen].sort(([a], [b]) => a.localeCompare(b))) console.log(`${rand}: ${n}`);
console.log(`${omhoog.length} include(s) pointing up`);
for (const regel of omhoog) console.error(regel);
if (omhoog.length) process.exit(1);
