// Documents as HTML with every entity marked. Entity ids travel through the
// HTML escaping as private-use marker characters and become elements after it.
import { A, esc } from '../globals.js';
import { dispMatcher } from '../matchers.js';
import { S } from '../session.js';

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
  return `<mark class="${esc(klassen)}" data-id="${ent.id}" title="${esc(titel)}">${toonPh ? esc(ph) : gevonden}</mark>`;
}

// Marker runs in already escaped HTML to mark elements; unknown ids keep only their text.
function markeringenNaarHtml(html, entsById, mode) {
  return html.replace(RUN, (_, id, gevonden) => {
    const ent = entsById.get(Number(id));
    return ent ? markElement(ent, gevonden, mode) : gevonden;
  });
}

// The matches of a text as marker runs, escaped; kept per text while the
// display matcher stays, so that a render after a click only builds elements.
let gemerkt = { matcher: null, teksten: new Map() };

function gemarkeerd(schoon, m) {
  if (gemerkt.matcher !== m) gemerkt = { matcher: m, teksten: new Map() };
  let html = gemerkt.teksten.get(schoon);
  if (html === undefined) {
    html = esc(A().replaceWith(schoon, m, (e, t) => START + e.id + MIDDEN + t + EINDE));
    gemerkt.teksten.set(schoon, html);
  }
  return html;
}

function markeer(tekst, entsById) {
  const schoon = String(tekst ?? '').replace(MARKERS, '');
  const m = dispMatcher();
  if (!m) return esc(schoon);
  return markeringenNaarHtml(gemarkeerd(schoon, m), entsById, S.mode);
}

const perId = () => new Map(S.ents.map((e) => [e.id, e]));

export function hlHtml(text) {
  return markeer(text, perId());
}

// One piece of HTML per element of the preview: a list of items is one piece.
export function blocksStukken(blocks) {
  const ents = perId();
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
      uit[uit.length - 1] += `<li>${markeer(b.text, ents)}</li>`;
      continue;
    }
    sluitLijst();
    if (b.t === 'h') {
      uit.push(`<h3${b.pagina ? ' class="pagina"' : ''}>${markeer(b.text, ents)}</h3>`);
    } else if (b.t === 'p') {
      uit.push(`<p${b.line ? ' class="line"' : ''}>${markeer(b.text, ents)}</p>`);
    } else if (b.t === 'table') {
      const rijen = (b.rows || []).map((r) => `<tr>${r.map((c) => `<td>${markeer(c, ents)}</td>`).join('')}</tr>`);
      uit.push(`<table><tbody>${rijen.join('')}</tbody></table>`);
    }
  }
  sluitLijst();
  return uit;
}

export function blocksHtml(blocks) {
  return blocksStukken(blocks).join('');
}
