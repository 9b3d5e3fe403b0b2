// Documents as HTML with every entity marked. Entity ids travel through the
// HTML escaping as private-use marker characters and become elements after it.
import { A, esc } from '../globals.js';
import { entById } from '../entities.js';
import { dispMatcher } from '../matchers.js';
import { S } from '../session.js';
import { groot, htmlVan, inDelen } from '../stukken.js';

const START = '\uE000';
const MIDDEN = '\uE001';
const EINDE = '\uE002';
const MARKERS = /[\uE000-\uE002]/g;
const RUN = /\uE000(\d+)\uE001([^\uE002]*)\uE002/g;

function markElement(ent, gevonden, mode) {
  const ph = `[${ent.label}]`;
  const toonPh = mode === 'ph' && ent.active;
  const klassen = `ent cat-${ent.cat}${ent.active ? '' : ' uit'}${toonPh ? ' toon-ph' : ''}`;
  const titel = ent.active ? ph : `${ph} (wordt niet vervangen)`;
  return `<mark class="${esc(klassen)}" data-id="${ent.id}" tabindex="0" title="${esc(titel)}">${toonPh ? esc(ph) : gevonden}</mark>`;
}

// Marker runs in already escaped HTML to mark elements; unknown ids keep only their text.
function markeringenNaarHtml(html, mode) {
  return html.replace(RUN, (_, id, gevonden) => {
    const ent = entById(Number(id));
    return ent ? markElement(ent, gevonden, mode) : gevonden;
  });
}

// Per text, while the display matcher stays: its matches as marker runs
// (escaped), the ids they hold and the HTML last made of them. That HTML is
// made again only when one of its entities changed how it shows (category,
// label, on or off) or the mode changed, so a click rebuilds the few texts
// that hold the clicked entity.
let gemerkt = { matcher: null, teksten: new Map() };
const weergaveVan = new Map();
let klok = 0;

// Once per render: entities that show differently since the last one get the new time.
function tik() {
  klok += 1;
  for (const e of S.ents) {
    const oud = weergaveVan.get(e.id);
    if (!oud || oud.cat !== e.cat || oud.label !== e.label || oud.active !== e.active) {
      weergaveVan.set(e.id, { cat: e.cat, label: e.label, active: e.active, klok });
    }
  }
}

// Kept by the text as it stands in the document, so that a render looks each
// text up without first cleaning it of marker characters again.
function gemarkeerd(ruw, m) {
  if (gemerkt.matcher !== m) gemerkt = { matcher: m, teksten: new Map() };
  let tekst = gemerkt.teksten.get(ruw);
  if (tekst === undefined) {
    const schoon = ruw.replace(MARKERS, '');
    const ids = new Set();
    const runs = esc(A().replaceWith(schoon, m, (e, t) => {
      ids.add(e.id);
      return START + e.id + MIDDEN + t + EINDE;
    }));
    tekst = { runs, ids: [...ids], html: null, klok: 0, mode: null };
    gemerkt.teksten.set(ruw, tekst);
  }
  return tekst;
}

const actueel = (tekst) => tekst.html !== null && tekst.mode === S.mode
  && tekst.ids.every((id) => (weergaveVan.get(id)?.klok ?? Infinity) <= tekst.klok);

function markeer(tekst) {
  const ruw = String(tekst ?? '');
  const m = dispMatcher();
  if (!m) return esc(ruw.replace(MARKERS, ''));
  const t = gemarkeerd(ruw, m);
  if (!actueel(t)) Object.assign(t, { html: markeringenNaarHtml(t.runs, S.mode), klok, mode: S.mode });
  return t.html;
}

export function hlHtml(text) {
  tik();
  return markeer(text);
}

// A long table as tables in one frame, so that the parts out of view skip
// layout and a changed cell lays out its own part only. Each part sits in a
// block of its own: a table box cannot skip its layout.
const tabelMet = (open, close) => (rijen) => ({ open, close, in: 'tbody', binnen: rijen });

function tabel(rijen) {
  if (!groot(rijen)) return tabelMet('<table><tbody>', '</tbody></table>')(rijen);
  const delen = inDelen(rijen, tabelMet('<div class="tabel-deel"><table><tbody>', '</tbody></table></div>'));
  return { open: '<div class="tabel-delen">', close: '</div>', in: '', binnen: delen };
}

// One piece of HTML per element of the preview: a list of items is one piece.
export function blocksStukken(blocks) {
  tik();
  const uit = [];
  let lijst = null;
  const sluitLijst = () => {
    if (lijst) uit[uit.length - 1] = `<${lijst}>${uit[uit.length - 1]}</${lijst}>`;
    lijst = null;
  };
  for (const b of blocks) {
    if (b.t === 'li') {
      const soort = b.ordered ? 'ol' : 'ul';
      if (lijst !== soort) {
        sluitLijst();
        uit.push('');
        lijst = soort;
      }
      uit[uit.length - 1] += `<li>${markeer(b.text)}</li>`;
      continue;
    }
    sluitLijst();
    if (b.t === 'h') {
      uit.push(`<h3${b.pagina ? ' class="pagina"' : ''}>${markeer(b.text)}</h3>`);
    } else if (b.t === 'p') {
      uit.push(`<p${b.line ? ' class="line"' : ''}>${markeer(b.text)}</p>`);
    } else if (b.t === 'table') {
      const rijen = (b.rows || []).map((r) => `<tr>${r.map((c) => `<td>${markeer(c)}</td>`).join('')}</tr>`);
      uit.push(tabel(rijen));
    }
  }
  sluitLijst();
  return uit;
}

export function blocksHtml(blocks) {
  return blocksStukken(blocks).map(htmlVan).join('');
}
