// A PDF page's text items, and the values of its filled form fields, rebuilt
// into lines: items on one baseline form a row, and wide gaps become tabs so
// that the columns of tax returns and forms stay recognisable. Baselines are
// taken along each item's own text direction.
import { GESPATIEERD } from './pdf-spaties.js';

const ROW_TOLERANCE = 0.5;
const TAB_GAP = 2.5;
const SPACE_GAP = 0.2;
const DEFAULT_CHAR_WIDTH = 5;
const DEFAULT_HEIGHT = 10;
const FIELD_MIN_WIDTH = 10;
const FIELD_HEIGHT = [6, 14];
const FIELD_LINE_PITCH = 12;

// Below this many font heights, two single characters belong to one word: a
// space is at least a quarter of the font size, letter spacing less.
const WORD_GAP = 0.25;
// Degrees within which items share a text direction: the skew of a scan's text
// layer differs from line to line, a stamp or a turned page lies well apart.
const DIRECTION_TOLERANCE = 10;

const regel = (text) => ({ t: 'p', line: true, text });

const angleOf = ({ transform: [a, b] }) => (Math.atan2(b, a) * 180) / Math.PI || 0;
const apart = (p, q) => Math.min(Math.abs(p - q), 360 - Math.abs(p - q));

// An item's position in the frame of its direction: u along the baseline, v across
// it (growing towards the text's top). For text along x that is x and y; on a
// landscape page whose text runs along y, lines lie apart in x.
function inTextFrame(item, angle) {
  const [, , c, d, x, y] = item.transform;
  const rad = (angle * Math.PI) / 180;
  const [dx, dy] = [Math.cos(rad), Math.sin(rad)];
  return { u: x * dx + y * dy, v: y * dx - x * dy, h: Math.hypot(c, d) || item.height || DEFAULT_HEIGHT };
}

// Rows per text direction, in the order they were opened; an item joins the
// first one of its direction close enough. Directions keep the order in which
// they first appear, each at the angle of its first item, with its own rows top first.
function rijen(items) {
  const directions = [];
  for (const item of items) {
    const angle = angleOf(item);
    let direction = directions.find((dir) => apart(dir.angle, angle) < DIRECTION_TOLERANCE);
    if (!direction) directions.push((direction = { angle, rows: [] }));
    const { rows } = direction;
    const { u, v, h } = inTextFrame(item, direction.angle);
    const entry = { x: u, w: item.width, h, s: item.str };
    const row = rows.find((r) => Math.abs(r.y - v) < ROW_TOLERANCE * Math.min(r.h, h));
    if (row) row.items.push(entry);
    else rows.push({ y: v, h, items: [entry] });
  }
  return directions.flatMap(({ rows }) => rows.sort((a, b) => b.y - a.y));
}

// A letter-spaced item whose real spaces could not be told ("P i e t e r")
// is taken to be one word.
const unspaced = (s) => (GESPATIEERD.test(s) ? s.replace(/ /g, '') : s);
const single = (s) => [...s].length === 1;

// Both thresholds use the character width of the item to the right of the gap.
function regelTekst(items) {
  let line = '';
  let end = null;
  let prev = null;
  for (const { x, w, h, s: raw } of [...items].sort((a, b) => a.x - b.x)) {
    const s = unspaced(raw);
    const cw = s.length ? w / s.length : DEFAULT_CHAR_WIDTH;
    if (end !== null) {
      const gap = x - end;
      const inWord = single(s) && single(prev) && gap < WORD_GAP * h;
      if (gap > TAB_GAP * cw) line = `${line.replace(/ +$/, '')}\t`;
      else if (gap > SPACE_GAP * cw && !inWord && !/\s$/.test(line) && !/^\s/.test(s)) line += ' ';
    }
    line += s;
    end = x + w;
    prev = s;
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
