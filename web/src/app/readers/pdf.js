// PDF files: each page's text layer and filled form fields as lines; a page
// without either is taken to be a scan, drawn at 300 dpi and read with OCR.
import { voortgang } from '../ui.js';
import { paginaMaat, witCanvas } from './beeldmaat.js';
import { laadScript, ocrMeldingen, ocrRegels } from './ocr.js';
import { pdfRegels, veldItems } from './pdf-regels.js';

const WORKER = 'vendor/pdf.worker.min.js';
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

// The library's own errors are English; the user gets a Dutch one.
function openFout(cause) {
  const text = cause?.name === 'PasswordException'
    ? 'Dit PDF-bestand is beveiligd met een wachtwoord. Sla het zonder wachtwoord op en probeer het opnieuw.'
    : 'Dit PDF-bestand kon niet gelezen worden. Het bestand is beschadigd of is geen PDF.';
  return new Error(text, { cause });
}

export async function paginaCanvas(page) {
  const { width, height } = page.getViewport({ scale: 1 });
  const maat = paginaMaat(width, height);
  const { canvas, ctx } = witCanvas(maat);
  await page.render({ canvasContext: ctx, viewport: page.getViewport({ scale: maat.scale }) }).promise;
  return canvas;
}

async function paginaItems(page) {
  const { items } = await page.getTextContent();
  const tekst = items.filter((item) => typeof item.str === 'string' && item.str.trim() !== '');
  try {
    const velden = veldItems(await page.getAnnotations({ intent: 'display' }));
    return { items: [...tekst, ...velden.items], velden: velden.velden };
  } catch (err) {
    console.error(err);
    return { items: tekst, velden: 0 };
  }
}

async function ocrPagina(page, p, n, r) {
  voortgang(`Pagina ${p} van ${n} lezen met tekstherkenning…`);
  let canvas;
  try {
    canvas = await paginaCanvas(page);
    const { regels, motor } = await ocrRegels(canvas);
    if (!regels.length) {
      r.leegPag += 1;
      return;
    }
    r.blocks.push(...regels);
    r.ocrPag += 1;
    r.motor = motor;
  } catch (err) {
    console.error(err);
    r.ocrFout = err?.message || String(err);
    r.leegPag += 1;
  } finally {
    // A page canvas holds tens of megabytes until it is emptied.
    if (canvas) canvas.width = 0;
  }
}

function meldingen({ velden, ocrPag, motor, ocrFout, leegPag }, n) {
  const warn = [];
  if (velden > 0) warn.push(`${velden} ingevulde formuliervelden meegenomen; controleer of ze op de goede plek in de tekst staan.`);
  if (ocrPag > 0) warn.push(...ocrMeldingen(`${ocrPag} pagina('s) gelezen met tekstherkenning (${motor}).`));
  if (ocrFout) warn.push(`Tekstherkenning mislukt: ${ocrFout}`);
  if (leegPag === n) warn.push('Geen tekst gevonden, ook niet met tekstherkenning.');
  else if (leegPag > 0) warn.push(`${leegPag} pagina('s) zonder leesbare tekst; die zijn overgeslagen.`);
  return warn;
}

export async function leesPdf(buf) {
  if (buf.byteLength === 0) throw new Error('Dit PDF-bestand is leeg (0 bytes).');
  await pdfKlaar();
  const doc = await globalThis.pdfjsLib.getDocument({ data: new Uint8Array(buf), isEvalSupported: false }).promise
    .catch((err) => {
      throw openFout(err);
    });
  try {
    const n = doc.numPages;
    const r = { blocks: [], leegPag: 0, ocrPag: 0, velden: 0, motor: '', ocrFout: '' };
    for (let p = 1; p <= n; p++) {
      if (n > 1) voortgang(`Pagina ${p} van ${n} lezen…`);
      const page = await doc.getPage(p).catch((err) => {
        throw openFout(err);
      });
      const { items, velden } = await paginaItems(page);
      r.velden += velden;
      if (n > 1) r.blocks.push({ t: 'h', level: 3, text: `Pagina ${p}`, pagina: true });
      if (items.length) r.blocks.push(...pdfRegels(items));
      else await ocrPagina(page, p, n, r);
      page.cleanup();
    }
    const info = `${n} pagina('s)${r.ocrPag > 0 ? `, ${r.ocrPag} via OCR` : ''}`;
    return { blocks: r.blocks, warn: meldingen(r, n), info };
  } finally {
    doc.destroy();
  }
}
