// Names found after their cue are found whole: every given name of a deed,
// Belgian surnames in capitals in either order, Flemish one-word particles;
// and a table's header row gives none. Each round trip restores the text.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { anonymize, buildMatcher } from '../../../web/src/core/matcher.js';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';
import { suggestVariants } from '../../../web/src/core/variants.js';

// Person hits as value/role, checked against their offsets.
function personen(text) {
  return detect(text).filter((h) => h.cat === 'PERSOON').map((h) => {
    assert.equal(text.slice(h.start, h.end), h.value, `offsets of ${h.value}`);
    return h.rol ? `${h.value}/${h.rol}` : h.value;
  });
}

// As the page does: an entity per hit, labelled by role or category.
function pseudonymise(text) {
  const counters = {};
  const entities = detect(text).map((h, i) => {
    const prefix = h.rol ?? h.cat;
    counters[prefix] = (counters[prefix] ?? 0) + 1;
    return {
      id: i + 1, cat: h.cat, label: `${prefix}_${counters[prefix]}`, value: h.value, variants: suggestVariants(h.cat, h.value), active: true,
    };
  });
  const uit = anonymize(text, buildMatcher(entities));
  return { uit, terug: segmentsToText(restore(uit, entities).segments) };
}

function check(cases) {
  for (const [text, expected] of cases) assert.deepEqual(personen(text), expected, JSON.stringify(text));
}

test('every given name after a title or a label belongs to the person', () => {
  check([
    ['mevrouw Maria Johanna Wilhelmina Theodora Jansen', ['Maria Johanna Wilhelmina Theodora Jansen']],
    ['de heer Johannes Petrus Maria Hendrikus van der Linden', ['Johannes Petrus Maria Hendrikus van der Linden']],
    ['Erflater: Cornelis Johannes Antonius Maria Bakker', ['Cornelis Johannes Antonius Maria Bakker/ERFLATER']],
    ['Geachte mevrouw Nour El Houda Ben Salah,', ['Nour El Houda Ben Salah']],
    ['mevrouw Jan Piet Klaas Henk Joop Kees Bakker', ['Jan Piet Klaas Henk Joop Kees Bakker']],
    // More name words in a row than a name holds are no name, not a name cut short.
    ['mevrouw Jan Piet Klaas Henk Joop Kees Gert Bakker', []],
    ['de heer K. van Dam Kerkstraat 12', ['K. van Dam']],
    // In capitals too, up to the words after the name.
    ['DE HEER JOHANNES PETRUS MARIA HENDRIKUS VAN DER LINDEN', ['JOHANNES PETRUS MARIA HENDRIKUS VAN DER LINDEN']],
    ['MEVROUW MARIA JOHANNA WILHELMINA THEODORA DE VRIES-JANSEN, wonende', ['MARIA JOHANNA WILHELMINA THEODORA DE VRIES-JANSEN']],
    ['DE HEER JAN JANSEN, WONENDE TE AMSTERDAM', ['JAN JANSEN']],
    ['MEVROUW ANNA DE VRIES EN DE HEER JAN JANSEN', ['ANNA DE VRIES', 'JAN JANSEN']],
    [`mevrouw ${'Jan '.repeat(5000)}\nNaam: ${'Piet '.repeat(5000)}`, []],
  ]);
  assert.equal(pseudonymise('Erflater: Cornelis Johannes Antonius Maria Bakker').uit, 'Erflater: [ERFLATER_1]');
  assert.equal(pseudonymise('de heer JOHANNES PETRUS MARIA HENDRIKUS VAN DER LINDEN').uit, 'de heer [PERSOON_1]');
});

test('a header row of field labels gives no person, whatever the labels; label and value pairs still do', () => {
  check([
    ['Naam\tRol\tRekening\tE-mail', []],
    ['Naam    Rol    Rekening    E-mail', []],
    ['Nr\tNaam\tRol\tFunctie', []],
    ['Naam\tJan Jansen', ['Jan Jansen']],
    ['Naam\tJansen\tVoornaam\tJan', ['Jansen', 'Jan']],
    ['Naam\tJan Jansen\tEva Smit', ['Jan Jansen']],
    ['Naam\tJan Jansen\tWoonplaats\tUtrecht', ['Jan Jansen']],
    ['Naam\tJansen\tRol\tErfgenaam', ['Jansen']],
    ['Naam\tJansen\tFunctie\tPartner', ['Jansen']],
    ['Naam\tRekening', []],
    // A label in a value's cell is a value: the cell after it is no name.
    ['Naam\tJansen\tRol\tErfgenaam\tAandeel\t50%', ['Jansen']],
    ['Naam\tJan Jansen\tRol\tErfgenaam\tRekening\tNL91ABNA0417164300', ['Jan Jansen']],
    ['Naam\tRol\tToelichting\nJan Jansen\tErfgenaam\tKrijgt de woning\nAnna Bakker\tErfgenaam\tSpaarrekening', []],
    ['Rekening\tNL91ABNA0417164300\tErfgenaam\tJan Jansen', ['Jan Jansen/ERFGENAAM']],
    ['Erfgenaam\tJan Jansen\nx\tErfgenaam: Eva Smit', ['Jan Jansen/ERFGENAAM', 'Eva Smit/ERFGENAAM']],
  ]);
});

test('after an honorific or a label a Belgian name with its surname in capitals is found whole, in either order', () => {
  check([
    ['Mevrouw DE SMET Els', ['DE SMET Els']],
    ['Mevrouw VAN DAMME Ann', ['VAN DAMME Ann']],
    ['de heer VAN DEN BROECK Patrick', ['VAN DEN BROECK Patrick']],
    ['Naam: PEETERS Marc', ['PEETERS Marc']],
    ['Werknemer: PEETERS Marc', ['PEETERS Marc']],
    ['Erflater: VERMEERSCH Roger Jozef', ['VERMEERSCH Roger Jozef/ERFLATER']],
    ['De heer PEETERS Marc', ['PEETERS Marc']],
    ['MEVROUW PEETERS Marc', ['PEETERS Marc']],
    ['mevrouw Els DE SMET', ['Els DE SMET']],
    ['op rekening van mevrouw Els DE SMET.', ['Els DE SMET']],
    ['De heer Marc VAN HOVE', ['Marc VAN HOVE']],
    // An honorific names a person, so a surname in capitals may open with its particle.
    ['De heer VAN HOVE verklaart', ['VAN HOVE']],
    ['Geachte mevrouw DE SMET,', ['DE SMET']],
    ['DHR. DE VRIES', ['DE VRIES']],
    ['Naam: Marc PEETERS', ['Marc PEETERS']],
    ['Erfgenamen: PEETERS Marc en DE SMET Els', ['PEETERS Marc/ERFGENAAM', 'DE SMET Els/ERFGENAAM']],
    // Without a cue capitals stay headings; a firm, a title or a street is no first name.
    ['DE RAAD VAN BESTUUR', []],
    ['VAN DE NOTARIS', []],
    ['T.A.V. DE VOORZITTER', []],
    ['DHR. PEETERS Kerkstraat 12', ['PEETERS']],
    ['Klant: KPN Zakelijk', []],
    ['Klant: UWV Amsterdam', []],
    ['de heer Jan Jansen BV', []],
    ['Naam: Jan Jansen RA', ['Jan Jansen']],
    // Capitals that are no surname leave the plain name before them.
    ['Naam: Jan Jansen NL', ['Jan Jansen']],
    ['de heer Jan Jansen LLM', ['Jan Jansen']],
    ['Naam: Kees Jansen SR.', ['Kees Jansen']],
    ['de heer Jan Jansen OF mevrouw Smit', ['Jan Jansen', 'Smit']],
    ['Naam: Jan Jansen TEL 0612345678', ['Jan Jansen']],
    ['Naam: Jan Jansen GEB. 12-03-1958', ['Jan Jansen']],
    ['Ontvangt de heer Bakker AOW?', ['Bakker']],
    ['mevrouw Jansen WOZ-waarde', ['Jansen']],
  ]);
});

test('a name in capitals gets its plain forms, and the round trip restores the text unchanged', () => {
  const els = ['Els De Smet', 'De Smet', 'E. De Smet', 'E De Smet'];
  assert.deepEqual(suggestVariants('PERSOON', 'DE SMET Els'), ['DE SMET Els', 'Els DE SMET', ...els]);
  assert.deepEqual(suggestVariants('PERSOON', 'Els DE SMET'), ['Els DE SMET', 'DE SMET Els', ...els]);
  assert.deepEqual(suggestVariants('PERSOON', 'VAN DEN BROECK Patrick').slice(2, 4), ['Patrick Van den Broeck', 'Van den Broeck']);
  assert.deepEqual(suggestVariants('PERSOON', "D'HONDT Jan").slice(2, 4), ["Jan D'Hondt", "D'Hondt"]);
  assert.deepEqual(suggestVariants('PERSOON', 'KAREL VAN DAM').slice(1, 3), ['Karel van Dam', 'van Dam']);
  const akte = 'Verschenen: Mevrouw DE SMET Els, wonende te Gent.\nDe Smet verklaart dat Els De Smet, Els DE SMET en DE SMET tekenen.';
  assert.equal(pseudonymise(akte).uit,
    'Verschenen: Mevrouw [PERSOON_1], wonende te [PLAATS_1].\n[PERSOON_1] verklaart dat [PERSOON_1], [PERSOON_1] en [PERSOON_1] tekenen.');
  const plain = 'Mevrouw DE SMET Els, De heer Marc VAN HOVE en Erflater: VERMEERSCH Roger Jozef.';
  assert.equal(pseudonymise(plain).terug, plain);
});

test('Flemish one-word particles stay with the surname, as "van den" does', () => {
  const cases = [
    ['Jan Vanden Berghe', ['Jan Vanden Berghe', 'Vanden Berghe', 'J. Vanden Berghe', 'J Vanden Berghe']],
    ['Jan Vander Elst', ['Jan Vander Elst', 'Vander Elst', 'J. Vander Elst', 'J Vander Elst']],
    ['Jan van den Berghe', ['Jan van den Berghe', 'van den Berghe', 'Van den Berghe', 'J. van den Berghe', 'J van den Berghe']],
    ['Jan Vandenberghe', ['Jan Vandenberghe', 'Vandenberghe', 'J. Vandenberghe', 'J Vandenberghe']],
  ];
  for (const [value, forms] of cases) assert.deepEqual(suggestVariants('PERSOON', value), forms, value);
  const text = 'Naam: Jan Vanden Berghe\nErflater: Karel Vande Velde\nVanden Berghe verklaart dat Vande Velde overleed.';
  const { uit, terug } = pseudonymise(text);
  assert.equal(uit, 'Naam: [PERSOON_1]\nErflater: [ERFLATER_1]\n[PERSOON_1] verklaart dat [ERFLATER_1] overleed.');
  assert.equal(terug, 'Naam: Jan Vanden Berghe\nErflater: Karel Vande Velde\nJan Vanden Berghe verklaart dat Karel Vande Velde overleed.');
});
