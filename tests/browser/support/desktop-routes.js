// Stands in for the desktop side's routes that the page uses: the built folder
// with a status object, and GET and POST /kantoorlijst answering as the local
// server does (the bytes kept unchanged, 1 MiB at most, UTF-8 only, own origin only).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';
import { CSP } from './page-server.js';

const WEB = fileURLToPath(new URL('../../../build/web/', import.meta.url));
const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8' };
const MAX = 1048576;
const STATUS = { versie: '1.3.0', nieuwste: '1.3.0', nieuwer: false, store: false, blokkade: null, berichten: [], ocr: false };

function antwoord(res, status, type, body = '') {
  res.writeHead(status, { 'Content-Type': type, 'Content-Length': Buffer.byteLength(body), 'Content-Security-Policy': CSP }).end(body);
}

async function lees(req) {
  const delen = [];
  for await (const deel of req) delen.push(deel);
  return Buffer.concat(delen);
}

const isUtf8 = (bytes) => {
  try {
    new TextDecoder('utf-8', { fatal: true, ignoreBOM: true }).decode(bytes);
    return true;
  } catch {
    return false;
  }
};

// `opgeslagen` holds the office list file's bytes; null when there is none.
export async function serveDesktop({ kantoorlijst = null } = {}) {
  const staat = { opgeslagen: kantoorlijst === null ? null : Buffer.from(kantoorlijst), posts: 0 };
  const server = createServer(async (req, res) => {
    const path = new URL(req.url, 'http://x').pathname;
    if (req.method === 'POST') {
      const origin = req.headers.origin;
      if (req.url !== '/kantoorlijst' || (origin && origin !== `http://${req.headers.host}`)) return antwoord(res, 404, 'text/html');
      if (Number(req.headers['content-length'] || 0) > MAX) return antwoord(res, 413, 'text/html');
      const body = await lees(req);
      staat.posts += 1;
      if (!isUtf8(body)) return antwoord(res, 400, 'text/plain; charset=utf-8');
      staat.opgeslagen = body;
      return antwoord(res, 204, 'text/plain; charset=utf-8');
    }
    if (path === '/status.js') return antwoord(res, 200, TYPES['.js'], `window.ANON_STATUS = ${JSON.stringify(STATUS)};\n`);
    if (path === '/kantoorlijst') {
      res.writeHead(200, { 'Content-Type': 'text/plain; charset=utf-8', 'Content-Security-Policy': CSP }).end(staat.opgeslagen ?? Buffer.alloc(0));
      return;
    }
    const file = normalize(join(WEB, path === '/' ? 'index.html' : path));
    try {
      const body = await readFile(file);
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Content-Security-Policy': CSP }).end(body);
    } catch {
      antwoord(res, 404, 'text/html');
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, staat, origin: `http://127.0.0.1:${server.address().port}` };
}
