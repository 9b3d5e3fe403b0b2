// Plain text (text files, pasted text, mail bodies) as paragraphs split at blank lines.
export function tekstBlokken(tekst) {
  return tekst
    .replace(/\r\n?/g, '\n')
    .split(/\n\s*\n/)
    .map((piece) => piece.trimEnd())
    .filter((piece) => piece.trim() !== '')
    .map((text) => ({ t: 'p', text }));
}
