// An AI chat's clipboard HTML as markdown, so that its headings, lists, tables
// and emphasis survive the restore.

const OPMAAK = /<(?:ul|ol|li|h[1-6]|table|strong|b|em|blockquote|pre)\b/i;
// List indentation rides on a private-use character through the clean-up,
// which trims blanks at line starts but must keep continuation lines indented.
const INSPRING = '\uE003';
const STAP = INSPRING.repeat(3);
const BLOK_IN_TEKST = new Set(['UL', 'OL', 'TABLE', 'P', 'DIV', 'H1', 'H2', 'H3', 'H4', 'H5', 'H6', 'PRE', 'BLOCKQUOTE']);
const RE_MARKER = /^(?:[-*]|\d+[.)])[ \t]/;
const blanco = (s) => s.replace(/\s+/g, ' ');

export function heeftOpmaak(html) {
  return OPMAAK.test(html);
}

function nadruk(el, teken) {
  const inhoud = inline(el);
  if (!inhoud.trim()) return inhoud;
  return `${teken}${inhoud.trim()}${teken}${/\s$/.test(inhoud) ? ' ' : ''}`;
}

function inlineKnoop(n) {
  if (n.nodeType === Node.TEXT_NODE) return blanco(n.data);
  if (n.nodeType !== Node.ELEMENT_NODE) return '';
  const tag = n.tagName;
  if (tag === 'BR') return '\n';
  if (tag === 'STRONG' || tag === 'B') return nadruk(n, '**');
  if (tag === 'EM' || tag === 'I') return nadruk(n, '*');
  if (tag === 'CODE') return `\`${n.textContent}\``;
  if (tag === 'LI') return blok(n);
  if (BLOK_IN_TEKST.has(tag)) return blokKnoop(n);
  return inline(n);
}

function inline(el) {
  let uit = '';
  for (const n of el.childNodes) uit += inlineKnoop(n);
  return uit;
}

function lijst(el, inspring) {
  let nr = parseInt(el.getAttribute('start'), 10) || 1;
  const regels = [];
  for (const li of el.children) {
    if (li.tagName !== 'LI') continue;
    const marker = el.tagName === 'OL' ? `${nr++}. ` : '- ';
    let tekst = '';
    const onder = [];
    for (const n of li.childNodes) {
      const tag = n.nodeType === Node.ELEMENT_NODE ? n.tagName : '';
      if (tag === 'UL' || tag === 'OL') onder.push(n);
      else if (tag === 'P' || tag === 'DIV') tekst += `${inline(n).trim()}\n`;
      else tekst += inlineKnoop(n);
    }
    regels.push(inspring + marker + tekst.trim().replace(/\n+/g, `\n${inspring}${STAP}`));
    for (const sub of onder) regels.push(lijst(sub, inspring + STAP));
  }
  return regels.join('\n');
}

function tabel(el) {
  const rijen = [...el.querySelectorAll('tr')].map((tr) =>
    [...tr.children].map((cel) => inline(cel).replace(/\s*\n\s*/g, ' ').trim().replace(/\|/g, '\\|')));
  if (!rijen.length) return '';
  const breed = Math.max(...rijen.map((r) => r.length));
  const regel = (r) => `| ${Array.from({ length: breed }, (_, i) => r[i] ?? '').join(' | ')} |`;
  return `\n\n${[regel(rijen[0]), `|${' --- |'.repeat(breed)}`, ...rijen.slice(1).map(regel)].join('\n')}\n\n`;
}

function blokKnoop(n) {
  if (n.nodeType === Node.TEXT_NODE) return blanco(n.data);
  if (n.nodeType !== Node.ELEMENT_NODE) return '';
  const tag = n.tagName;
  const kop = /^H([1-6])$/.exec(tag);
  if (kop) return `\n\n${'#'.repeat(Number(kop[1]))} ${inline(n).trim()}\n\n`;
  if (tag === 'UL' || tag === 'OL') return `\n\n${lijst(n, '')}\n\n`;
  if (['P', 'DIV', 'SECTION', 'ARTICLE'].includes(tag)) return `\n\n${blok(n).trim()}\n\n`;
  if (tag === 'PRE') return `\n\n\`\`\`\n${n.textContent.replace(/\n$/, '')}\n\`\`\`\n\n`;
  if (tag === 'BLOCKQUOTE') return `\n\n${blok(n).trim().split('\n').map((l) => `> ${l}`).join('\n')}\n\n`;
  if (tag === 'HR') return '\n\n---\n\n';
  if (tag === 'TABLE') return tabel(n);
  return inlineKnoop(n);
}

function blok(el) {
  let uit = '';
  for (const n of el.childNodes) uit += blokKnoop(n);
  return uit;
}

export function htmlNaarMarkdown(html) {
  const doc = new DOMParser().parseFromString(html, 'text/html');
  for (const el of doc.querySelectorAll('script, style, head, button, svg')) el.remove();
  return blok(doc.body)
    .replace(/[ \t]+\n/g, '\n')
    .replace(/^[ \t]+(.*)$/gm, (regel, rest) => (RE_MARKER.test(rest) ? regel : rest))
    .replace(/\n{3,}/g, '\n\n')
    .trim()
    .replaceAll(INSPRING, ' ');
}
