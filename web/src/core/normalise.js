// Normal forms of values: number categories compare on letters and digits,
// text categories on their text with white space collapsed.

// Any value as text; null and undefined as ''.
export function textOf(value) {
  return value == null ? '' : String(value);
}

export function normNum(s) {
  return String(s ?? '').replace(/[^A-Za-z0-9]+/g, '').toUpperCase();
}

export function normText(s) {
  return String(s ?? '').replace(/\s+/g, ' ').trim();
}

export function capFirst(s) {
  return s.charAt(0).toUpperCase() + s.slice(1);
}

export function escRe(s) {
  return s.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}
