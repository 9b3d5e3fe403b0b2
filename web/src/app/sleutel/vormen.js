// The session's written forms looked up in one step, for a key file of
// thousands of entries: gives the entity that `zoekEnt` gives, the first in
// list order of the same kind (text or number) holding the form.
import { A } from '../globals.js';

function vorm(cat, value) {
  const core = A();
  const num = Boolean(core.CATS[cat]?.num);
  const genormd = num ? core.normNum(value) : core.normText(value).toLowerCase();
  return genormd && `${num ? 'n' : 't'}:${genormd}`;
}

export function vormIndex(ents) {
  const index = new Map();
  const plaats = new Map();
  const neemOp = (ent) => {
    for (const v of ent.variants) {
      const k = vorm(ent.cat, v);
      const eerder = index.get(k);
      if (k && (!eerder || plaats.get(eerder) > plaats.get(ent))) index.set(k, ent);
    }
  };
  ents.forEach((ent, i) => {
    plaats.set(ent, i);
    neemOp(ent);
  });
  return {
    zoek: (cat, value) => index.get(vorm(cat, value)),
    // A new entity at the end of the list, or new forms of one already in it.
    voegToe(ent) {
      if (!plaats.has(ent)) plaats.set(ent, plaats.size);
      neemOp(ent);
    },
  };
}
