// The office list in force: terms always replaced and terms never replaced.
// Empty until the user loads or saves one on the key view.
export const K = { altijd: [], nooit: [], tekst: '' };
