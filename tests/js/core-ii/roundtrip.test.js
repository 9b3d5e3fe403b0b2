import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { suggestVariants } from '../../../web/src/core/variants.js';
import { anonymize, buildMatcher } from '../../../web/src/core/matcher.js';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';
import { blocksToMarkdown } from '../../../web/src/core/markdown.js';

// As the page does: one entity per category and value, numbered per prefix
// (the role when there is one) in order of first appearance.
function entitiesFor(hits) {
  const byKey = new Map();
  const counters = {};
  for (const hit of hits) {
    const key = hit.cat + '\u0000' + hit.value;
    if (byKey.has(key)) continue;
    const prefix = hit.rol ?? hit.cat;
    counters[prefix] = (counters[prefix] ?? 0) + 1;
    byKey.set(key, {
      id: byKey.size + 1,
      cat: hit.cat,
      label: prefix + '_' + counters[prefix],
      value: hit.value,
      variants: suggestVariants(hit.cat, hit.value),
      active: true,
      auto: true,
    });
  }
  return [...byKey.values()];
}

const BRIEF = `Bakker Bouw B.V.
T.a.v. de heer K. van Dam
Kerkstraat 12a
1234 AB  Amsterdam

Amsterdam, 12 maart 2024

Betreft: aangifte vennootschapsbelasting, uw kenmerk 1234.56.789.H.01

Geachte heer,

Hierbij de aangifte. Het bedrag wordt afgeschreven van NL91ABNA0417164300.
Vragen? Bel 020-1234567 of mail naar info@bakkerbouw.nl.

Met vriendelijke groet,

Lotte Kramer
`;

const AANGIFTE = `Naam belastingplichtige: Pieter Bakker
Naam fiscale partner: Eva Smit
BSN: 123456782
Geboortedatum: 12-03-1958
Adres: Dorpsweg 3, 2011 AB Haarlem
Kinderen: Sem Bakker en Noor Bakker`;

const AKTE = `Erflater: Johannes Verbeek
Erfgenamen: Maria Verbeek en Thomas Verbeek
Mevrouw A. Peeters
Kouter 12
9000 Gent
België`;

const pseudonymise = (text) => {
  const entities = entitiesFor(detect(text));
  return { entities, anonymized: anonymize(text, buildMatcher(entities)) };
};

test('detect, anonymize and restore give the original text back', () => {
  for (const text of [BRIEF, AANGIFTE, AKTE]) {
    const { entities, anonymized } = pseudonymise(text);
    for (const ent of entities) assert.ok(!anonymized.includes(ent.value), ent.value + ' left in the text');
    const result = restore(anonymized, entities);
    assert.equal(segmentsToText(result.segments), text);
    assert.deepEqual(result.unknown, []);
    assert.deepEqual([...result.found].sort(), entities.map((e) => e.label).sort());
  }
});

test('the labels carry the roles and categories that detection found', () => {
  const { anonymized } = pseudonymise(AANGIFTE);
  assert.equal(anonymized, [
    'Naam belastingplichtige: [CLIENT_1]',
    'Naam fiscale partner: [PARTNER_1]',
    'BSN: [BSN_1]',
    'Geboortedatum: [GEBDATUM_1]',
    'Adres: [ADRES_1], [POSTCODE_1] [PLAATS_1]',
    'Kinderen: [KIND_1] en [KIND_2]',
  ].join('\n'));
  const akte = pseudonymise(AKTE).anonymized;
  assert.equal(akte, [
    'Erflater: [ERFLATER_1]', 'Erfgenamen: [ERFGENAAM_1] en [ERFGENAAM_2]', 'Mevrouw [PERSOON_1]',
    '[ADRES_1]', '[POSTCODE_1] [PLAATS_1]', 'België',
  ].join('\n'));
});

test('an answer with placeholders rewritten by the assistant restores all the same', () => {
  const { entities, anonymized } = pseudonymise(AANGIFTE);
  const rewrites = [
    (p, n) => `\\[${p.toLowerCase()}\\_${n}\\]`,
    (p, n) => `**${p} ${n}**`,
    (p, n) => `[ ${p}-${n} ]`,
  ];
  for (const rewrite of rewrites) {
    const answer = anonymized.replace(/\[([A-Z]+)_(\d+)\]/g, (m, p, n) => rewrite(p, n));
    const back = segmentsToText(restore(answer, entities).segments).replace(/\*\*/g, '');
    assert.equal(back, AANGIFTE, rewrite.toString());
  }
});

test('the markdown for the assistant, pseudonymised per block and whole, restores to the markdown', () => {
  const blocks = [
    { t: 'h', level: 1, text: 'Dossier Pieter Bakker' },
    { t: 'p', line: true, text: 'Naam belastingplichtige: Pieter Bakker' },
    { t: 'p', line: true, text: 'Adres: Dorpsweg 3, 2011 AB Haarlem' },
    { t: 'table', rows: [['Rekening', 'Saldo'], ['NL91 ABNA 0417 1643 00', '12.000']] },
    { t: 'li', text: 'Partner: Eva Smit' },
  ];
  const plain = blocksToMarkdown(blocks);
  const entities = entitiesFor(detect(plain));
  const matcher = buildMatcher(entities);
  const md = anonymize(blocksToMarkdown(blocks, (s) => anonymize(s, matcher)), matcher);
  assert.ok(!/Bakker|Dorpsweg|ABNA|Smit/.test(md), md);
  assert.equal(segmentsToText(restore(md, entities).segments), plain);
});

test('numbers inside longer identifiers, glued text, bracketed area codes and firm names come back exactly', () => {
  const text = [
    'BSN: 111222333IBAN: NL91ABNA0417164300',
    'Fiscaal nummer: 8794.11.375',
    'Btw-nummer: NL879411375B01, loonheffingennummer 879411375L01.',
    'Telefoon: (020) 675 44 10',
    'G. Bakker van Van Leeuwen Accountants; Sanne Bakker belde Ter Veen Holding.',
    'Femke van Leeuwen en Gerda ter Veen.',
  ].join('\n');
  const numbers = entitiesFor(detect(text).filter((h) => h.cat !== 'PERSOON'));
  const persons = entitiesFor(['G. Bakker', 'Femke van Leeuwen', 'Gerda ter Veen', 'Sanne']
    .map((value) => ({ cat: 'PERSOON', value })));
  persons.forEach((e, i) => { e.id = 100 + i; });
  const entities = [...numbers, ...persons];
  assert.deepEqual(numbers.map((e) => [e.cat, e.value]), [
    ['BSN', '111222333'], ['IBAN', 'NL91ABNA0417164300'], ['RSIN', '8794.11.375'], ['BTWNR', 'NL879411375B01'],
    ['KENMERK', '879411375L01'], ['TELEFOON', '(020) 675 44 10'],
  ]);
  const anonymized = anonymize(text, buildMatcher(entities));
  assert.equal(anonymized, [
    'BSN: [BSN_1]IBAN: [IBAN_1]',
    'Fiscaal nummer: [RSIN_1]',
    'Btw-nummer: [BTWNR_1], loonheffingennummer [KENMERK_1].',
    'Telefoon: [TELEFOON_1]',
    '[PERSOON_1] van Van Leeuwen Accountants; [PERSOON_4] Bakker belde Ter Veen Holding.',
    '[PERSOON_2] en [PERSOON_3].',
  ].join('\n'));
  assert.equal(segmentsToText(restore(anonymized, entities).segments), text);
});

test('a number written two ways is replaced both times and restores as the value of its first entity', () => {
  const text = 'Bel (038) 421 56 90 of 038 - 421 56 90.';
  const { entities, anonymized } = pseudonymise(text);
  assert.deepEqual(entities.map((e) => e.value), ['(038) 421 56 90', '038 - 421 56 90']);
  assert.equal(anonymized, 'Bel [TELEFOON_1] of [TELEFOON_1].');
  assert.equal(segmentsToText(restore(anonymized, entities).segments), 'Bel (038) 421 56 90 of (038) 421 56 90.');
});

test('short numbers are replaced where they stand as postcode or reference, never inside amounts, years or times', () => {
  const text = [
    'Kerkstraat 12 bus 4',
    '1000 Brussel',
    'Koopsom: € 1.000,00 (zegge 1000 euro), afspraak 10-00 uur.',
    'Klantnummer: 1250',
    'Bezoldigingen (code 1250): € 1.250,00',
    'Dossiernummer: 2450, voorschot € 2.450',
    'Mevrouw A. Peeters',
    'Kapelstraat 12',
    'B-2000 Antwerpen',
    'Sinds 2000 betaalt zij € 2.000 per maand; 2000 Antwerpen.',
  ].join('\n');
  const { entities, anonymized } = pseudonymise(text);
  assert.equal(anonymized, [
    '[ADRES_1]',
    '[POSTCODE_1] [PLAATS_1]',
    'Koopsom: € 1.000,00 (zegge 1000 euro), afspraak 10-00 uur.',
    'Klantnummer: [KENMERK_1]',
    'Bezoldigingen (code 1250): € 1.250,00',
    'Dossiernummer: [KENMERK_2], voorschot € 2.450',
    'Mevrouw [PERSOON_1]',
    '[ADRES_2]',
    'B-[POSTCODE_2] [PLAATS_2]',
    'Sinds 2000 betaalt zij € 2.000 per maand; [POSTCODE_2] [PLAATS_2].',
  ].join('\n'));
  assert.equal(segmentsToText(restore(anonymized, entities).segments), text);
});

test('a Belgian number found from abroad is also replaced where it is written nationally', () => {
  const text = 'GSM +32 475 12 34 56\nLater: GSM 0475/12.34.56 of 0475.12.34.56.';
  const { entities, anonymized } = pseudonymise(text);
  assert.equal(anonymized, 'GSM [TELEFOON_1]\nLater: GSM [TELEFOON_1] of [TELEFOON_1].');
  assert.equal(segmentsToText(restore(anonymized, entities).segments),
    'GSM +32 475 12 34 56\nLater: GSM +32 475 12 34 56 of +32 475 12 34 56.');
});

test('a surname that opens with its particle is replaced whole, never its last word alone', () => {
  const text = 'Geachte heer Van den Berg,\nUw buurman, de heer van den Berg, belde; Berg is zijn roepnaam niet.';
  const { entities, anonymized } = pseudonymise(text);
  assert.equal(anonymized, 'Geachte heer [PERSOON_1],\nUw buurman, de heer [PERSOON_1], belde; Berg is zijn roepnaam niet.');
  assert.equal(segmentsToText(restore(anonymized, entities).segments),
    'Geachte heer Van den Berg,\nUw buurman, de heer Van den Berg, belde; Berg is zijn roepnaam niet.');
});
