// A pseudonymised text as HTML, with the session's placeholders coloured by category.
import { esc } from '../globals.js';
import { S } from '../session.js';

const RE_PLACEHOLDER = /\[([A-Z0-9_]+)(?: \(\d{4}\))?\]/g;

export function phHtml(tekst) {
  const perLabel = new Map(S.ents.map((e) => [e.label, e]));
  return esc(tekst).replace(RE_PLACEHOLDER, (ph, label) => {
    const ent = perLabel.get(label);
    return ent ? `<span class="ph cat-${ent.cat}">${ph}</span>` : ph;
  });
}
