// Address lists of From, To and Cc: display names (quoted or not) with an
// optional address in angle brackets, separated by commas. A hand-written scan:
// on a long broken header a backtracking regex would take quadratic time.
const isSpace = (c) => c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f' || c === '\v';
const STOPS = new Set([',', '<', '"']);

function skipSpace(s, i) {
  while (i < s.length && isSpace(s[i])) i++;
  return i;
}

// End of the closing quote of a quoted name starting at `i`, or -1.
function quotedEnd(s, i) {
  for (let j = i + 1; j < s.length; j++) {
    if (s[j] === '\\') j++;
    else if (s[j] === '"') return j + 1;
  }
  return -1;
}

function unescape(name) {
  return name.replace(/\\([\s\S])/g, '$1');
}

export function adressen(s) {
  const text = String(s);
  const found = [];
  let nextGt = -1;
  // The unquoted-name search asks from every position of a run of white space;
  // remembering the run keeps that linear.
  let runFrom = -1;
  let runTo = -1;
  const skip = (i) => {
    if (i < runFrom || i > runTo) {
      runFrom = i;
      runTo = skipSpace(text, i);
    }
    return runTo;
  };
  // After the name: blanks, maybe "<address>", blanks, then "," or the end.
  const tail = (i) => {
    let j = skip(i);
    let adres;
    if (text[j] === '<') {
      if (nextGt < j) nextGt = text.indexOf('>', j);
      if (nextGt < 0) nextGt = Infinity;
      if (nextGt === Infinity) return null;
      adres = text.slice(j + 1, nextGt);
      j = skip(nextGt + 1);
    }
    if (j < text.length && text[j] !== ',') return null;
    return { end: j + 1, adres };
  };
  let noQuoteClose = Infinity;
  let i = 0;
  while (i < text.length) {
    const start = skipSpace(text, i);
    let name = null;
    let rest = null;
    if (text[start] === '"' && start < noQuoteClose) {
      const q = quotedEnd(text, start);
      if (q < 0) noQuoteClose = start;
      else if ((rest = tail(q))) name = unescape(text.slice(start + 1, q - 1));
    }
    let stop = start;
    if (name === null) {
      // The shortest unquoted name after which the tail fits.
      for (; ; stop++) {
        if ((rest = tail(stop))) { name = text.slice(start, stop); break; }
        if (stop >= text.length || STOPS.has(text[stop])) break;
      }
    }
    if (name === null) {
      // Any start up to `stop` fails the same way.
      i = Math.max(stop, i + 1);
      continue;
    }
    add(found, name.trim(), (rest.adres ?? '').trim());
    i = rest.end;
  }
  return found;
}

function add(found, naam, adres) {
  if (!naam && !adres) return;
  if (!adres && naam.includes('@')) found.push({ naam: '', adres: naam });
  else found.push({ naam: naam.replace(/^'/, '').replace(/'$/, ''), adres });
}
