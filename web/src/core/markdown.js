// Document blocks to markdown and plain text, and the small markdown dialect
// of AI answers to HTML, plain text and tab-separated text.
import { textOf } from './normalise.js';

const GROUPED_KINDS = new Set(['li', 'tr', 'line']);
const ESCAPE = /\\([\\`*_[\]#|\-.])/g;
const RE_LIJST = /^(\s*)([-*•+]|\d+[.)])\s+/;
const RE_HEADING = /^(#{1,6})\s+(.*)$/;
const RE_RULE = /^\s*([-*_])\s*\1\s*\1[\s\-*_]*$/;
const RE_TABLE_LINE = /^\s*\|/;
// One blank run per optional sign: side by side, optional runs would cost
// quadratic time on a line of blanks.
const RE_SEPARATOR = /^\s*(?:\|\s*)?:?-{2,}/;
const RE_PLAIN_SEPARATOR = /^\s*(?:\|\s*)?:?-{2,}[\s|:\-]*$/;
const RE_QUOTE = /^\s*>/;
const RE_PARAGRAPH_END = /^(#{1,6}\s|\s*\||\s*([-*•]|\d+[.)])\s+)/;
const RE_ITALIC = /(^|[^*])\*([^*\s][^*]*)\*/g;
// Deeper quotes are shown as text: each level walks its lines again.
const MAX_QUOTE_DEPTH = 16;

const isBlank = (line) => !/\S/.test(line);
const rowsOf = (block) => (Array.isArray(block.rows) ? block.rows : []).map((row) => (Array.isArray(row) ? row : []));
const lineArray = (md) => textOf(md).replace(/\r\n?/g, '\n').split('\n');

export function escHtml(s) {
  return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

function headingLevel(level) {
  const n = Math.trunc(Number(level)) || 2;
  return Math.min(Math.max(n, 1), 6);
}

function tableLines(block, f) {
  const rows = rowsOf(block).filter((row) => row.some((cell) => !isBlank(textOf(cell))));
  if (rows.length === 0) return [];
  const width = rows.reduce((max, row) => Math.max(max, row.length), 0);
  const cell = (value) => textOf(f(textOf(value))).replace(/\|/g, '\\|').replace(/\r?\n/g, ' ');
  const line = (row) => {
    const cells = [];
    for (let i = 0; i < width; i++) cells.push(i < row.length ? cell(row[i]) : '');
    return '| ' + cells.join(' | ') + ' |';
  };
  const separator = '|' + ' --- |'.repeat(width);
  return [line(rows[0]), separator, ...rows.slice(1).map(line)];
}

function blockEntries(block, f) {
  const text = () => textOf(f(textOf(block.text)));
  switch (block && block.t) {
    case 'h':
      return [['h', '#'.repeat(headingLevel(block.level)) + ' ' + text()]];
    case 'p':
      return [[block.line ? 'line' : 'p', text()]];
    case 'li':
      return [['li', (block.ordered ? '1. ' : '- ') + text()]];
    case 'table':
      return tableLines(block, f).map((line) => ['tr', line]);
    default:
      return [];
  }
}

export function blocksToMarkdown(blocks, map) {
  const f = typeof map === 'function' ? map : (s) => s;
  const entries = (Array.isArray(blocks) ? blocks : []).flatMap((block) => blockEntries(block, f));
  let out = '';
  entries.forEach(([kind, line], i) => {
    if (i > 0) out += kind === entries[i - 1][0] && GROUPED_KINDS.has(kind) ? '\n' : '\n\n';
    out += line;
  });
  return out;
}

export function blocksText(blocks) {
  return (Array.isArray(blocks) ? blocks : [])
    .map((block) => {
      if (block && block.t === 'table') {
        return rowsOf(block).map((row) => Array.from(row, textOf).join('\t')).join('\n');
      }
      return textOf(block && block.text);
    })
    .join('\n');
}

function inline(s) {
  return escHtml(s)
    .replace(ESCAPE, '$1')
    .replace(/`([^`]+)`/g, '<code>$1</code>')
    .replace(/\*\*([^*]+)\*\*/g, '<strong>$1</strong>')
    .replace(/__([^_]+)__/g, '<strong>$1</strong>')
    .replace(RE_ITALIC, '$1<em>$2</em>');
}

function splitRow(line) {
  const inner = line.trim().replace(/^\|/, '').replace(/(?<!\\)\|$/, '');
  return inner.split(/(?<!\\)\|/).map((cell) => cell.trim());
}

function tableHtml(lines) {
  const header = lines.length >= 2 && RE_SEPARATOR.test(lines[1]);
  const rows = lines.filter((line) => !RE_SEPARATOR.test(line));
  const html = rows.map((line, r) => {
    const tag = header && r === 0 ? 'th' : 'td';
    return '<tr>' + splitRow(line).map((cell) => `<${tag}>${inline(cell)}</${tag}>`).join('') + '</tr>';
  });
  return '<table>' + html.join('') + '</table>';
}

// Reads list lines from lines[i]; returns the items and the index after them.
function collectItems(lines, i) {
  const items = [];
  while (i < lines.length) {
    const line = lines[i];
    const m = RE_LIJST.exec(line);
    if (m) {
      const number = parseInt(m[2], 10);
      items.push({
        depth: m[1].replace(/\t/g, '    ').length,
        ordered: /\d/.test(m[2]),
        start: number > 0 ? number : 1,
        lines: [line.slice(m[0].length)],
      });
    } else if (items.length > 0 && /^\s{2,}\S/.test(line)) {
      items[items.length - 1].lines.push(line.trim());
    } else if (!(isBlank(line) && i + 1 < lines.length && RE_LIJST.test(lines[i + 1]))) {
      break;
    }
    i++;
  }
  return [items, i];
}

// One list from items[first]; nested lists go inside the open item.
function buildList(items, first, depth) {
  const head = items[first];
  const parts = [head.ordered ? (head.start > 1 ? `<ol start="${head.start}">` : '<ol>') : '<ul>'];
  let j = first;
  let itemOpen = false;
  while (j < items.length) {
    const item = items[j];
    if (item.depth < depth || (item.depth === depth && item.ordered !== head.ordered)) break;
    if (item.depth === depth) {
      if (itemOpen) parts.push('</li>');
      parts.push('<li>' + item.lines.map(inline).join('<br>'));
      itemOpen = true;
      j++;
    } else {
      const [nested, next] = buildList(items, j, item.depth);
      parts.push(nested);
      j = next;
    }
  }
  if (itemOpen) parts.push('</li>');
  parts.push(head.ordered ? '</ol>' : '</ul>');
  return [parts.join(''), j];
}

function listHtml(items) {
  const lists = [];
  for (let k = 0; k < items.length; ) {
    const [html, next] = buildList(items, k, items[k].depth);
    lists.push(html);
    k = next;
  }
  return lists.join('\n');
}

function takeWhile(lines, i, test) {
  let j = i;
  while (j < lines.length && test(lines[j])) j++;
  return j;
}

function paragraphHtml(lines) {
  return '<p>' + lines.map(inline).join('<br>') + '</p>';
}

function linesToHtml(lines, quoteDepth) {
  const out = [];
  let i = 0;
  while (i < lines.length) {
    const line = lines[i];
    let m;
    if (isBlank(line)) {
      i++;
    } else if ((m = RE_HEADING.exec(line))) {
      const n = m[1].length;
      out.push(`<h${n}>${inline(m[2])}</h${n}>`);
      i++;
    } else if (RE_RULE.test(line)) {
      out.push('<hr>');
      i++;
    } else if (RE_TABLE_LINE.test(line)) {
      const end = takeWhile(lines, i, (l) => RE_TABLE_LINE.test(l));
      out.push(tableHtml(lines.slice(i, end)));
      i = end;
    } else if (RE_LIJST.test(line)) {
      const [items, end] = collectItems(lines, i);
      out.push(listHtml(items));
      i = end;
    } else if (RE_QUOTE.test(line) && quoteDepth < MAX_QUOTE_DEPTH) {
      const end = takeWhile(lines, i, (l) => RE_QUOTE.test(l));
      const inner = lines.slice(i, end).map((l) => l.replace(/^\s*>\s?/, ''));
      out.push('<blockquote>' + linesToHtml(inner, quoteDepth + 1) + '</blockquote>');
      i = end;
    } else {
      const end = Math.max(takeWhile(lines, i, (l) => !isBlank(l) && !RE_PARAGRAPH_END.test(l)), i + 1);
      out.push(paragraphHtml(lines.slice(i, end)));
      i = end;
    }
  }
  return out.join('\n');
}

export function markdownToHtml(md) {
  return linesToHtml(lineArray(md), 0);
}

function plainLine(line) {
  if (RE_TABLE_LINE.test(line)) return splitRow(line).join('\t');
  return line.replace(/^#{1,6}\s+/, '').replace(/^\s*[-*]\s+/, '• ');
}

export function markdownToPlain(md) {
  return lineArray(md)
    .filter((line) => !RE_PLAIN_SEPARATOR.test(line))
    .map(plainLine)
    .join('\n')
    .replace(/\*\*([^*]+)\*\*/g, '$1')
    .replace(/__([^_]+)__/g, '$1')
    .replace(RE_ITALIC, '$1$2')
    .replace(/`([^`]+)`/g, '$1')
    .replace(ESCAPE, '$1');
}

export function markdownToTsv(md) {
  const tables = [];
  let current = null;
  for (const line of lineArray(md)) {
    if (RE_TABLE_LINE.test(line)) {
      if (RE_SEPARATOR.test(line)) continue;
      if (!current) tables.push((current = []));
      current.push(splitRow(line).map(markdownToPlain).join('\t'));
    } else {
      current = null;
    }
  }
  if (tables.length === 0) return markdownToPlain(md);
  return tables.map((rows) => rows.join('\n')).join('\n\n');
}
