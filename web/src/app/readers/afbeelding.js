// Image files and pasted screen clippings, always read with OCR. The image is
// drawn upright (its EXIF orientation applied) at a size the engine reads well.
import { voortgang } from '../ui.js';
import { beeldMaat, witCanvas } from './beeldmaat.js';
import { ocrLokaal, ocrMeldingen, ocrRegels } from './ocr.js';

async function tekenBeeld(buf) {
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([buf]), { imageOrientation: 'from-image' });
  } catch (cause) {
    throw new Error('Deze afbeelding kon niet gelezen worden. Het bestand is beschadigd of heeft een onbekende indeling.', { cause });
  }
  const maat = beeldMaat(bitmap.width, bitmap.height);
  const { canvas, ctx } = witCanvas(maat);
  ctx.drawImage(bitmap, 0, 0, maat.width, maat.height);
  bitmap.close();
  return canvas;
}

// Only Windows decodes TIFF; it gets the file's bytes as they are.
async function bron(buf, ext) {
  if (ext !== 'tif' && ext !== 'tiff') return tekenBeeld(buf);
  if (!ocrLokaal()) throw new Error('TIFF-scans kan alleen de Windows-app lezen. Sla de scan op als PDF of JPG.');
  return new Uint8Array(buf);
}

export async function leesBeeld(buf, ext) {
  voortgang('Afbeelding lezen met tekstherkenning…');
  const beeld = await bron(buf, ext);
  try {
    const { regels: blocks, motor } = await ocrRegels(beeld);
    if (!blocks.length) throw new Error('geen tekst herkend in de afbeelding.');
    return { blocks, warn: ocrMeldingen(`Gelezen met tekstherkenning (${motor}).`), info: `${blocks.length} regels via OCR` };
  } finally {
    if (beeld instanceof HTMLCanvasElement) beeld.width = 0;
  }
}
