// Serves the built web folder on a free loopback port with the page's strict
// content-security policy, so that a violation shows in the browser tests.
import { createServer } from 'node:http';
import { readFileSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';

// The program's own policy, from the file its build compiles in.
export const CSP = readFileSync(fileURLToPath(new URL('../../../app/src/http/content_security_policy.txt', import.meta.url)), 'utf8').trim();

const WEB = fileURLToPath(new URL('../../../build/web/', import.meta.url));
const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.png': 'image/png', '.ico': 'image/x-icon', '.woff2': 'font/woff2', '.wasm': 'application/wasm',
};

// `routes` answers chosen paths itself, as the desktop side's routes would.
export async function servePage({ routes = {} } = {}) {
  const server = createServer(async (req, res) => {
    const route = routes[new URL(req.url, 'http://x').pathname];
    if (route) {
      res.setHeader('Content-Security-Policy', CSP);
      route(req, res);
      return;
    }
    const path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = normalize(join(WEB, path === '/' ? 'index.html' : path));
    if (!file.startsWith(WEB)) {
      res.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(file);
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Content-Security-Policy': CSP }).end(body);
    } catch {
      res.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

// A page of the served folder with watchers for what must never happen:
// requests to other hosts, content-security violations and uncaught errors.
export async function openPage(browser, origin, { width = 1440, height = 900, context } = {}) {
  const ctx = context || await browser.newContext({ viewport: { width, height } });
  const page = await ctx.newPage();
  const problems = [];
  page.on('request', (req) => {
    const url = req.url();
    if (!url.startsWith(`${origin}/`) && !/^(data|blob):/.test(url)) problems.push(`request to ${url}`);
  });
  page.on('console', (msg) => {
    if (/Content Security Policy|Refused to/i.test(msg.text())) problems.push(`csp: ${msg.text()}`);
  });
  page.on('pageerror', (err) => problems.push(`error: ${err.message}`));
  // A worker's violations reach only the browser's log, not the page's console.
  const cdp = await ctx.newCDPSession(page);
  cdp.on('Log.entryAdded', ({ entry }) => {
    if (/Content Security Policy/i.test(entry.text)) problems.push(`csp (${entry.source}): ${entry.text}`);
  });
  await cdp.send('Log.enable');
  await page.addInitScript(() => {
    document.addEventListener('securitypolicyviolation', (e) => console.error(`Refused to load: CSP ${e.violatedDirective}`));
  });
  await page.goto(`${origin}/`);
  await bound(page);
  return { page, problems };
}

// The page binds its controls once the office list has loaded, which may be after the load event.
export const bound = (page) => page.waitForSelector('.view.active');

export const toastText = (page) => page.locator('#toast').textContent();
