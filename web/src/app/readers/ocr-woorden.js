// Recognised words into lines. Both engines give their words in lines, in
// reading order; those lines are kept as they are, since a regrouping by
// height drops short words out of their line once a scan is slightly skewed.
const TAB_GAP = 2.5;
const CONFIDENCE_CUT = 20;
// Two letters or digits in a row: what page edges and stains never give.
const LEESBAAR = /[\p{L}0-9]{2}/u;

// The words of one line in the engine's order; a wide gap becomes a tab.
function regelTekst(ws) {
  let line = '';
  let prev = null;
  for (const word of ws) {
    if (prev) {
      const tw = word.w / Math.max(1, word.t.length);
      line += word.x - (prev.x + prev.w) > TAB_GAP * tw ? '\t' : ' ';
    }
    line += word.t;
    prev = word;
  }
  return line;
}

// regels: the engine's lines, each a list of word boxes.
export function woordenNaarBlokken(regels) {
  return regels
    .map(regelTekst)
    .filter((line) => LEESBAAR.test(line))
    .map((line) => ({ t: 'p', line: true, text: line.trim() }));
}

// The in-page engine's blocks, paragraphs and lines as lines of word boxes;
// blank and doubtful words are dropped, and lines left without words.
export function tesseractRegels(blocks) {
  const regels = [];
  for (const block of blocks || []) {
    for (const par of block.paragraphs) {
      for (const line of par.lines) {
        const woorden = [];
        for (const { text, confidence, bbox } of line.words) {
          if (text.trim() && confidence > CONFIDENCE_CUT) {
            woorden.push({ t: text, x: bbox.x0, y: bbox.y0, w: bbox.x1 - bbox.x0, h: bbox.y1 - bbox.y0 });
          }
        }
        if (woorden.length) regels.push(woorden);
      }
    }
  }
  return regels;
}
