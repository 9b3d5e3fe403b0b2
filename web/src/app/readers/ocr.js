// OCR of one image: through the desktop side's "/ocr" when the status object
// says Windows OCR is present, else inside the page with Tesseract. A failure
// of one is never retried with the other.
import { tesseractRegels, woordenNaarBlokken } from './ocr-woorden.js';

const TESS_DIR = 'vendor/tesseract/';
const CAUTION = 'Controleer extra goed: OCR kan letters of cijfers verkeerd lezen, en wat niet gelezen is, staat ook niet in de tekst.';
const TIP = 'Tip: in de Windows-app van Drovel gaat tekstherkenning sneller en nauwkeuriger.';
const DUTCH_CAPABILITY = 'Language.OCR~~~nl-NL';

let _tess = null;

export const ocrLokaal = () => globalThis.ANON_STATUS?.ocr === true;

const statusTaal = () => String(globalThis.ANON_STATUS?.taal ?? '');

export function ocrMeldingen(eerste) {
  const meldingen = [`${eerste} ${CAUTION}`];
  if (!ocrLokaal()) meldingen.push(TIP);
  else if (!statusTaal().toLowerCase().startsWith('nl')) {
    meldingen.push(`Windows heeft geen Nederlands OCR-taalpakket; er is gelezen met ${statusTaal()}. `
      + `Uw IT-beheerder kan "${DUTCH_CAPABILITY}" toevoegen voor betere herkenning.`);
  }
  return meldingen;
}

export function laadScript(src) {
  return new Promise((resolve, reject) => {
    const el = document.createElement('script');
    el.src = src;
    el.onload = resolve;
    el.onerror = () => {
      el.remove();
      reject(new Error(`kon ${src} niet laden`));
    };
    document.head.appendChild(el);
  });
}

// Said for the file whatever kept the engine from starting: its trained data,
// its worker or its core that did not load.
const START_MISLUKT = 'De tekstherkenning kon niet worden gestart; probeer het opnieuw.';

// The library's own set-up never settles when the trained data fails to load
// and throws the failure at the page instead; its error handler turns that,
// like every other failure of the set-up, into this promise's rejection.
// The library hands out its worker only once set up, so the one it starts
// (synchronously, within the call) is caught here: a failed set-up ends it
// rather than leave an engine running for every attempt.
function startWorker(opties) {
  const Echt = globalThis.Worker;
  let gestart = null;
  globalThis.Worker = class extends Echt {
    constructor(...args) {
      super(...args);
      gestart = this;
    }
  };
  let klaar;
  try {
    klaar = new Promise((resolve, reject) => {
      globalThis.Tesseract.createWorker('nld', 1, { ...opties, errorHandler: reject }).then(resolve, reject);
    });
  } finally {
    globalThis.Worker = Echt;
  }
  return klaar.catch((err) => {
    gestart?.terminate();
    throw err;
  });
}

// Every path absolute: the worker would resolve relative ones against its own
// address. No blob worker and no cache, so nothing but the page's own files is used.
async function maakWorker() {
  if (!globalThis.Tesseract) await laadScript(`${TESS_DIR}tesseract.min.js`);
  const dir = new URL(TESS_DIR, location.href).href;
  try {
    return await startWorker({
      workerPath: `${dir}worker.min.js`,
      corePath: `${dir}tesseract-core-simd-lstm.wasm.js`,
      langPath: dir.slice(0, -1),
      workerBlobURL: false,
      cacheMethod: 'none',
      gzip: true,
    });
  } catch (cause) {
    throw new Error(START_MISLUKT, { cause });
  }
}

// One worker for the life of the page; a failed set-up is forgotten so the next OCR tries again.
export function tesseract() {
  _tess ??= maakWorker().catch((err) => {
    _tess = null;
    throw err;
  });
  return _tess;
}

const alsPng = (canvas) => new Promise((resolve, reject) => {
  canvas.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('OCR mislukt'))), 'image/png');
});

async function foutVan(reply) {
  const body = await reply.json().catch(() => null);
  return typeof body?.fout === 'string' && body.fout ? body.fout : 'OCR mislukt';
}

async function viaWindows(bron) {
  const body = bron instanceof HTMLCanvasElement ? await alsPng(bron) : bron;
  // A dropped connection says "Failed to fetch"; the user gets a Dutch text.
  const reply = await fetch('/ocr', { method: 'POST', body }).catch(() => {
    throw new Error('OCR mislukt');
  });
  if (!reply.ok) throw new Error(await foutVan(reply));
  const { taal, regels } = await reply.json();
  return { regels: regels.map((r) => r.woorden), motor: `Windows, ${taal}` };
}

async function inDePagina(bron) {
  const worker = await tesseract();
  const { data } = await worker.recognize(bron, {}, { blocks: true });
  return { regels: tesseractRegels(data.blocks), motor: 'in de browser' };
}

// bron: a canvas, or (Windows OCR only) the bytes of an image file.
export const ocrBeeld = (bron) => (ocrLokaal() ? viaWindows(bron) : inDePagina(bron));

// The recognised lines as blocks, as the engine gave them.
export async function ocrRegels(bron) {
  const { regels, motor } = await ocrBeeld(bron);
  return { regels: woordenNaarBlokken(regels), motor };
}
