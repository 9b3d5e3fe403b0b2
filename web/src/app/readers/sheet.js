// A SheetJS workbook as one table per sheet, at most MAX rows each.
const MAX = 3000;

const ROW_OPTIONS = { header: 1, raw: false, defval: '', blankrows: false };
// The library parses no rows past this, so that a sheet of a million rows, or
// one whose used range claims them, costs what the cap keeps. The margin
// leaves room for blank rows among the first MAX that hold values.
const ROWS_PARSED = 2 * MAX;
export const LEES_OPTIES = { sheetRows: ROWS_PARSED };

// The sheet's range cut back to the last row and column that hold a cell, so
// that a range claiming the whole grid is not walked cell by cell. The start
// stays: rows are read from there, as the range says.
function usedRange(sheet) {
  const { utils } = globalThis.XLSX;
  if (!sheet?.['!ref']) return null;
  const range = utils.decode_range(sheet['!ref']);
  let r = range.s.r;
  let c = range.s.c;
  for (const key of Object.keys(sheet)) {
    if (key[0] === '!') continue;
    const at = utils.decode_cell(key);
    r = Math.max(r, at.r);
    c = Math.max(c, at.c);
  }
  return { s: range.s, e: { r: Math.min(r, range.e.r), c: Math.min(c, range.e.c) } };
}

// The library keeps no full range for a text it stopped parsing: a CSV cut at
// the cap gets one from its non-blank lines.
export function csvBereik(wb, tekst) {
  const sheet = wb.Sheets[wb.SheetNames[0]];
  if (!sheet?.['!ref'] || globalThis.XLSX.utils.decode_range(sheet['!ref']).e.r + 1 < ROWS_PARSED) return;
  let regels = 0;
  for (const regel of tekst.split(/\r\n|\n|\r/)) if (regel.trim()) regels += 1;
  sheet['!fullref'] = `A1:A${regels}`;
}

// Rows the sheet claims beyond those parsed, from the range the library kept.
function claimedRows(sheet) {
  const full = sheet['!fullref'] && globalThis.XLSX.utils.decode_range(sheet['!fullref']);
  return full ? full.e.r - full.s.r + 1 : 0;
}

function sheetRows(sheet) {
  const range = usedRange(sheet);
  if (!range) return [];
  return globalThis.XLSX.utils.sheet_to_json(sheet, { ...ROW_OPTIONS, range });
}

function filledLength(row) {
  let n = row.length;
  while (n > 0 && String(row[n - 1]).trim() === '') n--;
  return n;
}

export function leesSheet(wb) {
  const blocks = [];
  const warn = [];
  const names = wb.SheetNames;
  for (const name of names) {
    // A damaged workbook may name a sheet it does not hold: that one is skipped.
    const sheet = wb.Sheets[name];
    const all = sheetRows(sheet);
    if (all.length === 0) continue;
    // The width counts every row, also those beyond the cut.
    const width = all.reduce((widest, row) => Math.max(widest, filledLength(row)), 0);
    const claimed = claimedRows(sheet);
    if (all.length > MAX || claimed > ROWS_PARSED) {
      warn.push(`Blad "${name}": alleen de eerste ${MAX} van ${Math.max(all.length, claimed)} rijen meegenomen.`);
    }
    const rows = all.slice(0, MAX).map((row) => row.slice(0, width).map(String));
    if (names.length > 1) blocks.push({ t: 'h', level: 2, text: `Blad: ${name}` });
    blocks.push({ t: 'table', rows });
  }
  return { blocks, warn, info: `${names.length} blad(en)` };
}
