// The restored answer: its marked display, its notices and the HTML for Word.
import { chips } from '../ai/meldingen.js';
import { A, esc } from '../globals.js';

const MARKER = /\uE000(\d+)\uE001/g;
const PRIVE = /[\uE000-\uE002]/g;
const RE_LIJST = /^\s*(?:[-*•+]|\d+[.)])\s+/;

// Each put-back value stands in the markdown as a marker, so it is never read
// as markdown. The markdown is cut into blocks at blank lines, never before a
// list line (a list runs on over one blank line), so that every block
// converts as it would in the whole; the page converts and shows them part by
// part.
export function terugBlokken(segments) {
  const waarden = [];
  const md = segments.map((s) => {
    if (!s.ent) return s.text.replace(PRIVE, '');
    waarden.push(s);
    return `\uE000${waarden.length - 1}\uE001`;
  }).join('');
  const regels = md.replace(/\r\n?/g, '\n').split('\n');
  const blokken = [];
  let van = 0;
  for (let i = 0; i < regels.length; i++) {
    if (/\S/.test(regels[i]) || RE_LIJST.test(regels[i + 1] ?? '')) continue;
    if (i > van) blokken.push(regels.slice(van, i).join('\n'));
    van = i + 1;
  }
  if (van < regels.length) blokken.push(regels.slice(van).join('\n'));
  return { blokken, waarden };
}

// Blocks of terugBlokken as HTML with the put-back values marked.
export function blokkenHtml(blokken, waarden) {
  return A().markdownToHtml(blokken.join('\n\n')).replace(MARKER, (_, i) => {
    const { ent, text } = waarden[Number(i)];
    return `<mark class="terug" title="${esc(`was [${ent.label}]`)}">${esc(text)}</mark>`;
  });
}

export function terugHtml(segments) {
  const { blokken, waarden } = terugBlokken(segments);
  return blokkenHtml(blokken, waarden);
}

export function terugMeldingen(r) {
  const onbekend = r.unknown.length
    ? `<div class="notice-fout ai-melding"><b>Onbekende placeholders:</b> ${chips(r.unknown, (l) => `<span class="chip">[${esc(l)}]</span>`)}<br>`
      + 'Deze staan niet in de sleutel van deze sessie. Heeft de AI ze verzonnen, of hoort dit antwoord bij een ander dossier? Open dan het juiste sleutelbestand.</div>'
    : '';
  const n = r.segments.filter((s) => s.ent).length;
  return `${onbekend}<div class="notice-ok ai-melding">${n} placeholder(s) teruggezet (${r.found.size} verschillende). Controleer de groen gemarkeerde gegevens.</div>`;
}

const CEL = ' style="border:1px solid #999;padding:3px 6px;vertical-align:top"';

export function wordHtml(markdown) {
  const html = A().markdownToHtml(markdown)
    .replaceAll('<table>', '<table style="border-collapse:collapse" border="1" cellpadding="4">')
    .replace(/<(t[dh])>/g, `<$1${CEL}>`);
  return `<div style="font-family:Calibri,Arial,sans-serif;font-size:11pt">${html}</div>`;
}
