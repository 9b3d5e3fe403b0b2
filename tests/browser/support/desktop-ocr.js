// The desktop edition as the page meets it for OCR: a status script that says
// Windows OCR is present, and POST /ocr answering as the desktop side does.
// Tesseract's command line stands in for the Windows engine; its words come
// back in the reply's shape, in pixels of the posted image.
import { execFile } from 'node:child_process';
import { servePage } from './page-server.js';

const LIMIT = 60 * 1024 * 1024;

// The desktop side writes its JSON in ASCII.
const asciiJson = (value) => JSON.stringify(value)
  .replace(/[\u0080-\uffff]/g, (c) => `\\u${c.charCodeAt(0).toString(16).padStart(4, '0')}`);

function send(res, status, type, body) {
  res.writeHead(status, { 'Content-Type': type }).end(body);
}

function tesseract(bytes) {
  return new Promise((resolve, reject) => {
    // One thread: on a busy machine OpenMP's spinning threads only slow it down.
    const env = { ...process.env, OMP_THREAD_LIMIT: '1' };
    const child = execFile('tesseract', ['stdin', 'stdout', '-l', 'nld', 'tsv'], { env, maxBuffer: 64 << 20 }, (err, out) => {
      if (err) reject(err);
      else resolve(out);
    });
    child.stdin.end(bytes);
  });
}

// TSV rows: level, page, block, paragraph, line, word, left, top, width, height, confidence, text.
function reply(tsv, taal) {
  const r = { taal, breedte: 0, hoogte: 0, hoek: null, regels: [] };
  const lines = new Map();
  for (const row of tsv.split('\n').slice(1)) {
    const [level, , block, par, line, , x, y, w, h, , text = ''] = row.split('\t');
    if (level === '1') [r.breedte, r.hoogte] = [Number(w), Number(h)];
    if (level !== '5' || !text.trim()) continue;
    const key = `${block}.${par}.${line}`;
    if (!lines.has(key)) lines.set(key, []);
    lines.get(key).push({ t: text, x: Number(x), y: Number(y), w: Number(w), h: Number(h) });
  }
  r.regels = [...lines.values()].map((woorden) => ({ tekst: woorden.map((w) => w.t).join(' '), woorden }));
  return r;
}

function readBody(req) {
  return new Promise((resolve) => {
    const parts = [];
    req.on('data', (part) => parts.push(part));
    req.on('end', () => resolve(Buffer.concat(parts)));
  });
}

// state.taal: the OCR language; state.antwoord: a fixed { status, type, body } instead of recognising.
export async function serveDesktopOcr(taal = 'nl-NL') {
  const state = { taal, antwoord: null, posts: 0 };
  let origin;
  const served = await servePage({ routes: {
    '/status.js': (req, res) => send(res, 200, 'text/javascript; charset=utf-8', `window.ANON_STATUS = ${asciiJson({
      versie: '1.3.0', laatste: null, nieuwer: false, notitie: null, download: 'https://drovel.nl/download', store: false,
      blokkeer: null, berichten: [], ocr: true, taal: state.taal,
    })};`),
    '/ocr': async (req, res) => {
      if (req.method !== 'POST') return send(res, 404, 'text/html', 'Not Found');
      const length = Number(req.headers['content-length'] ?? 0);
      if (req.headers.origin && req.headers.origin !== origin) return send(res, 404, 'text/html', 'Not Found');
      if (!(length > 0 && length <= LIMIT)) return send(res, 413, 'text/html', 'Request Entity Too Large');
      const bytes = await readBody(req);
      state.posts += 1;
      if (state.antwoord) return send(res, state.antwoord.status, state.antwoord.type, state.antwoord.body);
      try {
        send(res, 200, 'application/json; charset=utf-8', asciiJson(reply(await tesseract(bytes), state.taal)));
      } catch (err) {
        send(res, 500, 'application/json; charset=utf-8', asciiJson({ fout: String(err.message).slice(0, 300) }));
      }
    },
  } });
  origin = served.origin;
  return { ...served, state };
}
