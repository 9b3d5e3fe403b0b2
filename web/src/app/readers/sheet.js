// A SheetJS workbook as one table per sheet, at most MAX rows each.
const MAX = 3000;

const ROW_OPTIONS = { header: 1, raw: false, defval: '', blankrows: false };

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
    const all = globalThis.XLSX.utils.sheet_to_json(wb.Sheets[name], ROW_OPTIONS);
    if (all.length === 0) continue;
    // The width counts every row, also those beyond the cut.
    const width = all.reduce((widest, row) => Math.max(widest, filledLength(row)), 0);
    if (all.length > MAX) {
      warn.push(`Blad "${name}": alleen de eerste ${MAX} van ${all.length} rijen meegenomen.`);
    }
    const rows = all.slice(0, MAX).map((row) => row.slice(0, width).map(String));
    if (names.length > 1) blocks.push({ t: 'h', level: 2, text: `Blad: ${name}` });
    blocks.push({ t: 'table', rows });
  }
  return { blocks, warn, info: `${names.length} blad(en)` };
}
