// The fixes the leak check offers. Each changes the entity list only; the
// caller runs the change routine and renders again.
import { sleutelVan, voegToe, voegVariantToe, zoekEnt } from '../entities.js';
import { A } from '../globals.js';
import { S } from '../session.js';

function vergeetGenegeerd(cat, waarde) {
  const sleutel = sleutelVan(cat, waarde);
  S.genegeerd = S.genegeerd.filter((k) => k !== sleutel);
}

// Loose parts: a mail domain becomes a website of its own, so restoring never
// puts the whole address back; other parts become variants of their entity.
export function ookVervangen(los) {
  for (const l of los) {
    if (l.cat === 'WEBSITE') voegToe('WEBSITE', l.deel, false);
    else voegVariantToe(l.ent, l.deel);
  }
}

// A name the user confirms: off the ignore list, added by hand.
export function alsPersoon(tekst) {
  vergeetGenegeerd('PERSOON', tekst);
  return voegToe('PERSOON', tekst, false);
}

export function tochVervangen(rest) {
  for (const h of rest) {
    const ent = zoekEnt(h.cat, h.value);
    if (ent) {
      ent.active = true;
      voegVariantToe(ent, A().normText(h.value));
    } else {
      vergeetGenegeerd(h.cat, h.value);
      voegToe(h.cat, h.value, false);
    }
  }
}
