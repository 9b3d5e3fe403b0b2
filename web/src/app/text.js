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

// The toast that ends a batch of files. It names the files that could not be
// read (the first few of many), so that no failure passes unseen; empty when a
// single file failed alone, whose own toast with its reason then stays.
const GENOEMD = 3;

function opsomming(namen) {
  if (namen.length > GENOEMD) return `${namen.slice(0, GENOEMD).join(', ')} en ${namen.length - GENOEMD} andere`;
  return namen.length === 1 ? namen[0] : `${namen.slice(0, -1).join(', ')} en ${namen.at(-1)}`;
}

export function batchBericht(gelezen, gevonden, mislukt) {
  const delen = [];
  if (gelezen) delen.push(`${gelezen} document(en) gelezen, ${gevonden} nieuwe gegevens gevonden.`);
  if (mislukt.length > (gelezen ? 0 : 1)) delen.push(`Niet gelezen: ${opsomming(mislukt)}.`);
  return delen.join(' ');
}

// What the user typed as a placeholder, made into a label: "[partner 1]" -> "PARTNER_1".
export function labelUitInvoer(invoer) {
  return invoer.toUpperCase().replace(/[[\]]/g, '').replace(/[^A-Z0-9_]+/g, '_').replace(/^_+|_+$/g, '');
}

// A text selection as an entity value: blanks collapsed, punctuation and quotes off both ends.
export function schoonSelectie(tekst) {
  return tekst.replace(/\s+/g, ' ').trim().replace(/^[,.;:()"'“”‘’\s]+|[,.;:()"'“”‘’\s]+$/g, '');
}
