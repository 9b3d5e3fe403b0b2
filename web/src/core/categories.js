// The system's category list; the keys are the placeholder prefixes.
import { ROLLEN } from './vocabulary.js';

const cat = (label, num) => Object.freeze({ label, num });

export const CATS = Object.freeze({
  PERSOON: cat('Persoon', false),
  BEDRIJF: cat('Bedrijf', false),
  ADRES: cat('Adres', false),
  POSTCODE: cat('Postcode', true),
  PLAATS: cat('Plaats', false),
  BSN: cat('BSN', true),
  RSIN: cat('RSIN', true),
  IBAN: cat('IBAN', true),
  KVK: cat('KvK-nummer', true),
  BTWNR: cat('Btw-nummer', true),
  EMAIL: cat('E-mail', false),
  WEBSITE: cat('Website', false),
  TELEFOON: cat('Telefoon', true),
  GEBDATUM: cat('Geboortedatum', false),
  KENMERK: cat('Kenmerk', true),
  KENTEKEN: cat('Kenteken', true),
  IDNR: cat('Identiteitsbewijs', true),
  KADASTER: cat('Kadastraal perceel', false),
  OVERIG: cat('Overig', false),
});

// Label prefixes for persons found after a field label that names a role.
export const ROL_PREFIXEN = Object.freeze([...new Set(ROLLEN.map(({ rol }) => rol))]);

export function isNumCat(cat) {
  return Object.hasOwn(CATS, cat) && CATS[cat].num;
}
