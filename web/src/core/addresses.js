// Dutch and Belgian addresses: filled in once the building blocks land.
export function belgischeAdressen(text) {
  return [];
}

export function adressen(text) {
  return [];
}
