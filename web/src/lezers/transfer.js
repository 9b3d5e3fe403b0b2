// Transfer encodings of mail bodies, both lenient: they never fail.
const ALPHABET = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
const SEXTET = new Int8Array(128).fill(-1);
for (let i = 0; i < ALPHABET.length; i++) SEXTET[ALPHABET.charCodeAt(i)] = i;
const HEX = /^[0-9a-fA-F]{2}$/;

// Every character outside the alphabet is dropped (line breaks, "=", garbage);
// a last lone character carries no whole byte and goes too.
export function base64(s) {
  const out = new Uint8Array(Math.floor((s.length * 3) / 4) + 3);
  let n = 0;
  let bits = 0;
  let count = 0;
  for (let i = 0; i < s.length; i++) {
    const c = s.charCodeAt(i);
    const v = c < 128 ? SEXTET[c] : -1;
    if (v < 0) continue;
    bits = (bits << 6) | v;
    if (++count === 4) {
      out[n++] = bits >> 16;
      out[n++] = (bits >> 8) & 0xff;
      out[n++] = bits & 0xff;
      bits = 0;
      count = 0;
    }
  }
  if (count === 2) out[n++] = bits >> 4;
  if (count === 3) {
    out[n++] = bits >> 10;
    out[n++] = (bits >> 2) & 0xff;
  }
  return out.slice(0, n);
}

// Soft line breaks go first: some mailers break a line inside an escape ("=C=\r\n3").
export function quotedPrintable(qp) {
  const s = qp.replace(/=\r?\n/g, '');
  const out = new Uint8Array(s.length);
  let n = 0;
  for (let i = 0; i < s.length; i++) {
    const c = s.charCodeAt(i);
    if (c === 0x3d) {
      const hex = s.slice(i + 1, i + 3);
      if (HEX.test(hex)) { out[n++] = parseInt(hex, 16); i += 2; continue; }
    }
    out[n++] = c & 0xff;
  }
  return out.slice(0, n);
}
