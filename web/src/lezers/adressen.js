// Address lists of From, To and Cc as RFC 5322 writes them: mailboxes
// separated by commas, each a display name (words and quoted strings) with an
// address in angle brackets, or a bare address; comments in parentheses; groups
// ("Naam: a@x.nl, b@x.nl;") of which the members count. Broken lists give what
// can be read: a quote or angle bracket that is never closed is passed over,
// such a parenthesis kept as text. One pass, no backtracking: headers come
// from anywhere.
import { ENCODED_WORD_PATTERN, kopDecoderen } from './kop-decoderen.js';

const isSpace = (c) => c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f' || c === '\v';
const SEPARATORS = new Set([',', ':', ';']);
// An encoded word is one word, whatever characters it carries.
const ENCODED_WORD = new RegExp(ENCODED_WORD_PATTERN, 'y');

// The closing quote of a quoted string opening at `i`, or -1.
function quoteEnd(s, i) {
  for (let j = i + 1; j < s.length; j++) {
    if (s[j] === '\\') j++;
    else if (s[j] === '"') return j;
  }
  return -1;
}

// The closing parenthesis of a (nested) comment opening at `i`, or -1.
function commentEnd(s, i) {
  let depth = 0;
  for (let j = i; j < s.length; j++) {
    if (s[j] === '\\') j++;
    else if (s[j] === '(') depth++;
    else if (s[j] === ')' && --depth === 0) return j;
  }
  return -1;
}

// The ">" of an angle address opening at `i`, or -1 when a "," or "<" comes first.
function angleEnd(s, i) {
  for (let j = i + 1; j < s.length; j++) {
    if (s[j] === '>') return j;
    if (s[j] === ',' || s[j] === '<') return -1;
  }
  return -1;
}

const unescape = (text) => text.replace(/\\([\s\S])/g, '$1');

// The tokens of the list: words, comments, angle addresses and the separators
// "," ":" ";". A quote or comment that is not closed cannot be closed by a later
// one either, so each is searched once; an angle address is searched only up
// to the next "," or "<".
function tokens(s) {
  const out = [];
  const closes = { '"': true, '(': true };
  let word = null;
  const endWord = () => {
    if (word !== null) out.push({ kind: 'word', text: word });
    word = null;
  };
  const add = (text) => { word = (word ?? '') + text; };
  for (let i = 0; i < s.length; i++) {
    const c = s[i];
    ENCODED_WORD.lastIndex = i;
    if (c === '=' && ENCODED_WORD.test(s)) {
      add(s.slice(i, ENCODED_WORD.lastIndex));
      i = ENCODED_WORD.lastIndex - 1;
      continue;
    }
    let close = -1;
    if (c === '<') close = angleEnd(s, i);
    else if (closes[c]) close = c === '"' ? quoteEnd(s, i) : commentEnd(s, i);
    if (close < 0 && c in closes) closes[c] = false;
    if (isSpace(c)) endWord();
    else if (SEPARATORS.has(c)) {
      endWord();
      out.push({ kind: c });
    } else if (close < 0) {
      // Unclosed, a quote or "<" is dropped; a "(" stays as text.
      if (c !== '"' && c !== '<') add(c);
    } else if (c === '"') {
      add(unescape(s.slice(i + 1, close)));
      i = close;
    } else {
      endWord();
      out.push({ kind: c === '<' ? 'angle' : 'comment', text: c === '<' ? s.slice(i + 1, close) : unescape(s.slice(i + 1, close)) });
      i = close;
    }
  }
  endWord();
  return out;
}

const phrase = (words) => words.map((w) => w.text).join(' ').trim();
// Comments inside an address ("jan(werk)@x.nl") are no part of it.
const withoutComments = (adres) => adres.replace(/\([^()]*\)/g, '').trim();

function mailbox(parts) {
  const words = parts.filter((t) => t.kind === 'word');
  const angle = parts.find((t) => t.kind === 'angle');
  if (angle) return { naam: phrase(words), adres: withoutComments(angle.text) };
  const last = words.at(-1);
  if (!last || !phrase(words).includes('@')) return { naam: phrase(words), adres: '' };
  // A bare address may carry its owner's name in a comment ("a@x.nl (Anna)"),
  // or, when its brackets were lost, before it ("Anna a@x.nl").
  const before = words.slice(0, -1);
  if (before.length && last.text.includes('@') && !phrase(before).includes('@')) return { naam: phrase(before), adres: last.text };
  const comment = parts.find((t) => t.kind === 'comment');
  return { naam: comment ? comment.text.trim() : '', adres: phrase(words) };
}

// `decode`: encoded words in names are decoded, once.
function lijst(s, decode) {
  const found = [];
  let parts = [];
  const end = () => {
    const { naam, adres } = mailbox(parts);
    const name = decode ? kopDecoderen(naam).trim() : naam;
    parts = [];
    // A name with "@" beside no address: the mailer encoded the whole mailbox,
    // address and all, or the name is the address.
    if (!adres && name.includes('@')) {
      if (decode) for (const inner of lijst(name, false)) found.push(inner);
      else found.push({ naam: '', adres: name });
    } else if (name || adres) found.push({ naam: name.replace(/^'/, '').replace(/'$/, ''), adres });
  };
  for (const t of tokens(s)) {
    if (t.kind === ',' || t.kind === ';') end();
    // A group's name is no mailbox: its members follow the ":".
    else if (t.kind === ':') parts = [];
    else {
      if (t.kind === 'angle' && parts.some((p) => p.kind === 'angle')) end();
      parts.push(t);
    }
  }
  end();
  return found;
}

export function adressen(s) {
  return lijst(String(s), true);
}
