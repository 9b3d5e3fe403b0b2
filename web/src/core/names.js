// Person and company names: filled in once the word lists land.
export function personenMetLabel(text) {
  return [];
}

export function personenZonderLabel(text) {
  return [];
}

export function stripStopwoorden(value) {
  return value;
}
