// Recognised words, from either OCR engine, grouped anew into lines.
const ROW_TOLERANCE = 0.6;
const TAB_GAP = 2.5;
const CONFIDENCE_CUT = 20;
// Two letters or digits in a row: what page edges and stains never give.
const LEESBAAR = /[\p{L}0-9]{2}/u;

function rijen(woorden) {
  const rows = [];
  for (const word of [...woorden].sort((a, b) => a.y - b.y)) {
    const cy = word.y + word.h / 2;
    const row = rows.find((r) => Math.abs(r.cy - cy) < ROW_TOLERANCE * Math.min(r.h, word.h));
    if (row) row.ws.push(word);
    else rows.push({ cy, h: word.h, ws: [word] });
  }
  return rows.sort((a, b) => a.cy - b.cy);
}

function regelTekst(ws) {
  let line = '';
  let prev = null;
  for (const word of [...ws].sort((a, b) => a.x - b.x)) {
    if (prev) {
      const tw = word.w / Math.max(1, word.t.length);
      line += word.x - (prev.x + prev.w) > TAB_GAP * tw ? '\t' : ' ';
    }
    line += word.t;
    prev = word;
  }
  return line;
}

export function woordenNaarBlokken(woorden) {
  return rijen(woorden)
    .map((row) => regelTekst(row.ws))
    .filter((line) => LEESBAAR.test(line))
    .map((line) => ({ t: 'p', line: true, text: line.trim() }));
}

// The in-page engine's blocks, paragraphs, lines and words as word boxes;
// blank and doubtful words are dropped.
export function tesseractWoorden(blocks) {
  const woorden = [];
  for (const block of blocks || []) {
    for (const par of block.paragraphs) {
      for (const line of par.lines) {
        for (const { text, confidence, bbox } of line.words) {
          if (text.trim() && confidence > CONFIDENCE_CUT) {
            woorden.push({ t: text, x: bbox.x0, y: bbox.y0, w: bbox.x1 - bbox.x0, h: bbox.y1 - bbox.y0 });
          }
        }
      }
    }
  }
  return woorden;
}
