// Damaged files from the wild, read by the page's readers in Chromium: the
// sample workbooks, Word documents and PDFs of ../shared/fixtures with a few
// bytes changed (a fixed pseudo-random sequence, so every run reads the same
// files). Prints per kind the slowest file, how many were refused, how many
// froze the page (no answer in 30 s: the page is then opened anew), how many
// messages were not Dutch, and the peak JS heap. Goal: no file over 10 s, no
// frozen page, no English message.
// Run after `node scripts/build-web.mjs`: node bench/readers-damaged.mjs [files per kind, default 100]
import { readdirSync, readFileSync } from 'node:fs';
import { openReadersPage } from '../tests/browser/support/readers-page.js';

const FIXTURES = new URL('../../shared/fixtures/', import.meta.url);
const PER_KIND = Number(process.argv[2] || 100);
const FROZEN_AFTER = 30000;
const KINDS = {
  werkmappen: { dir: 'sheets', skip: /pass_protected/ },
  'Word-documenten': { dir: 'docx', skip: /^$/ },
  "PDF's": { dir: 'pdf', skip: /password|CCITT/ },
};
// Words that only an English message holds.
const ENGLISH = /\b(the|not|cannot|invalid|error|unexpected|bad|failed|undefined|null|reading|properties|unsupported|missing|stream|file)\b/i;

let seed = 20261210;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);

function mutate(bytes) {
  const b = new Uint8Array(bytes);
  const changes = 1 + Math.floor(random() * 4);
  for (let i = 0; i < changes; i++) {
    const at = Math.floor(random() * b.length);
    b[at] = random() < 0.5 ? b[at] ^ (1 << Math.floor(random() * 8)) : Math.floor(random() * 256);
  }
  return b;
}

async function heapOf(cdp) {
  const metrics = await Promise.race([cdp.send('Performance.getMetrics'), new Promise((resolve) => setTimeout(resolve, 1000, null))]);
  return metrics?.metrics.find((m) => m.name === 'JSHeapUsedSize').value ?? 0;
}

async function open() {
  const readers = await openReadersPage();
  const cdp = await readers.page.context().newCDPSession(readers.page);
  await cdp.send('Performance.enable');
  return { readers, cdp };
}

let session = await open();
try {
  for (const [kind, { dir, skip }] of Object.entries(KINDS)) {
    const names = readdirSync(new URL(`${dir}/`, FIXTURES)).filter((n) => !skip.test(n));
    const stats = { files: 0, refused: 0, frozen: 0, english: [], slowest: { ms: 0 }, heap: 0 };
    for (let i = 0; i < PER_KIND; i++) {
      const name = names[i % names.length];
      const bytes = mutate(readFileSync(new URL(`${dir}/${name}`, FIXTURES)));
      const label = `${i}-${name}`;
      session.readers.serve(label, bytes);
      let reading = true;
      const sampler = (async () => {
        while (reading) {
          stats.heap = Math.max(stats.heap, await heapOf(session.cdp));
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      })();
      const start = Date.now();
      const result = await Promise.race([
        session.readers.page.evaluate((n) => window.leesTestbestand(n), label),
        new Promise((resolve) => setTimeout(resolve, FROZEN_AFTER, 'frozen')),
      ]);
      const ms = Date.now() - start;
      reading = false;
      await sampler;
      stats.files += 1;
      if (ms > stats.slowest.ms) stats.slowest = { ms, label };
      if (result === 'frozen') {
        stats.frozen += 1;
        await session.readers.close().catch(() => {});
        session = await open();
        continue;
      }
      const messages = [result.fout, ...(result.warn ?? [])].filter(Boolean);
      if (result.fout) stats.refused += 1;
      for (const m of messages) if (ENGLISH.test(m)) stats.english.push(m);
    }
    const english = [...new Set(stats.english)];
    console.log(`${kind}: ${stats.files} files, slowest ${(stats.slowest.ms / 1000).toFixed(1)} s (${stats.slowest.label}), `
      + `${stats.refused} refused, ${stats.frozen} froze the page, ${stats.english.length} English messages`
      + `${english.length ? ` (${english.slice(0, 3).map((m) => JSON.stringify(m.slice(0, 80))).join(', ')})` : ''}, `
      + `peak JS heap ${(stats.heap / 1048576).toFixed(0)} MB`);
  }
} finally {
  await session.readers.close().catch(() => {});
}
