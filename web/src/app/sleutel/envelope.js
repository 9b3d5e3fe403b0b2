// The encrypted key file: AES-256-GCM with a key derived from the password
// by PBKDF2-SHA-256, all through the browser's Web Crypto.
import { b64, unb64 } from './base64.js';

export const SLEUTEL_TYPE = 'drovel-verhulzen-sleutel';
const ITERATIES = 310000;
export const KDF = `PBKDF2-SHA256-${ITERATIES}`;

export const kanVersleutelen = () => Boolean(globalThis.crypto?.subtle);

export async function sleutelAfleiden(ww, salt) {
  const subtle = crypto.subtle;
  const basis = await subtle.importKey('raw', new TextEncoder().encode(ww), 'PBKDF2', false, ['deriveKey']);
  return subtle.deriveKey(
    { name: 'PBKDF2', hash: 'SHA-256', salt, iterations: ITERATIES },
    basis,
    { name: 'AES-GCM', length: 256 },
    false,
    ['encrypt', 'decrypt'],
  );
}

// A fresh salt and nonce for every file.
export async function versleutel(inhoud, ww) {
  const salt = crypto.getRandomValues(new Uint8Array(16));
  const iv = crypto.getRandomValues(new Uint8Array(12));
  const sleutel = await sleutelAfleiden(ww, salt);
  const klaar = new TextEncoder().encode(JSON.stringify(inhoud));
  const data = new Uint8Array(await crypto.subtle.encrypt({ name: 'AES-GCM', iv }, sleutel, klaar));
  return { type: SLEUTEL_TYPE, versie: 1, versleuteld: true, kdf: KDF, salt: b64(salt), iv: b64(iv), data: b64(data) };
}

// Throws on a wrong password, changed bytes, bad base64 or a plaintext that is no JSON object.
export async function ontsleutel(envelop, ww) {
  const sleutel = await sleutelAfleiden(ww, unb64(envelop.salt));
  const klaar = await crypto.subtle.decrypt({ name: 'AES-GCM', iv: unb64(envelop.iv) }, sleutel, unb64(envelop.data));
  const inhoud = JSON.parse(new TextDecoder('utf-8', { fatal: true }).decode(klaar));
  if (!inhoud || typeof inhoud !== 'object' || Array.isArray(inhoud)) throw new TypeError('geen sleutelinhoud');
  return inhoud;
}
