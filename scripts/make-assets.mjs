// Draws the page's icon (a placeholder bracket pair on a blue tile) with
// Chromium and writes web/static/assets/logo_icon.png and favicon.ico.
// Run by hand after changing the drawing; the results are committed.
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../tests/browser/support/chromium.js';

const ASSETS = fileURLToPath(new URL('../web/static/assets/', import.meta.url));

const SVG = `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 64 64">
  <defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="#4c6ef5"/><stop offset="1" stop-color="#2f4ac0"/></linearGradient></defs>
  <rect width="64" height="64" rx="14" fill="url(#g)"/>
  <path d="M23 16h-7v32h7M41 16h7v32h-7" fill="none" stroke="#fff" stroke-width="5" stroke-linecap="round" stroke-linejoin="round"/>
  <rect x="26" y="29" width="12" height="6" rx="3" fill="#fff" opacity="0.85"/>
</svg>`;

async function render(page, size) {
  await page.setViewportSize({ width: size, height: size });
  await page.setContent(`<html><body style="margin:0;background:transparent">
    <img src="data:image/svg+xml;base64,${Buffer.from(SVG).toString('base64')}" width="${size}" height="${size}" style="display:block"></body></html>`);
  return page.screenshot({ omitBackground: true, clip: { x: 0, y: 0, width: size, height: size } });
}

// An ICO file whose images are PNGs, as every current browser reads them.
function ico(pngs) {
  const head = Buffer.alloc(6 + 16 * pngs.length);
  head.writeUInt16LE(0, 0);
  head.writeUInt16LE(1, 2);
  head.writeUInt16LE(pngs.length, 4);
  let offset = head.length;
  pngs.forEach(({ size, data }, i) => {
    const e = 6 + 16 * i;
    head.writeUInt8(size % 256, e);
    head.writeUInt8(size % 256, e + 1);
    head.writeUInt16LE(1, e + 4);
    head.writeUInt16LE(32, e + 6);
    head.writeUInt32LE(data.length, e + 8);
    head.writeUInt32LE(offset, e + 12);
    offset += data.length;
  });
  return Buffer.concat([head, ...pngs.map((p) => p.data)]);
}

const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  writeFileSync(join(ASSETS, 'logo_icon.png'), await render(page, 128));
  const pngs = [];
  for (const size of [16, 32, 48]) pngs.push({ size, data: await render(page, size) });
  writeFileSync(join(ASSETS, 'favicon.ico'), ico(pngs));
} finally {
  await browser.close();
}
console.log(`assets written to ${ASSETS}`);
