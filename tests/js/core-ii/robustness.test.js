import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  blocksText, blocksToMarkdown, escHtml, markdownToHtml, markdownToPlain, markdownToTsv,
} from '../../../web/src/core/markdown.js';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';
import {
  afstand, bijnaNamen, kandidaten, losseDelen, ocrVorm,
} from '../../../web/src/core/checks.js';
import { personenMetLabel, personenZonderLabel, stripStopwoorden } from '../../../web/src/core/names.js';
import { adressen, belgischeAdressen } from '../../../web/src/core/addresses.js';

// Small seeded generator, so that a failure can be replayed.
function generator(seed) {
  let s = seed >>> 0;
  const next = () => {
    s = (s + 0x6d2b79f5) >>> 0;
    let t = s;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (list) => list[Math.floor(next() * list.length)];
  return { next, pick };
}

const CHARS = [...'aAzZeéëIJij019 \u00A0\t\n\r.,:;-–/&@\'"`*_#|[]()\\>+!•ß'].concat(['\u{1F600}', '\uD800']);
const TOKENS = [
  'de heer ', 'Mevrouw ', 'MEVROUW ', 'T.a.v. ', 'Naam: ', 'Naam fiscale partner:\t', 'Erfgenamen: ', 'J.', 'P. ',
  'van ', 'de ', 'der ', 'Jansen', 'De Vries', 'KAREL ', 'Kerkstraat ', '12a', ' - ', ', ', ' en ', ' & ', '1234 AB ',
  '9000 ', 'Gent', 'België', '\n', '\r\n', 'Met vriendelijke groet,\n', 'Beste ', 'Volgens ', 'B.V.', 'Raad van State ',
  '[PERSOON_1]', '\\[KIND\\_2\\]', 'GEBDATUM 1 (1958)', '**', '| ', ' |', '- ', '1. ', '  ', '> ', '# ', '---', '`',
  'info@dekker.nl ', 'Hoogendoom ', 'Smit5 ',
];

function randomText(g, length) {
  let out = '';
  while (out.length < length) out += g.next() < 0.5 ? g.pick(CHARS) : g.pick(TOKENS);
  return out;
}

function randomEntities(g, text) {
  const cats = ['PERSOON', 'BEDRIJF', 'ADRES', 'PLAATS', 'EMAIL', 'GEBDATUM', 'BSN'];
  return Array.from({ length: 1 + Math.floor(g.next() * 5) }, (_, i) => {
    const start = Math.floor(g.next() * text.length);
    const value = text.slice(start, start + 1 + Math.floor(g.next() * 20));
    const cat = g.pick(cats);
    return {
      id: i + 1, cat, label: g.pick([cat, 'KIND', 'PERSOON']) + '_' + (i + 1), value,
      variants: [value, value.toUpperCase()], active: g.next() < 0.8,
    };
  });
}

function randomBlocks(g, text) {
  const piece = () => text.slice(Math.floor(g.next() * text.length), Math.floor(g.next() * text.length));
  return Array.from({ length: 6 }, () => g.pick([
    { t: 'h', level: Math.floor(g.next() * 12) - 3, text: piece() },
    { t: 'p', line: g.next() < 0.5, text: piece() },
    { t: 'li', ordered: g.next() < 0.5, text: piece() },
    { t: 'table', rows: [[piece(), piece()], [piece()], [undefined, piece(), '']] },
    { t: 'table', rows: [] },
  ]));
}

test('every function returns on random input', () => {
  for (let round = 0; round < 400; round++) {
    const g = generator(round + 1);
    const text = randomText(g, Math.floor(g.next() * 400));
    const entities = randomEntities(g, text || 'x');
    const blocks = randomBlocks(g, text);
    const md = blocksToMarkdown(blocks);
    const context = `round ${round}`;
    assert.equal(typeof md, 'string', context);
    assert.equal(typeof blocksToMarkdown(blocks, (s) => s.toUpperCase()), 'string', context);
    assert.equal(typeof blocksText(blocks), 'string', context);
    for (const input of [text, md]) {
      assert.ok(!/<(?!\/?(?:h\d|p|ul|ol|li|table|tr|td|th|blockquote|strong|em|code|br|hr)\b)/.test(markdownToHtml(input)), context);
      assert.equal(typeof markdownToPlain(input), 'string', context);
      assert.equal(typeof markdownToTsv(input), 'string', context);
    }
    assert.equal(typeof escHtml(text), 'string', context);
    const result = restore(text, entities);
    assert.equal(segmentsToText(restore(text, []).segments), text, context);
    assert.ok(result.segments.every((s) => typeof s.text === 'string'), context);
    assert.ok(Array.isArray(result.unknown), context);
    for (const fn of [losseDelen, bijnaNamen]) assert.ok(Array.isArray(fn(text, entities)), context);
    assert.ok(Array.isArray(kandidaten(text, entities.map((e) => e.value))), context);
    assert.ok(Array.isArray(kandidaten(text)), context);
    assert.equal(typeof ocrVorm(text), 'string', context);
    assert.ok(afstand(text.slice(0, 30), text.slice(5, 35), 2) <= 3, context);
    assert.equal(typeof stripStopwoorden(text), 'string', context);
    for (const fn of [personenMetLabel, personenZonderLabel, adressen, belgischeAdressen]) {
      for (const hit of fn(text)) {
        assert.ok(hit.start >= 0 && hit.end <= text.length && hit.end - hit.start === hit.value.length, context);
      }
    }
  }
});

const SIZE = 100000;
const fill = (unit) => unit.repeat(Math.ceil(SIZE / unit.length)).slice(0, SIZE);
const PATHOLOGICAL = {
  'capitalised words': fill('Karel Dekker Bouw '),
  'words in capitals after an honorific': 'DE HEER ' + fill('JANSEN '),
  'initials': fill('J.'),
  'initials with spaces': 'de heer ' + fill('J. '),
  'particles': 'mevrouw De ' + fill('van '),
  'hyphenated words': fill('Aa-'),
  'hyphenated capitals': fill('A-'),
  'dotted letters': fill('A.a.'),
  'apostrophes': fill("A'"),
  'en enumeration': 'Naam: ' + fill('Jan en '),
  'comma enumeration': 'Naam: ' + fill('Jan, '),
  'honorifics': fill('mevrouw '),
  'labels': fill('Naam:\t'),
  'closing formulas': fill('Met vriendelijke groet,\n'),
  'street lines': fill('Kerkstraat 1\n'),
  'blank runs': fill(' \u00A0'),
  'one long token': fill('abc.def%'),
  'one long capitalised token': 'Zie ' + fill('NL'),
  'hyphenated names after a letter': fill('xAa-Bb-'),
  'apostrophe capitals': fill("D'"),
  'person placeholders': fill('[PERSOON_1] van '),
  'capitalised words after an honorific': 'mevrouw ' + fill('Jan '),
  'capitalised words after a label': 'Naam: ' + fill('Piet '),
  'surnames in capitals and first names': 'Mevrouw ' + fill('JAN Jan '),
  'a row of tabs': fill('Naam\tRol\t'),
  'invisible characters in words': 'Naam: ' + fill('Jan\u00AD'),
};

test('pathological inputs of 100 000 characters return promptly', () => {
  const entities = [
    { id: 1, cat: 'PERSOON', label: 'PERSOON_1', value: 'Karel Dekker', variants: ['Karel Dekker', 'Dekker'], active: true },
    { id: 2, cat: 'EMAIL', label: 'EMAIL_1', value: 'a@dekker.nl', variants: ['a@dekker.nl'], active: true },
  ];
  const fns = {
    personenMetLabel, personenZonderLabel, adressen, belgischeAdressen,
    losseDelen: (t) => losseDelen(t, entities), bijnaNamen: (t) => bijnaNamen(t, entities), kandidaten,
  };
  for (const [name, text] of Object.entries(PATHOLOGICAL)) {
    for (const [fname, fn] of Object.entries(fns)) {
      const started = performance.now();
      fn(text);
      assert.ok(performance.now() - started < 5000, `${fname} on ${name}`);
    }
  }
});

test('pathological markdown and answers return promptly', () => {
  const entities = [{ cat: 'PERSOON', label: 'PERSOON_1', value: 'Karel' }, { cat: 'GEBDATUM', label: 'GEBDATUM_1', value: '1958' }];
  const inputs = [
    fill('>'), fill('> '), fill('*'), fill('* '), fill('**a'), fill('_'), fill('`'), fill('|'), fill('\\'),
    Array.from({ length: 400 }, (_, i) => ' '.repeat(i) + '- x').join('\n'),
    fill('- a\n  - b\n'), fill('[ '), fill('PERSOON '), fill('PERSOON_'), fill('[GEBDATUM_1] ( '),
    fill(' '), fill('\t'), fill('\u00A0'), '|' + fill(' '),
  ];
  for (const input of inputs) {
    const started = performance.now();
    markdownToHtml(input);
    markdownToPlain(input);
    markdownToTsv(input);
    restore(input, entities);
    assert.ok(performance.now() - started < 5000, input.slice(0, 20));
  }
});
