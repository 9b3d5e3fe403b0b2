// The text that stands for an entity in the pseudonymised text.

// The last year 19xx or 20xx in the value, or ''.
export function jaarVan(ent) {
  const years = String(ent.value ?? '').match(/(?<!\d)(?:19|20)\d{2}(?!\d)/g);
  return years ? years[years.length - 1] : '';
}

export function placeholder(ent, opties) {
  const jaar = opties?.geboortejaar && ent.cat === 'GEBDATUM' ? jaarVan(ent) : '';
  return jaar ? '[' + ent.label + ' (' + jaar + ')]' : '[' + ent.label + ']';
}
