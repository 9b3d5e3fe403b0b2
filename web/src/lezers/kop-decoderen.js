// Header values: RFC 2047 encoded words, and structured values with RFC 2231
// parameter pieces.
import { joinBytes } from './bytes.js';
import { decodeer, uitLatin1, utf8OrWindows1252 } from './charset.js';
import { base64 } from './transfer.js';

// An encoded word: its charset, B or Q, and the encoded text.
export const ENCODED_WORD_PATTERN = '=\\?([^?\\s]+)\\?([bBqQ])\\?([^?\\s]*)\\?=';
const ENCODED_WORD = new RegExp(ENCODED_WORD_PATTERN, 'g');
const BLANK = /^\s*$/;
const PIECE = /^(.+?)\*(?:(\d+)(\*?))?$/;

function qBytes(text) {
  return uitLatin1(text.replace(/_/g, ' ').replace(/=([0-9a-fA-F]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16))));
}

// Adjacent encoded words lose the white space between them; those of one
// charset are decoded as one byte sequence, since mail programs split a
// multi-byte character over two words.
export function kopDecoderen(s) {
  const text = String(s);
  let out = '';
  let at = 0;
  let run = null;
  const flush = () => {
    if (run) out += decodeer(joinBytes(run.parts), run.charset);
    run = null;
  };
  ENCODED_WORD.lastIndex = 0;
  for (let m = ENCODED_WORD.exec(text); m; m = ENCODED_WORD.exec(text)) {
    const between = text.slice(at, m.index);
    if (!run || !BLANK.test(between)) {
      flush();
      out += between;
    }
    const charset = m[1].split('*')[0].toLowerCase();
    const bytes = m[2] === 'b' || m[2] === 'B' ? base64(m[3]) : qBytes(m[3]);
    if (run?.charset !== charset) {
      flush();
      run = { charset, parts: [] };
    }
    run.parts.push(bytes);
    at = m.index + m[0].length;
  }
  flush();
  return out + text.slice(at);
}

// A header value as a byte string, with raw 8-bit text (written by mail
// programs instead of encoded words) read by the rule for text without a charset.
export function kopRuw(value) {
  const s = String(value);
  return /[\x80-\xff]/.test(s) ? utf8OrWindows1252(uitLatin1(s)) : s;
}

export const kopTekst = (value) => kopDecoderen(kopRuw(value));

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
      result[name] = kopTekst(value);
    }
  }
  for (const [name, list] of split) result[name] = joinPieces(list);
  return result;
}
