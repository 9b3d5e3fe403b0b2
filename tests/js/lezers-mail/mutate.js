// Mutated copies of the sample mails for the fuzz test and the longer fuzz run:
// bit flips, truncations and splices, from a seeded generator so a failure repeats.
import { readdirSync, readFileSync } from 'node:fs';
import { adressen } from '../../../web/src/lezers/adressen.js';
import { latin1 } from '../../../web/src/lezers/charset.js';
import { leesEml } from '../../../web/src/lezers/eml.js';
import { kopDecoderen } from '../../../web/src/lezers/kop-decoderen.js';
import { leesMsg } from '../../../web/src/lezers/msg.js';

const FIXTURES = new URL('../../../../shared/fixtures/', import.meta.url);
const ALLOWED = new Set(['geen geldig Outlook-bestand (.msg).', 'Outlook-bestand is beschadigd.']);

export function samples() {
  return ['eml', 'msg'].flatMap((kind) => readdirSync(new URL(`${kind}/`, FIXTURES))
    .map((name) => ({ kind, name, bytes: new Uint8Array(readFileSync(new URL(`${kind}/${name}`, FIXTURES))) })));
}

// xorshift32
export function generator(seed) {
  let x = seed >>> 0 || 1;
  return (n) => {
    x ^= x << 13; x >>>= 0;
    x ^= x >>> 17;
    x ^= x << 5; x >>>= 0;
    return x % n;
  };
}

export function mutate(bytes, other, rnd) {
  const kind = rnd(4);
  if (kind === 0) return bytes.slice(0, rnd(bytes.length + 1));
  const out = bytes.slice();
  if (kind === 1) {
    for (let i = rnd(16) + 1; i > 0; i--) out[rnd(out.length)] ^= 1 << rnd(8);
    return out;
  }
  if (kind === 2) {
    // Whole 32-bit words: sector numbers, sizes and counts.
    const values = [0, 0xffffffff, 0xfffffffe, 0x7fffffff, rnd(64), rnd(0x10000)];
    for (let i = rnd(8) + 1; i > 0; i--) new DataView(out.buffer).setUint32(rnd(Math.max(1, out.length - 3)) & ~3, values[rnd(values.length)], true);
    return out;
  }
  const at = rnd(out.length + 1);
  const from = rnd(other.length + 1);
  const piece = other.subarray(from, from + rnd(4096));
  const spliced = new Uint8Array(at + piece.length + out.length - at);
  spliced.set(out.subarray(0, at));
  spliced.set(piece, at);
  spliced.set(out.subarray(at), at + piece.length);
  return spliced;
}

// Reads one input as both kinds, and as a header value (leesEml would hide a
// throw there as an empty mail); returns a fault's description or null.
export function check(bytes) {
  try {
    leesEml(bytes);
    const header = latin1(bytes.subarray(0, 65536));
    adressen(header);
    kopDecoderen(header);
  } catch (err) {
    return `leesEml threw ${err?.stack || err}`;
  }
  try {
    leesMsg(bytes);
  } catch (err) {
    if (!ALLOWED.has(err?.message)) return `leesMsg threw ${err?.stack || err}`;
  }
  return null;
}
