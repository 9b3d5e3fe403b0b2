// PDF files: each page's text layer and filled form fields as lines; a page
// without either is taken to be a scan, drawn at 300 dpi and read with OCR, and
// so is a picture that covers most of a page whose text is only a stamp.
import { voortgang } from '../ui.js';
import { append } from './append.js';
import { paginaMaat, witCanvas } from './beeldmaat.js';
import { laadScript, ocrMeldingen, ocrRegels } from './ocr.js';
import { beeldDekking, buitenTekstlaag, tekstDekking } from './pdf-dekking.js';
import { pdfRegels, veldItems } from './pdf-regels.js';
import { GESPATIEERD, echteSpaties } from './pdf-spaties.js';

const WORKER = 'vendor/pdf.worker.min.js';
// Character maps and the standard fonts' data, from our own host: without them
// CID fonts without a ToUnicode map give no text and render blank.
const CMAPS = 'vendor/cmaps/';
const STANDARD_FONTS = 'vendor/standard_fonts/';
// The library works in its worker; a call that takes longer than this means a
// damaged file that keeps it busy, and the document is given up (its worker ended).
const PDF_TIJD = 10000;
const RENDER_TIJD = 30000;
// A page whose text covers less than this share while images cover more than
// the other is a scan with a stamp or a caption: it is read with OCR.
const LITTLE_TEXT = 0.05;
const MOSTLY_IMAGE = 0.5;
let _pdfKlaar = null;

// From a local folder the browser may not start a worker: the library then
// runs its worker code in the page, from a script element.
export function pdfKlaar() {
  _pdfKlaar ??= location.protocol === 'file:'
    ? laadScript(WORKER).catch(() => {
      throw new Error('pdf.worker.min.js niet gevonden');
    })
    : Promise.resolve().then(() => {
      globalThis.pdfjsLib.GlobalWorkerOptions.workerSrc = WORKER;
    });
  return _pdfKlaar;
}

const DAMAGED = 'Dit PDF-bestand kon niet gelezen worden. Het bestand is beschadigd of is geen PDF.';
const TIME_ERROR = 'Het lezen van dit PDF-bestand duurde te lang en is afgebroken. Het bestand is waarschijnlijk beschadigd.';

// The library's own errors are English; the user gets a Dutch one.
function openFout(cause) {
  const text = cause?.name === 'PasswordException'
    ? 'Dit PDF-bestand is beveiligd met een wachtwoord. Sla het zonder wachtwoord op en probeer het opnieuw.'
    : DAMAGED;
  return new Error(text, { cause });
}

class TeLang extends Error {}

// The library's answer, or TeLang when it keeps its worker busy past the limit.
function binnen(promise, ms) {
  let timer;
  const limit = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new TeLang(TIME_ERROR)), ms);
  });
  return Promise.race([promise, limit]).finally(() => clearTimeout(timer));
}

export async function paginaCanvas(page) {
  const { width, height } = page.getViewport({ scale: 1 });
  const maat = paginaMaat(width, height);
  const { canvas, ctx } = witCanvas(maat);
  const task = page.render({ canvasContext: ctx, viewport: page.getViewport({ scale: maat.scale }) });
  try {
    await binnen(task.promise, RENDER_TIJD);
  } catch (err) {
    task.cancel();
    canvas.width = 0;
    throw err;
  }
  return canvas;
}

async function paginaItems(page) {
  const { items } = await binnen(page.getTextContent(), PDF_TIJD);
  let tekst = items.filter((item) => typeof item.str === 'string' && item.str.trim() !== '');
  if (tekst.some((item) => GESPATIEERD.test(item.str))) {
    tekst = echteSpaties(tekst, await binnen(page.getOperatorList(), PDF_TIJD), globalThis.pdfjsLib.OPS);
  }
  try {
    const velden = veldItems(await binnen(page.getAnnotations({ intent: 'display' }), PDF_TIJD));
    return { tekst, items: [...tekst, ...velden.items], velden: velden.velden };
  } catch (err) {
    if (err instanceof TeLang) throw err;
    console.error(err);
    return { tekst, items: tekst, velden: 0 };
  }
}

// The page's lines through OCR, or none when nothing is recognised or the
// engine fails. A page the library cannot draw is damaged: that passes on.
async function ocrPagina(page, p, n, r) {
  voortgang(`Pagina ${p} van ${n} lezen met tekstherkenning…`);
  const canvas = await paginaCanvas(page);
  try {
    const { regels, motor } = await ocrRegels(canvas);
    if (regels.length) r.motor = motor;
    return regels;
  } catch (err) {
    console.error(err);
    r.ocrFout = err?.message || String(err);
    return [];
  } finally {
    // A page canvas holds tens of megabytes until it is emptied.
    canvas.width = 0;
  }
}

async function isScan(page, tekst) {
  const { width, height } = page.getViewport({ scale: 1 });
  const area = width * height;
  if (tekstDekking(tekst) >= LITTLE_TEXT * area) return false;
  const ops = await binnen(page.getOperatorList(), PDF_TIJD);
  return beeldDekking(ops, globalThis.pdfjsLib.OPS) > MOSTLY_IMAGE * area;
}

function meldingen({ velden, ocrPag, motor, ocrFout, leegPag, kapotPag }, n) {
  const warn = [];
  if (kapotPag > 0) warn.push(`${kapotPag} pagina('s) beschadigd; die zijn overgeslagen.`);
  if (velden > 0) warn.push(`${velden} ingevulde formuliervelden meegenomen; controleer of ze op de goede plek in de tekst staan.`);
  if (ocrPag > 0) warn.push(...ocrMeldingen(`${ocrPag} pagina('s) gelezen met tekstherkenning (${motor}).`));
  if (ocrFout) warn.push(`Tekstherkenning mislukt: ${ocrFout}`);
  if (leegPag === n) warn.push('Geen tekst gevonden, ook niet met tekstherkenning.');
  else if (leegPag > 0) warn.push(`${leegPag} pagina('s) zonder leesbare tekst; die zijn overgeslagen.`);
  return warn;
}

// One page into the read result; a damaged page throws.
async function leesPagina(doc, p, n, r) {
  const page = await binnen(doc.getPage(p), PDF_TIJD);
  try {
    const { tekst, items, velden } = await paginaItems(page);
    r.velden += velden;
    const lines = pdfRegels(items);
    if (items.length && (velden > 0 || !(await isScan(page, tekst)))) {
      append(r.blocks, lines);
      return;
    }
    // A scan: beside a text layer (a stamp, or a letter on letterhead paper that
    // is one picture) OCR adds only the lines that layer does not hold.
    const regels = buitenTekstlaag(await ocrPagina(page, p, n, r), lines);
    if (regels.length) r.ocrPag += 1;
    else if (!items.length) r.leegPag += 1;
    append(r.blocks, lines);
    append(r.blocks, regels);
  } finally {
    page.cleanup();
  }
}

export async function leesPdf(buf) {
  if (buf.byteLength === 0) throw new Error('Dit PDF-bestand is leeg (0 bytes).');
  await pdfKlaar();
  // A worker of the document's own, so that one kept busy can be ended.
  const worker = new globalThis.pdfjsLib.PDFWorker();
  const task = globalThis.pdfjsLib.getDocument({
    worker,
    data: new Uint8Array(buf),
    isEvalSupported: false,
    cMapUrl: new URL(CMAPS, location.href).href,
    cMapPacked: true,
    standardFontDataUrl: new URL(STANDARD_FONTS, location.href).href,
  });
  let stuck = false;
  try {
    const doc = await binnen(task.promise, PDF_TIJD).catch((err) => {
      throw err instanceof TeLang ? err : openFout(err);
    });
    const n = doc.numPages;
    const r = { blocks: [], leegPag: 0, ocrPag: 0, kapotPag: 0, velden: 0, motor: '', ocrFout: '' };
    for (let p = 1; p <= n; p++) {
      if (n > 1) voortgang(`Pagina ${p} van ${n} lezen…`);
      if (n > 1) r.blocks.push({ t: 'h', level: 3, text: `Pagina ${p}`, pagina: true });
      // A damaged page costs only itself; one that keeps the library busy, the file.
      await leesPagina(doc, p, n, r).catch((err) => {
        if (err instanceof TeLang) throw err;
        console.error(err);
        r.kapotPag += 1;
      });
    }
    if (r.kapotPag === n) throw new Error(DAMAGED);
    const info = `${n} pagina('s)${r.ocrPag > 0 ? `, ${r.ocrPag} via OCR` : ''}`;
    return { blocks: r.blocks, warn: meldingen(r, n), info };
  } catch (err) {
    stuck = err instanceof TeLang;
    throw err;
  } finally {
    // A stuck worker never answers the library's own clean-up: it is ended at once.
    (stuck ? Promise.resolve() : task.destroy().catch(() => {})).then(() => worker.destroy());
  }
}
