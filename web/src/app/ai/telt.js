// Which values the checks still report: not an office-list "nooit" term and
// not a written form of an entity the user switched off on purpose.
import { A } from '../globals.js';
import { K } from '../kantoorlijst.js';
import { S } from '../session.js';

const vorm = (v) => A().normText(v).toLowerCase();

export function nooitTermen() {
  return new Set(K.nooit.map(vorm));
}

export function teltMee() {
  const niet = nooitTermen();
  for (const e of S.ents) {
    if (!e.active) for (const v of e.variants) niet.add(vorm(v));
  }
  return (waarde) => !niet.has(vorm(waarde));
}

// What in a replaced text looks like a name. The surname pairs the
// replacement left alone (see the core's surname guard) come first:
// normalised, without those already known.
export function naamKandidaten(tekst, geweigerd) {
  const varianten = S.ents.flatMap((e) => e.variants);
  const bekend = new Set(varianten.map(vorm));
  const paren = [...(geweigerd ?? [])].map((p) => A().normText(p)).filter((p) => !bekend.has(vorm(p)));
  return [...new Set([...paren, ...A().kandidaten(tekst, varianten)])];
}
