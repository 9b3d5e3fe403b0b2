// Sizes of what is drawn for OCR, and the white canvas it is drawn on: no side
// beyond OCR_MAX, PDF pages at 300 dpi, small photos enlarged so that the engine
// sees letters of a workable size.
export const OCR_MAX = 4000;
const RENDER_SCALE = 300 / 72;
const SMALL_TARGET = 1600;

// A PDF page of w by h points: its scale, and its canvas rounded up to whole pixels.
// The small allowance keeps float noise (792 × 300 / 72 = 3300.0000000000005) from adding a pixel.
export function paginaMaat(w, h) {
  const scale = Math.min(RENDER_SCALE, OCR_MAX / Math.max(w, h));
  const side = (n) => Math.ceil(n * scale - 1e-6);
  return { scale, width: side(w), height: side(h) };
}

// An image of w by h pixels: its canvas, rounded to the nearest pixel.
export function beeldMaat(w, h) {
  const m = Math.max(w, h);
  const s = Math.min(OCR_MAX / m, Math.max(1, SMALL_TARGET / m));
  return { width: Math.round(w * s), height: Math.round(h * s) };
}

export function witCanvas({ width, height }) {
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const ctx = canvas.getContext('2d');
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, width, height);
  return { canvas, ctx };
}
