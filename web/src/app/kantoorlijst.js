// The office list: one list for all dossiers of terms always replaced and
// terms never replaced, and its text format.
import { A } from './globals.js';

// The list in force. Its three fields are replaced together by loading and saving.
export const K = { altijd: [], nooit: [], tekst: '' };

export const KL_VOORBEELD = [
  '# Kantoorlijst Drovel Verhulzen',
  '# Regels met # worden overgeslagen.',
  '',
  '[altijd vervangen]',
  '# Soort: waarde. Zonder soort wordt het een persoon.',
  '# Bedrijf: Bakkerij Voorbeeld B.V.',
  '# Jan Voorbeeld',
  '',
  '[nooit vervangen]',
  '# Eigen kantoornaam, instanties, vaste termen',
  '# Belastingdienst',
  '',
].join('\n');

const KOP = /^\[([^]+)\]$/;
const SOORT = /^([^:]{2,30}):\s*([^]+)$/;

// A carriage return before the line feed belongs to the line end.
const regels = (tekst) => String(tekst ?? '').split('\n').map((r) => r.replace(/\r$/, ''));

function sectieVan(kop) {
  const naam = kop.toLowerCase();
  if (naam.includes('nooit')) return 'nooit';
  return naam.includes('altijd') ? 'altijd' : 'anders';
}

// A kind names a category by its key or by its label, whatever the case.
function categorieVan(soort) {
  const CATS = A().CATS;
  const s = soort.trim();
  if (Object.hasOwn(CATS, s.toUpperCase())) return s.toUpperCase();
  return Object.keys(CATS).find((key) => CATS[key].label.toLowerCase() === s.toLowerCase());
}

function altijdRegel(regel) {
  const m = SOORT.exec(regel);
  const cat = m && categorieVan(m[1]);
  return cat ? { cat, value: m[2].trim() } : { cat: 'PERSOON', value: regel };
}

export function leesKantoorlijst(tekst) {
  const lijst = { altijd: [], nooit: [], tekst: String(tekst ?? '') };
  let sectie = null;
  for (const ruw of regels(tekst)) {
    const regel = ruw.trim();
    if (!regel || regel.startsWith('#')) continue;
    const kop = KOP.exec(regel);
    if (kop) sectie = sectieVan(kop[1]);
    else if (sectie === 'nooit') lijst.nooit.push(regel);
    else if (sectie === 'altijd') lijst.altijd.push(altijdRegel(regel));
  }
  return lijst;
}

// For storage shared with other pages: the text without the always sections.
// A header naming both words counts as always here, so its lines stay out.
// Headers stay; an always line that merely begins with "[" ("[Klant] Jan
// Jansen") is a client's name like any other and stays out too.
export function alleenNooit(tekst) {
  let altijd = false;
  const bewaard = [];
  for (const regel of regels(tekst)) {
    const kop = KOP.exec(regel.trim());
    if (kop) altijd = kop[1].toLowerCase().includes('altijd');
    if (!altijd || kop) bewaard.push(regel);
  }
  return bewaard.join('\n');
}

// The maker's main web domain shares its local storage with the maker's other pages.
export const GEDEELDE_OPSLAG = 'drovel.nl';

export function gedeeldeOpslag(host) {
  return String(host).toLowerCase().replace(/^www\./, '') === GEDEELDE_OPSLAG;
}
