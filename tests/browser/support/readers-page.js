// A test page with the page's reader modules on window, next to the served
// page libraries and lezers.js of build/web. Test-only: the entry is bundled here.
import { build } from 'esbuild';
import { existsSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from './chromium.js';
import { servePage } from './page-server.js';

const ROOT = fileURLToPath(new URL('../../../', import.meta.url));
const PREFIX = '/readers-test/';

const ENTRY = `
import { leesBestand } from './web/src/app/readers/bestand.js';
window.leesBestand = leesBestand;
// A file served under the test prefix.
window.testbestand = async (name) => {
  const blob = await (await fetch('${PREFIX}files/' + encodeURIComponent(name))).blob();
  return new File([blob], name);
};
// Reads such a file; a failure comes back as { fout }.
window.leesTestbestand = async (name) => {
  try {
    return await leesBestand(await window.testbestand(name));
  } catch (err) {
    return { fout: err.message };
  }
};
`;

const HTML = `<!doctype html><meta charset="utf-8"><title>readers</title>
<div id="laden"></div>
<script src="/vendor/pdf.min.js"></script>
<script src="/vendor/mammoth.browser.min.js"></script>
<script src="/vendor/xlsx.full.min.js"></script>
<script src="/lezers.js"></script>
<script src="${PREFIX}entry.js"></script>`;

export async function openReadersPage() {
  if (!existsSync(`${ROOT}build/web/lezers.js`)) throw new Error('build/web is missing: run node scripts/build-web.mjs');
  const entry = await build({
    stdin: { contents: ENTRY, resolveDir: ROOT, sourcefile: 'readers-entry.js' },
    bundle: true, format: 'iife', target: 'es2022', write: false, logLevel: 'warning',
  });
  const { server, origin } = await servePage();
  const browser = await launchBrowser();
  const page = await browser.newPage();
  const files = new Map();
  const bodies = { 'index.html': [HTML, 'text/html'], 'entry.js': [entry.outputFiles[0].text, 'text/javascript'] };
  await page.route(`${origin}${PREFIX}**`, (route) => {
    const path = decodeURIComponent(new URL(route.request().url()).pathname.slice(PREFIX.length));
    if (path.startsWith('files/')) return route.fulfill({ body: Buffer.from(files.get(path.slice(6))) });
    // What the readers load relative to the page (the workbook worker's library) comes from the served folder.
    if (!Object.hasOwn(bodies, path)) return route.fulfill({ path: `${ROOT}build/web/${path}` });
    const [body, contentType] = bodies[path];
    return route.fulfill({ body, contentType });
  });
  await page.goto(`${origin}${PREFIX}index.html`);
  return {
    page,
    // Serves the bytes as window.testbestand(name).
    serve(name, bytes) {
      files.set(name, bytes);
    },
    // Reads the bytes as a file of that name with leesBestand, in the page.
    async read(name, bytes) {
      files.set(name, bytes);
      return page.evaluate((n) => window.leesTestbestand(n), name);
    },
    async close() {
      await browser.close();
      await new Promise((resolve) => server.close(resolve));
    },
  };
}
