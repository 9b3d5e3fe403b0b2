// The leak check's notices: HTML only; the view binds the buttons by their data attributes.
import { A, esc } from '../globals.js';
import { ICOON } from '../ui.js';

const GETOOND = 12;

const spring = (woord) =>
  `<button type="button" class="spring" data-spring="${esc(woord)}" title="Toon waar dit in de tekst staat">${ICOON.zoek}</button>`;

// The first `max` chips of a list and, for the rest, " en N meer".
export function chips(lijst, chip, max = GETOOND) {
  const meer = lijst.length > max ? ` en ${lijst.length - max} meer` : '';
  return lijst.slice(0, max).map(chip).join(' ') + meer;
}

function restMelding(rest) {
  const chip = (h) => {
    const waarde = A().normText(h.value);
    return `<span class="chip">${esc(A().CATS[h.cat]?.label ?? h.cat)}: ${esc(waarde)}</span>${spring(waarde)}`;
  };
  return `<div class="notice-fout ai-melding">Mogelijk nog niet vervangen: ${chips(rest, chip)}
    <div class="ai-melding-acties"><button type="button" class="btn btn-klein" data-fix="rest">Toch vervangen</button>
    <span class="dim">of zet ze bij Markeren bewust uit.</span></div></div>`;
}

function losMelding(los) {
  const chip = (l) => {
    const herkomst = l.cat === 'WEBSITE' ? `domein van [${l.ent.label}]` : `[${l.ent.label}]`;
    return `<span class="chip">${esc(l.deel)} <span class="dim">(${esc(herkomst)})</span></span>${spring(l.deel)}`;
  };
  return `<div class="notice-fout ai-melding">Losse delen van vervangen gegevens: ${chips(los, chip)}
    <div class="ai-melding-acties"><button type="button" class="btn btn-klein" data-fix="los">Ook vervangen</button>
    <span class="dim">Bijvoorbeeld een achternaam die los in de tekst staat, of de website uit een e-mailadres.</span></div></div>`;
}

function bijnaMelding(bijna) {
  const chip = (b, i) => `<button type="button" class="chip chip-knop" data-bijna="${i}" title="${esc(`Als variant van [${b.ent.label}] vervangen`)}">${esc(b.deel)} <span class="dim">([${esc(b.ent.label)}])</span> +</button>${spring(b.deel)}`;
  return `<div class="notice-fout ai-melding">Lijkt op een vervangen naam (tik- of leesfout?): ${chips(bijna, chip)}
    <div class="ai-melding-acties"><span class="dim">Vaak een OCR-fout in een scan (bijv. Hofrnan voor Hofman). Klik op het woord om hem dezelfde placeholder te geven.</span></div></div>`;
}

function kandMelding(kand) {
  const chip = (k, i) => `<button type="button" class="chip chip-knop" data-kand="${i}" title="Vervangen als persoon">${esc(k)} +</button>${spring(k)}`;
  return `<div class="notice ai-melding">Lijkt op een naam, controleer: ${chips(kand, chip, Infinity)}
    <div class="ai-melding-acties"><span class="dim">Niet automatisch vervangen. Klik op een naam om hem als persoon te vervangen, of op ${ICOON.zoek} om te zien waar hij staat.</span></div></div>`;
}

export function meldingenHtml(c) {
  const delen = [
    c.uniekRest.length && restMelding(c.uniekRest),
    c.los.length && losMelding(c.los),
    c.bijna.length && bijnaMelding(c.bijna),
    c.kand.length && kandMelding(c.kand),
  ].filter(Boolean);
  return delen.length ? delen.join('')
    : '<div class="notice-ok ai-melding">Geen BSN, IBAN, namen of andere herkenbare gegevens meer gevonden. Lees de tekst wel even door.</div>';
}
