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

// Replaces only between the session's placeholders: a text that already holds
// them must not have a form replaced inside one, such as the surname "Persoon"
// in "[PERSOON_1]" or a number 1958 in "[GEBDATUM_1 (1958)]".
// Each piece after a placeholder keeps its closing bracket in front while it
// is replaced, so that a surname right after another person's placeholder is
// seen there ("[PERSOON_4] Bakker").
export function buitenPlaceholders(tekst, verhul) {
  const labels = new Set(S.ents.map((e) => e.label));
  let uit = '';
  let vanaf = 0;
  for (const m of tekst.matchAll(RE_PLACEHOLDER)) {
    if (!labels.has(m[1])) continue;
    uit += stuk(tekst.slice(vanaf, m.index), vanaf > 0, verhul) + m[0];
    vanaf = m.index + m[0].length;
  }
  return uit + stuk(tekst.slice(vanaf), vanaf > 0, verhul);
}

const stuk = (tekst, naPlaceholder, verhul) => (naPlaceholder ? verhul(`]${tekst}`).slice(1) : verhul(tekst));
