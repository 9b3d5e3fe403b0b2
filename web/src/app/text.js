// Small text helpers of the page, without any page document.

// 12345 -> "12.345": Dutch digit grouping.
export function groepeer(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, '.');
}

// "Schermknipsel 2.jpg" for the second clipping of type image/jpeg.
export function knipselNaam(k, type) {
  let ext = (type || '').split('/')[1] || 'png';
  if (ext === 'jpeg') ext = 'jpg';
  return `Schermknipsel ${k}.${ext}`;
}

// What the user typed as a placeholder, made into a label: "[partner 1]" -> "PARTNER_1".
export function labelUitInvoer(invoer) {
  return invoer.toUpperCase().replace(/[[\]]/g, '').replace(/[^A-Z0-9_]+/g, '_').replace(/^_+|_+$/g, '');
}

// A text selection as an entity value: blanks collapsed, punctuation and quotes off both ends.
export function schoonSelectie(tekst) {
  return tekst.replace(/\s+/g, ' ').trim().replace(/^[,.;:()"'“”‘’\s]+|[,.;:()"'“”‘’\s]+$/g, '');
}
