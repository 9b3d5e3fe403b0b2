// The table of documents on the view "Document".
import { op } from './bind.js';
import { gewijzigd } from './change.js';
import { esc } from './globals.js';
import { gaNaar, meldView } from './router.js';
import { S, bewaar } from './session.js';
import { $ } from './ui.js';

const LEEG = '<div class="leeg"><b>Nog geen documenten</b>Upload een bestand of plak tekst. Heeft u al een sleutelbestand van deze klant? Open dat eerst bij <a href="#sleutel">Sleutelbestand</a>.</div>';

function rij(d) {
  const meldingen = (d.warn || []).map((w) => `<div class="melding">${esc(w)}</div>`).join('');
  return `<tr data-id="${esc(d.id)}">
    <td class="naam-cel"><a class="doc-naam" href="#markeren" data-actie="bekijk" title="Bekijken">${esc(d.name)}</a>
      <button type="button" class="knop-icoon" data-actie="hernoem" title="Titel wijzigen">✎</button></td>
    <td class="dim">${esc(d.info || '')}</td>
    <td>${meldingen}</td>
    <td class="acties"><button type="button" class="btn btn-ghost btn-klein" data-actie="bekijk">Bekijken</button>
      <button type="button" class="knop-icoon" data-actie="weg" title="Document verwijderen (de markeringen blijven)">✕</button></td>
  </tr>`;
}

export function renderDocs() {
  $('dossier').value = S.dossier;
  $('btn-naar-markeren').disabled = S.docs.length === 0;
  $('btn-nav-markeren').disabled = S.docs.length === 0;
  $('doc-lijst').innerHTML = S.docs.length === 0 ? LEEG
    : `<table class="docs"><thead><tr><th>Document</th><th>Inhoud</th><th>Meldingen</th><th></th></tr></thead>
       <tbody>${S.docs.map(rij).join('')}</tbody></table>`;
}

function hernoem(doc, cel) {
  cel.innerHTML = '<input type="text" class="doc-naam-veld" maxlength="120">';
  const veld = cel.firstChild;
  veld.value = doc.name;
  veld.focus();
  veld.select();
  let klaar = false;
  const sluit = (bewaren) => {
    if (klaar) return;
    klaar = true;
    const naam = veld.value.trim();
    if (bewaren && naam) {
      doc.name = naam;
      bewaar();
    }
    renderDocs();
  };
  op(veld, 'keydown', (ev) => {
    if (ev.key === 'Enter') sluit(true);
    else if (ev.key === 'Escape') sluit(false);
  });
  op(veld, 'blur', () => sluit(true));
}

function verwijderDoc(doc) {
  S.docs = S.docs.filter((d) => d !== doc);
  if (S.cur === doc.id) S.cur = S.docs[0]?.id ?? null;
  gewijzigd();
  renderDocs();
}

export function bindDocs() {
  meldView('document', renderDocs);
  op($('doc-lijst'), 'click', (ev) => {
    const knop = ev.target.closest('[data-actie]');
    const doc = knop && S.docs.find((d) => d.id === knop.closest('tr').dataset.id);
    if (!doc) return;
    ev.preventDefault();
    if (knop.dataset.actie === 'bekijk') {
      S.cur = doc.id;
      bewaar();
      gaNaar('markeren');
    } else if (knop.dataset.actie === 'hernoem') {
      hernoem(doc, knop.closest('td'));
    } else if (knop.dataset.actie === 'weg') {
      verwijderDoc(doc);
    }
  });
}
