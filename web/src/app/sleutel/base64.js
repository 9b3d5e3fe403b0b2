// Standard base64 of bytes, as the key file's envelope carries them.
const STUK = 0x8000;

export function b64(bytes) {
  let binair = '';
  for (let i = 0; i < bytes.length; i += STUK) binair += String.fromCharCode(...bytes.subarray(i, i + STUK));
  return btoa(binair);
}

// Throws on text that is not base64.
export function unb64(tekst) {
  if (typeof tekst !== 'string') throw new TypeError('geen base64');
  return Uint8Array.from(atob(tekst), (c) => c.charCodeAt(0));
}
