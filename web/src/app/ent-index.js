// An index of the entity list by written form, label and id, so that adding a
// value or a click costs what it touches instead of a walk over thousands of
// entities. It follows the list by itself: a replaced session or list, or one
// that grew or shrank at either end, is indexed afresh; the change routine
// marks it to look over every entity's forms and label (`vergeetIndex`).
// Entries may be stale; every answer is checked against the entity itself.
import { bijWijziging } from './change.js';
import { A } from './globals.js';
import { S } from './session.js';

const isNum = (cat) => Boolean(A().CATS[cat]?.num);

// How values of a kind compare: number categories on letters and digits, text
// on words, read without invisible characters as the matcher reads them.
export function vergelijkVorm(num, value) {
  return num ? A().normNum(value) : A().alsGelezen(value).toLowerCase();
}

let idx = null;
let nazien = false;

export function vergeetIndex() {
  nazien = true;
}
bijWijziging(vergeetIndex);

const handtekening = (e) => `${e.cat}\u0001${e.label}\u0001${e.value}\u0001${e.id}\u0001${e.variants.join('\u0001')}`;

function voegIn(map, key, e) {
  const lijst = map.get(key);
  if (!lijst) map.set(key, [e]);
  else if (lijst.at(-1) !== e) lijst.push(e);
}

function registreer(e, positie) {
  const num = isNum(e.cat);
  idx.rec.set(e, { positie, handtekening: handtekening(e) });
  for (const v of e.variants) {
    const vorm = vergelijkVorm(num, v);
    if (vorm) voegIn(idx.vorm, (num ? 'N:' : 'T:') + vorm, e);
  }
  if (e.cat === 'PERSOON') voegIn(idx.vorm, `W:${vergelijkVorm(false, e.value)}`, e);
  voegIn(idx.label, e.label, e);
  voegIn(idx.id, e.id, e);
}

function opnieuw() {
  idx = { sessie: S, lijst: S.ents, lengte: 0, eerste: undefined, laatste: undefined, rec: new Map(), vorm: new Map(), label: new Map(), id: new Map() };
  S.ents.forEach(registreer);
  volg();
  nazien = false;
}

function volg() {
  idx.lengte = S.ents.length;
  idx.eerste = S.ents[0];
  idx.laatste = S.ents.at(-1);
}

// Entities whose forms or label changed since they were indexed get indexed again.
function kijkNa() {
  S.ents.forEach((e, i) => {
    const rec = idx.rec.get(e);
    if (!rec || rec.handtekening !== handtekening(e)) registreer(e, i);
    else rec.positie = i;
  });
  nazien = false;
}

function index(metVormen = true) {
  const ents = S.ents;
  if (!idx || idx.sessie !== S || idx.lijst !== ents) {
    opnieuw();
  } else if (ents.length !== idx.lengte || ents[0] !== idx.eerste || ents.at(-1) !== idx.laatste) {
    // Grown at the end only: index the newcomers; any other change: afresh.
    const gegroeid = ents.length > idx.lengte && ents[0] === idx.eerste && ents[idx.lengte - 1] === idx.laatste;
    if (!gegroeid) opnieuw();
    else {
      for (let i = idx.lengte; i < ents.length; i++) registreer(ents[i], i);
      volg();
    }
  }
  if (nazien && metVormen) kijkNa();
  return idx;
}

// The first entity in list order among the candidates that passes the test.
function eerste(kandidaten, test) {
  let beste;
  let bestePositie = Infinity;
  for (const e of kandidaten || []) {
    const rec = idx.rec.get(e);
    if (rec && rec.positie < bestePositie && S.ents[rec.positie] === e && test(e)) {
      beste = e;
      bestePositie = rec.positie;
    }
  }
  return beste;
}

export function zoekVorm(num, gezocht) {
  const heeft = (e) => isNum(e.cat) === num && e.variants.some((v) => vergelijkVorm(num, v) === gezocht);
  return eerste(index().vorm.get((num ? 'N:' : 'T:') + gezocht), heeft);
}

export function zoekLabel(label) {
  return eerste(index().label.get(label), (e) => e.label === label);
}

export const labelBezet = (label) => Boolean(zoekLabel(label));

// Variants replaced outside the change routine, as a key-file import does
// entry by entry: the new forms are found at once, without a look over all.
export function vormenBijgewerkt(e) {
  const rec = index().rec.get(e);
  if (rec) registreer(e, rec.positie);
}

// Ids do not change, so a lookup by id needs no look over changed forms.
export function zoekId(id) {
  return eerste(index(false).id.get(id), (e) => e.id === id);
}

// The persons that hold one of the given forms as a variant or as their value:
// the only ones that can share a form with a person that has these forms.
export function personenMet(vormen) {
  const { rec, vorm } = index();
  const gevonden = new Set();
  for (const v of vormen) {
    const key = vergelijkVorm(false, v);
    for (const e of [...(vorm.get(`T:${key}`) || []), ...(vorm.get(`W:${key}`) || [])]) {
      const r = rec.get(e);
      if (e.cat === 'PERSOON' && r && S.ents[r.positie] === e) gevonden.add(e);
    }
  }
  return [...gevonden].sort((a, b) => rec.get(a).positie - rec.get(b).positie);
}

// The ignore list as a set, made again whenever the list is replaced or grows.
let genegeerd = { lijst: null, lengte: -1, set: new Set() };
export function isGenegeerd(sleutel) {
  if (genegeerd.lijst !== S.genegeerd || genegeerd.lengte !== S.genegeerd.length) {
    genegeerd = { lijst: S.genegeerd, lengte: S.genegeerd.length, set: new Set(S.genegeerd) };
  }
  return genegeerd.set.has(sleutel);
}
