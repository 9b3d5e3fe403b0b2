// A PDF page's text items, and the values of its filled form fields, rebuilt
// into lines: items on one baseline form a row, and wide gaps become tabs so
// that the columns of tax returns and forms stay recognisable.
const ROW_TOLERANCE = 0.5;
const TAB_GAP = 2.5;
const SPACE_GAP = 0.2;
const DEFAULT_CHAR_WIDTH = 5;
const DEFAULT_HEIGHT = 10;
const FIELD_MIN_WIDTH = 10;
const FIELD_HEIGHT = [6, 14];
const FIELD_LINE_PITCH = 12;

const regel = (text) => ({ t: 'p', line: true, text });

// Rows in the order they were opened; an item joins the first one close enough.
function rijen(items) {
  const rows = [];
  for (const item of items) {
    const y = item.transform[5];
    const h = Math.abs(item.transform[3]) || item.height || DEFAULT_HEIGHT;
    const entry = { x: item.transform[4], w: item.width, s: item.str };
    const row = rows.find((r) => Math.abs(r.y - y) < ROW_TOLERANCE * Math.min(r.h, h));
    if (row) row.items.push(entry);
    else rows.push({ y, h, items: [entry] });
  }
  return rows.sort((a, b) => b.y - a.y);
}

// Both thresholds use the character width of the item to the right of the gap.
function regelTekst(items) {
  let line = '';
  let end = null;
  for (const { x, w, s } of [...items].sort((a, b) => a.x - b.x)) {
    const cw = s.length ? w / s.length : DEFAULT_CHAR_WIDTH;
    if (end !== null) {
      const gap = x - end;
      if (gap > TAB_GAP * cw) line = `${line.replace(/ +$/, '')}\t`;
      else if (gap > SPACE_GAP * cw && !/\s$/.test(line) && !/^\s/.test(s)) line += ' ';
    }
    line += s;
    end = x + w;
  }
  return line.replace(/ {2,}/g, ' ').replace(/ *\t */g, '\t').trim();
}

export function pdfRegels(items) {
  return rijen(items).map((row) => regelTekst(row.items)).filter(Boolean).map(regel);
}

function veldWaarde(value) {
  const list = Array.isArray(value) ? value : value == null ? [] : [value];
  return list.map((v) => (typeof v === 'string' ? v : v?.displayValue || v?.exportValue || '')).join(', ').trim();
}

// Filled form fields are no part of the text layer: each line of a value becomes
// an item at the field's place, the lines 12 units apart from its top down.
// Buttons, check boxes, radio buttons and signatures are left out.
export function veldItems(annotations) {
  const items = [];
  let velden = 0;
  for (const a of annotations) {
    if (a.subtype !== 'Widget' || !a.rect || a.fieldType === 'Btn' || a.fieldType === 'Sig') continue;
    const value = veldWaarde(a.fieldValue);
    if (value === '' || value === 'Off') continue;
    const [x1, y1, x2, y2] = a.rect;
    const width = Math.max(FIELD_MIN_WIDTH, x2 - x1);
    const height = Math.min(FIELD_HEIGHT[1], Math.max(FIELD_HEIGHT[0], y2 - y1));
    value.split(/\r\n|\r|\n/).forEach((line, i) => {
      const str = line.trim();
      if (str) items.push({ str, width, height, transform: [1, 0, 0, height, x1, y2 - (i + 1) * FIELD_LINE_PITCH], veld: true });
    });
    velden += 1;
  }
  return { items, velden };
}
