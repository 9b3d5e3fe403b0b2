// How much of a page its text layer and its images cover, in square PDF units:
// a scan with a small text stamp ("Ingescand 14-03-2024") has text items, but
// the letter itself is in the picture.

// The text items' boxes: width along the baseline by the height.
export function tekstDekking(items) {
  let area = 0;
  for (const { transform: [, , c, d], width, height } of items) area += Math.abs(width) * (Math.hypot(c, d) || height || 0);
  return area;
}

const multiply = ([a, b, c, d, e, f], [g, h, i, j, k, l]) =>
  [a * g + c * h, b * g + d * h, a * i + c * j, b * i + d * j, a * k + c * l + e, b * k + d * l + f];

// The images that an operator list paints: each fills the unit square of the
// current transformation, so its area is that matrix's determinant.
export function beeldDekking({ fnArray, argsArray }, OPS) {
  const images = new Set([OPS.paintImageXObject, OPS.paintInlineImageXObject, OPS.paintImageMaskXObject, OPS.paintImageXObjectRepeat]);
  const stack = [];
  let ctm = [1, 0, 0, 1, 0, 0];
  let area = 0;
  fnArray.forEach((fn, i) => {
    const args = argsArray[i];
    if (fn === OPS.save) stack.push(ctm);
    else if (fn === OPS.restore) ctm = stack.pop() ?? ctm;
    else if (fn === OPS.transform) ctm = multiply(ctm, args);
    else if (fn === OPS.paintFormXObjectBegin) {
      stack.push(ctm);
      if (Array.isArray(args?.[0])) ctm = multiply(ctm, args[0]);
    } else if (fn === OPS.paintFormXObjectEnd) ctm = stack.pop() ?? ctm;
    else if (images.has(fn)) area += Math.abs(ctm[0] * ctm[3] - ctm[1] * ctm[2]);
  });
  return area;
}

const words = (text) => text.toLowerCase().split(/\s+/).map((w) => w.replace(/^[^\p{L}\p{N}]+|[^\p{L}\p{N}]+$/gu, '')).filter(Boolean);

// The OCR lines that are no copy of the page's text layer: a line most of whose
// words the layer holds is that layer's own text, drawn and read back.
export function buitenTekstlaag(ocr, lines) {
  const layer = new Set(lines.flatMap((line) => words(line.text)));
  return ocr.filter((line) => {
    const own = words(line.text);
    return own.filter((w) => layer.has(w)).length * 2 <= own.length;
  });
}
