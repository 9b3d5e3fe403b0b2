// Header values: RFC 2047 encoded words, and structured values with RFC 2231
// parameter pieces.
import { decodeer, uitLatin1 } from './charset.js';
import { base64 } from './transfer.js';

const WORD = '=\\?[^?\\s]+\\?[bBqQ]\\?[^?\\s]*\\?=';
const BETWEEN_WORDS = new RegExp(`(${WORD})\\s+(?==\\?)`, 'g');
const ENCODED_WORD = /=\?([^?\s]+)\?([bBqQ])\?([^?\s]*)\?=/g;
const PIECE = /^(.+?)\*(?:(\d+)(\*?))?$/;

function qBytes(text) {
  return uitLatin1(text.replace(/_/g, ' ').replace(/=([0-9a-fA-F]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16))));
}

export function kopDecoderen(s) {
  return String(s).replace(BETWEEN_WORDS, '$1').replace(ENCODED_WORD, (word, charset, kind, text) => {
    try {
      const bytes = kind === 'b' || kind === 'B' ? base64(text) : qBytes(text);
      return decodeer(bytes, charset.split('*')[0]);
    } catch {
      return word;
    }
  });
}

// Splits at each ";" with an even number of double quotes after it.
function pieces(value) {
  const cuts = [];
  let quotes = 0;
  for (let i = value.length - 1; i >= 0; i--) {
    if (value[i] === '"') quotes++;
    else if (value[i] === ';' && quotes % 2 === 0) cuts.push(i);
  }
  const out = [];
  let at = 0;
  for (const cut of cuts.reverse()) {
    out.push(value.slice(at, cut));
    at = cut + 1;
  }
  out.push(value.slice(at));
  return out;
}

function percentBytes(s) {
  return uitLatin1(s.replace(/%([0-9a-fA-F]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16))));
}

function joinPieces(list) {
  list.sort((a, b) => a.nummer - b.nummer);
  let charset = 'utf-8';
  const texts = list.map((p) => (p.encoded ? p.value : p.value.replace(/%/g, '%25')));
  const prefix = list[0].encoded && /^([^']*)'[^']*'([\s\S]*)$/.exec(texts[0]);
  if (prefix) {
    if (prefix[1]) charset = prefix[1];
    texts[0] = prefix[2];
  }
  return decodeer(percentBytes(texts.join('')), charset);
}

export function parameters(waarde) {
  const [main, ...rest] = pieces(String(waarde));
  const result = Object.create(null);
  result._ = main.trim().toLowerCase();
  const split = new Map();
  for (const piece of rest) {
    const eq = piece.indexOf('=');
    if (eq < 0) continue;
    const name = piece.slice(0, eq).trim().toLowerCase();
    const value = piece.slice(eq + 1).trim().replace(/^"/, '').replace(/"$/, '');
    const m = PIECE.exec(name);
    if (m) {
      if (!split.has(m[1])) split.set(m[1], []);
      split.get(m[1]).push({ nummer: m[2] === undefined ? 0 : Number(m[2]), encoded: m[2] === undefined || m[3] === '*', value });
    } else {
      result[name] = kopDecoderen(value);
    }
  }
  for (const [name, list] of split) result[name] = joinPieces(list);
  return result;
}
