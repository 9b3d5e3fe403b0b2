// Reads a 50-page text PDF and a 3-page scan through the page's own intake in
// Chromium and prints the time of every page and the page's peak memory (the
// renderer process, which also holds the PDF and OCR workers). The scan is read
// by the page's OCR (hosted edition) and through /ocr (desktop edition): by the
// stand-in of the browser tests, or by a running desktop program whose address
// is given as DESKTOP_ORIGIN. Run after `make build`. Goal: text pages under 50 ms.
import { readFileSync } from 'node:fs';
import { launchBrowser } from '../tests/browser/support/chromium.js';
import { serveDesktopOcr } from '../tests/browser/support/desktop-ocr.js';
import { openPage, servePage } from '../tests/browser/support/page-server.js';
import { htmlPdf, scanPdf, scanPng } from '../tests/fixtures/readers/make-pdf.js';

const WORDS = ('de het een van en in op voor met aan bij naar over aangifte inkomstenbelasting aanslag belastingjaar '
  + 'toeslag vermogen box aftrek hypotheekrente bedrag euro datum Amsterdam Utrecht Jansen Bakker Visser de Vries').split(' ');
let seed = 20241210;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
const sentence = (n) => Array.from({ length: n }, () => WORDS[Math.floor(random() * WORDS.length)]).join(' ');

// A tax office letter per page: running text and a table of amounts.
function textPage(n) {
  const rows = Array.from({ length: 12 }, (_, i) => `<tr><td>${sentence(3)}</td><td>${String(i + 1).padStart(2, '0')}-03-2025</td>`
    + `<td align=right>${(random() * 10000).toFixed(2).replace('.', ',')}</td></tr>`).join('');
  return `<section style="break-after:page;font:11px serif"><h3>Aanslag ${n}</h3>`
    + Array.from({ length: 6 }, () => `<p>${sentence(60)}</p>`).join('') + `<table style="width:100%">${rows}</table></section>`;
}

const scanLetter = (n) => `<h2>Brief ${n}</h2>` + Array.from({ length: 8 }, () => `<p>${sentence(45)}</p>`).join('')
  + '<p>IBAN NL91ABNA0417164300, BSN 111222333</p>';

const rss = (pid) => {
  try {
    return Number(/VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) * 1024;
  } catch {
    return 0;
  }
};

async function measure(browser, origin, label, name, bytes) {
  const { page } = await openPage(browser, origin);
  const system = await browser.newBrowserCDPSession();
  const renderers = (await system.send('SystemInfo.getProcessInfo')).processInfo.filter((p) => p.type === 'renderer').map((p) => p.id);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  const heap = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'JSHeapUsedSize').value;
  await page.evaluate(() => {
    const laden = document.getElementById('laden');
    window.tijden = { paginas: [], dicht: 0 };
    new MutationObserver(() => {
      const m = /^Pagina (\d+) van/.exec(laden.textContent);
      if (m && !window.tijden.paginas[m[1]]) window.tijden.paginas[m[1]] = performance.now();
      if (!laden.classList.contains('show') && window.tijden.paginas.length) window.tijden.dicht = performance.now();
    }).observe(laden, { childList: true, characterData: true, subtree: true, attributes: true });
  });
  let peak = { heap: 0, rss: 0 };
  let reading = true;
  const sampler = (async () => {
    while (reading) {
      const all = renderers.reduce((sum, pid) => sum + rss(pid), 0);
      peak = { heap: Math.max(peak.heap, await heap()), rss: Math.max(peak.rss, all) };
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  })();
  await page.setInputFiles('#file-input', [{ name, mimeType: 'application/pdf', buffer: bytes }]);
  await page.waitForFunction(() => window.tijden.dicht > 0, null, { timeout: 600000, polling: 100 });
  reading = false;
  await sampler;
  const { paginas, dicht } = await page.evaluate(() => window.tijden);
  const starts = paginas.slice(1);
  const perPage = starts.map((t, i) => (starts[i + 1] ?? dicht) - t);
  const mb = (n) => `${(n / 1048576).toFixed(0)} MB`;
  const ms = (n) => `${n.toFixed(0)} ms`;
  const summary = perPage.length > 5
    ? `${(perPage.slice(0, -1).reduce((a, b) => a + b, 0) / (perPage.length - 1)).toFixed(1)} ms per page (mean of pages 1-${perPage.length - 1}), `
      + `slowest ${ms(Math.max(...perPage.slice(0, -1)))}, the last with the detection ${ms(perPage.at(-1))}`
    : `${perPage.map(ms).join(', ')} for pages 1-${perPage.length} (the first with the engine's start, the last with the detection)`;
  console.log(`${label}: ${(bytes.length / 1024).toFixed(0)} kB, ${perPage.length} pages, total ${ms(dicht - starts[0])}; ${summary}; `
    + `peak JS heap ${mb(peak.heap)}, peak renderer memory ${mb(peak.rss)}`);
  await page.context().close();
}

const browser = await launchBrowser();
const hosted = await servePage();
const desktop = process.env.DESKTOP_ORIGIN ? null : await serveDesktopOcr();
try {
  const text = await htmlPdf(browser, Array.from({ length: 50 }, (_, i) => textPage(i + 1)).join(''));
  const scan = await scanPdf(browser, await Promise.all([1, 2, 3].map((n) => scanPng(browser, scanLetter(n)))));
  await measure(browser, hosted.origin, 'text PDF', 'aanslagen.pdf', text);
  await measure(browser, hosted.origin, 'scan, OCR in the page', 'scan.pdf', scan);
  await measure(browser, process.env.DESKTOP_ORIGIN || desktop.origin, `scan, /ocr ${desktop ? '(stand-in: Tesseract command line)' : process.env.DESKTOP_ORIGIN}`, 'scan.pdf', scan);
} finally {
  await browser.close();
  hosted.server.close();
  desktop?.server.close();
}
