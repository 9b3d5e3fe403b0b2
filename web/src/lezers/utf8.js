// UTF-8 as the readers need it: a leading byte-order mark dropped, bad bytes as U+FFFD.
const DECODER = new TextDecoder('utf-8');

export function utf8(bytes) {
  return DECODER.decode(bytes);
}
