import { test } from 'node:test';
import assert from 'node:assert/strict';
import { anonymize, buildMatcher, entityFor, replaceWith } from '../../../web/src/core/matcher.js';
import { blocksToMarkdown } from '../../../web/src/core/markdown.js';
import { placeholder } from '../../../web/src/core/placeholders.js';
import { suggestVariants } from '../../../web/src/core/variants.js';

let nextId = 1;
function ent(cat, value, variants = suggestVariants(cat, value), label = `${cat}_${nextId}`) {
  return { id: nextId++, cat, label, value, variants, active: true, auto: false };
}
const anon = (text, ...entities) => anonymize(text, buildMatcher(entities));

test('text forms are found as written, in capitals and capitalised, never inside a word', () => {
  const dekker = ent('PERSOON', 'Karel Dekker', undefined, 'PERSOON_1');
  const vanDam = ent('PERSOON', 'van Dam', ['van Dam'], 'PERSOON_2');
  const cases = [
    ['Karel Dekker, KAREL DEKKER en Karel\n  Dekker', '[PERSOON_1], [PERSOON_1] en [PERSOON_1]'],
    ['dekker en Dekkers en Bouwdekker en Dekkeré', 'dekker en Dekkers en Bouwdekker en Dekkeré'],
    ['K. Dekker tekende; K Dekker ook.', '[PERSOON_1] tekende; [PERSOON_1] ook.'],
    ['van Dam, Van Dam, VAN DAM, van dam', '[PERSOON_2], [PERSOON_2], [PERSOON_2], van dam'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, dekker, vanDam), expected, text);
});

test('number forms allow one blank, dot or hyphen between characters and any letter case', () => {
  const iban = ent('IBAN', 'NL91 ABNA 0417 1643 00', undefined, 'IBAN_1');
  const tel = ent('TELEFOON', '+31 (0)20 123 4567', undefined, 'TELEFOON_1');
  const kenmerk = ent('KENMERK', 'AB-2023/0456', undefined, 'KENMERK_1');
  const cases = [
    ['NL91ABNA0417164300', '[IBAN_1]'],
    ['nl91-abna-0417-1643-00.', '[IBAN_1].'],
    ['NL91 ABNA 0417 1643 001', 'NL91 ABNA 0417 1643 001'],
    ['NL91  ABNA 0417 1643 00', 'NL91  ABNA 0417 1643 00'],
    ['XNL91ABNA0417164300', 'XNL91ABNA0417164300'],
    ['Bel +31 (0)20 123 4567 of 020-123 45 67', 'Bel [TELEFOON_1] of [TELEFOON_1]'],
    ['Bel 31 (0)20 123 4567', 'Bel 31 (0)20 123 4567'],
    ['Kenmerk AB-2023/0456 en ab 2023-0456', 'Kenmerk [KENMERK_1] en [KENMERK_1]'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, iban, tel, kenmerk), expected, text);
});

test('a form is never replaced inside a longer run of letters and digits, but glued to a word it is', () => {
  const rsin = ent('RSIN', '123456782', undefined, 'RSIN_1');
  const bsn = ent('BSN', '111222333', undefined, 'BSN_1');
  const adres = ent('ADRES', 'Kerkstraat 12', undefined, 'ADRES_1');
  const cases = [
    ['NL123456782B01 en 123456782L01', 'NL123456782B01 en 123456782L01'],
    ['NL 123456782 B01 en 123456782.L.01', 'NL [RSIN_1] B01 en [RSIN_1].L.01'],
    ['1234567823 en 0123456782', '1234567823 en 0123456782'],
    ['BSN: 111222333IBAN: NL91', 'BSN: [BSN_1]IBAN: NL91'],
    ['BSN111222333 en AB111222333C', 'BSN[BSN_1] en AB[BSN_1]C'],
    ['X1111222333 en 9AB111222333', 'X1111222333 en 9AB111222333'],
    ['Kerkstraat 12BSN: en Kerkstraat 12b en Kerkstraat 12B3', '[ADRES_1]BSN: en [ADRES_1]b en Kerkstraat 12B3'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, rsin, bsn, adres), expected, text);
  const btw = ent('BTWNR', 'NL123456782B01', undefined, 'BTWNR_1');
  assert.equal(anon('NL123456782B01 (RSIN 123456782)', rsin, btw), '[BTWNR_1] (RSIN [RSIN_1])', 'the longer number wins');
  const dekker = ent('PERSOON', 'Karel Dekker', undefined, 'PERSOON_9');
  assert.equal(anon('Karel Dekker2000 AB en Karel Dekkers', dekker), '[PERSOON_9]2000 AB en Karel Dekkers');
});

test('a number of a few digits is replaced only as written and where it stands as that number', () => {
  const postcode = ent('POSTCODE', '1000', undefined, 'POSTCODE_1');
  const klant = ent('KENMERK', '1250', undefined, 'KENMERK_1');
  const geschreven = ent('KENMERK', '24-50', undefined, 'KENMERK_2');
  const cases = [
    ['1000 Brussel, B-1000 Brussel, 1000 BRUSSEL', '[POSTCODE_1] Brussel, B-[POSTCODE_1] Brussel, [POSTCODE_1] BRUSSEL'],
    ['1000\tBrussel en 1000 \'s-Gravenwezel', '[POSTCODE_1]\tBrussel en [POSTCODE_1] \'s-Gravenwezel'],
    // Amounts, years, times and other numbers of the same digits.
    ['Koopsom: € 1.000,00 (zegge 1000 euro), afspraak 10-00 uur', 'Koopsom: € 1.000,00 (zegge 1000 euro), afspraak 10-00 uur'],
    ['Sinds 1000 woont zij hier; 1000 stuks; 1000\nBrussel; 1000 AB Amsterdam', 'Sinds 1000 woont zij hier; 1000 stuks; 1000\nBrussel; 1000 AB Amsterdam'],
    ['€ 1000 Brussel, EUR 1000 Brussel, 1000,- Brussel, 10.1000 Brussel', '€ 1000 Brussel, EUR 1000 Brussel, 1000,- Brussel, 10.1000 Brussel'],
    ['Klantnummer: 1250 (nr. 1250), klant 1250.', 'Klantnummer: [KENMERK_1] (nr. [KENMERK_1]), klant [KENMERK_1].'],
    ['€ 1.250,00, € 1250, 1250,00, 1250 EUR, 1250%, 12:50, 12.50, 1-250, 11250', '€ 1.250,00, € 1250, 1250,00, 1250 EUR, 1250%, 12:50, 12.50, 1-250, 11250'],
    ['Tel. 02 1250 33 44 en 1250 000 of 3 1250', 'Tel. 02 1250 33 44 en 1250 000 of 3 1250'],
    ['Dossier 24-50, niet 2450 of 24.50', 'Dossier [KENMERK_2], niet 2450 of 24.50'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, postcode, klant, geschreven), expected, text);
  // Longer numbers keep their separators free ("123.456.782").
  const bsn = ent('BSN', '123456782', undefined, 'BSN_1');
  assert.equal(anon('BSN 123.456.782 en 1234 56 782', bsn), 'BSN [BSN_1] en [BSN_1]');
});

test('a short number after a word that names another number is that other number', () => {
  const klant = ent('KENMERK', '1250', undefined, 'KENMERK_1');
  const relatie = ent('KENMERK', '2019', undefined, 'KENMERK_2');
  const postcode = ent('POSTCODE', '1000', undefined, 'POSTCODE_1');
  const unchanged = [
    'art. 1250 BW, Art. 1250, artikel 1250, ARTIKEL 1250, blz. 1250, p. 1250, pagina 1250',
    'Bezoldigingen (code 1250), toestel 1250, tst. 1250',
    '12 maart 2019, 30 dec. 2019, aanslagjaar 2019, Boekjaar: 2019',
    'art. 1000 Burgerlijk Wetboek',
  ];
  for (const text of unchanged) assert.equal(anon(text, klant, relatie, postcode), text);
  const cases = [
    ['Klantcode 1250, klant 1250, Personeelsnummer: 1250', 'Klantcode [KENMERK_1], klant [KENMERK_1], Personeelsnummer: [KENMERK_1]'],
    ['Relatienummer: 2019; apart 1250', 'Relatienummer: [KENMERK_2]; apart [KENMERK_1]'],
    ['art. 12, 1000 Brussel', 'art. 12, [POSTCODE_1] Brussel'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, klant, relatie, postcode), expected, text);
});

test('a currency word beside a short number makes an amount of it, a word that ends in one does not', () => {
  const klant = ent('KENMERK', '1250', undefined, 'KENMERK_1');
  const postcode = ent('POSTCODE', '1000', undefined, 'POSTCODE_1');
  const cases = [
    ['Debiteur 1250, directeur 1250, adviseur 1250', 'Debiteur [KENMERK_1], directeur [KENMERK_1], adviseur [KENMERK_1]'],
    ['1250 EURO, 1250 euros, EURO 1250, euro 1250, Euro 1250, EUR 1250, 1250 Eur', '1250 EURO, 1250 euros, EURO 1250, euro 1250, Euro 1250, EUR 1250, 1250 Eur'],
    ['zegge 1000 EURO; 1000 Brussel', 'zegge 1000 EURO; [POSTCODE_1] Brussel'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, klant, postcode), expected, text);
});

test('a short postcode is also replaced alone in its table cell, after its label and after a house number', () => {
  const postcode = ent('POSTCODE', '2000', undefined, 'POSTCODE_1');
  const plaats = ent('PLAATS', 'Antwerpen', undefined, 'PLAATS_1');
  const matcher = buildMatcher([postcode, plaats]);
  const cases = [
    ['Postcode: 2000\nGemeente: Antwerpen', 'Postcode: [POSTCODE_1]\nGemeente: [PLAATS_1]'],
    ['POSTCODE\t2000, postcode 2000', 'POSTCODE\t[POSTCODE_1], postcode [POSTCODE_1]'],
    ['Meir 24 2000 Antwerpen, bus 3 2000 Antwerpen', 'Meir 24 [POSTCODE_1] [PLAATS_1], bus 3 [POSTCODE_1] [PLAATS_1]'],
    ['2000', '[POSTCODE_1]'],
    [' B-2000 ', ' B-[POSTCODE_1] '],
    // Elsewhere four digits without their place stay a number.
    ['Totaal 2000', 'Totaal 2000'],
    ['Boekjaar: 2000', 'Boekjaar: 2000'],
    ['Postcodes 2000', 'Postcodes 2000'],
    ['Tel. 03 2000 12 34; tel. 010 414 2000 Fax', 'Tel. 03 2000 12 34; tel. 010 414 2000 Fax'],
    ['2000 stuks', '2000 stuks'],
  ];
  for (const [text, expected] of cases) assert.equal(anonymize(text, matcher), expected, text);
  // The text for the AI replaces a table cell by cell.
  const rows = [['Adres', 'Postcode', 'Plaats', 'Bedrag'], ['Meir 24', '2000', 'Antwerpen', '2.000']];
  assert.equal(blocksToMarkdown([{ t: 'table', rows }], (s) => anonymize(s, matcher)), [
    '| Adres | Postcode | Plaats | Bedrag |', '| --- | --- | --- | --- |', '| Meir 24 | [POSTCODE_1] | [PLAATS_1] | 2.000 |',
  ].join('\n'));
});

test('a phone number is also found with the slash of a Belgian zone', () => {
  const gsm = ent('TELEFOON', '+32 475 12 34 56', undefined, 'TELEFOON_1');
  const text = 'GSM +32 475 12 34 56, 0475/12.34.56, 0475.12.34.56, 0475/12 34 56 of 0475/123456.';
  assert.equal(anon(text, gsm), 'GSM [TELEFOON_1], [TELEFOON_1], [TELEFOON_1], [TELEFOON_1] of [TELEFOON_1].');
  const ref = ent('KENMERK', '0475123456', undefined, 'KENMERK_1');
  assert.equal(anon('Ref. 0475/123456', ref), 'Ref. 0475/123456', 'other numbers keep to blanks, dots and hyphens');
});

test('a number written with its opening parenthesis is replaced with it', () => {
  const tel = ent('TELEFOON', '(020) 675 44 10', undefined, 'TELEFOON_1');
  const cases = [
    ['Bel (020) 675 44 10.', 'Bel [TELEFOON_1].'],
    ['Bel 020 675 44 10 of 020-6754410', 'Bel [TELEFOON_1] of [TELEFOON_1]'],
    ['x(020) 675 44 10', 'x([TELEFOON_1]'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, tel), expected, text);
});

test('a surname alone is left where a firm word follows or another first name precedes it', () => {
  const femke = ent('PERSOON', 'Femke van Leeuwen', undefined, 'PERSOON_1');
  const gerda = ent('PERSOON', 'Gerda ter Veen', undefined, 'PERSOON_2');
  const bakker = ent('PERSOON', 'G. Bakker', undefined, 'PERSOON_3');
  const sanne = ent('PERSOON', 'Sanne', undefined, 'PERSOON_4');
  const cases = [
    ['Van Leeuwen Accountants en Van Leeuwen B.V.', 'Van Leeuwen Accountants en Van Leeuwen B.V.'],
    // A trade word before the surname is an ordinary word, no first name.
    ['Bloemenhandel Ter Veen en Ter Veen Holding', 'Bloemenhandel [PERSOON_2] en Ter Veen Holding'],
    ['Sanne Bakker belde.', '[PERSOON_4] Bakker belde.'],
    ['[PERSOON_4] Bakker belde.', '[PERSOON_4] Bakker belde.'],
    ['Mevrouw Ter Veen, de heer Bakker en Van Leeuwen zelf.', 'Mevrouw [PERSOON_2], de heer [PERSOON_3] en [PERSOON_1] zelf.'],
    ['Volgens Bakker. Femke van Leeuwen Accountants', 'Volgens [PERSOON_3]. [PERSOON_1] Accountants'],
    // Words that open a sentence or a note are no other first name.
    ['Gisteren Bakker gebeld. Maandag Bakker gesproken.', 'Gisteren [PERSOON_3] gebeld. Maandag [PERSOON_3] gesproken.'],
    ['Zowel Ter Veen als Bakker. Mw Bakker en Dhr Van Leeuwen.', 'Zowel [PERSOON_2] als [PERSOON_3]. Mw [PERSOON_3] en Dhr [PERSOON_1].'],
    ['Dossier Bakker, Januari Bakker, Vandaag Van Leeuwen', 'Dossier [PERSOON_3], Januari [PERSOON_3], Vandaag [PERSOON_1]'],
    ['Kan Bakker schenken? Heeft Van Leeuwen getekend? Meneer Bakker, Mijn Bakker', 'Kan [PERSOON_3] schenken? Heeft [PERSOON_1] getekend? Meneer [PERSOON_3], Mijn [PERSOON_3]'],
  ];
  for (const [text, expected] of cases) assert.equal(anon(text, femke, gerda, bakker, sanne), expected, text);
  const geweigerd = new Set();
  anonymize('Sanne Bakker en Van Leeuwen Accountants', buildMatcher([femke, bakker, sanne]), null, { geweigerd });
  assert.deepEqual([...geweigerd], ['Sanne Bakker', 'Van Leeuwen Accountants']);
});

test('the longest form wins where several start, and a shared form goes to the earlier entity', () => {
  const bouw = ent('BEDRIJF', 'Van Dam Bouw', undefined, 'BEDRIJF_1');
  const dam = ent('PERSOON', 'Karel van Dam', undefined, 'PERSOON_1');
  assert.equal(anon('Van Dam Bouw en Van Dam', dam, bouw), '[BEDRIJF_1] en [PERSOON_1]');
  const eerste = ent('PERSOON', 'Lotte Dekker', undefined, 'PERSOON_2');
  const tweede = ent('PERSOON', 'Karel Dekker', undefined, 'PERSOON_3');
  assert.equal(anon('Dekker', eerste, tweede), '[PERSOON_2]');
  const ref = ent('KENMERK', '123456782', undefined, 'KENMERK_1');
  const rsin = ent('RSIN', '123456782', undefined, 'RSIN_2');
  assert.equal(anon('123456782', ref, rsin), '[KENMERK_1]', 'one key across categories');
});

test('every written form of a number is searched, also where another form or entity holds its key', () => {
  const haakjes = ent('TELEFOON', '(038) 421 56 90', undefined, 'TELEFOON_1');
  const streep = ent('TELEFOON', '038 - 421 56 90', undefined, 'TELEFOON_2');
  const beide = ent('TELEFOON', '(038) 421 56 90', ['(038) 421 56 90', '038 - 421 56 90'], 'TELEFOON_3');
  const text = 'Bel (038) 421 56 90 of 038 - 421 56 90.';
  assert.equal(anon(text, haakjes, streep), 'Bel [TELEFOON_1] of [TELEFOON_1].');
  assert.equal(anon(text, streep, haakjes), 'Bel [TELEFOON_2] of [TELEFOON_2].');
  assert.equal(anon(text, beide), 'Bel [TELEFOON_3] of [TELEFOON_3].');
  assert.equal(buildMatcher([haakjes, streep]).lookup.get('N:0384215690'), haakjes, 'the first entity keeps the key');
});

test('replaceWith counts per entity and leaves text without matches untouched', () => {
  const a = ent('PERSOON', 'Karel Dekker');
  const b = ent('EMAIL', 'k.dekker@voorbeeld.nl');
  const matcher = buildMatcher([a, b, { ...ent('PERSOON', 'Jan Bos'), active: false }]);
  const counts = {};
  const text = 'Karel Dekker (k.dekker@voorbeeld.nl) schreef Dekker en Jan Bos.';
  assert.equal(replaceWith(text, matcher, (e, m) => `<${e.id}:${m}>`, counts),
    `<${a.id}:Karel Dekker> (<${b.id}:k.dekker@voorbeeld.nl>) schreef <${a.id}:Dekker> en Jan Bos.`);
  assert.deepEqual(counts, { [a.id]: 2, [b.id]: 1 });
  const untouched = {};
  assert.equal(replaceWith('Niets te vinden.', matcher, () => 'x', untouched), 'Niets te vinden.');
  assert.deepEqual(untouched, {});
  assert.equal(replaceWith('$& en $1', buildMatcher([ent('OVERIG', 'en')]), () => '$&'), '$& $& $1');
});

test('no matcher without active usable forms, and then text passes unchanged', () => {
  assert.equal(buildMatcher([]), null);
  assert.equal(buildMatcher([{ ...ent('PERSOON', 'Karel'), active: false }]), null);
  assert.equal(buildMatcher([ent('IBAN', '--', ['--']), ent('PERSOON', ' ', [' '])]), null);
  assert.equal(anonymize('Karel Dekker', null), 'Karel Dekker');
  assert.equal(anonymize('', buildMatcher([ent('PERSOON', 'Karel')])), '');
});

test('placeholders carry the birth year only for a date of birth with the option on', () => {
  const geb = { cat: 'GEBDATUM', label: 'GEBDATUM_1', value: '12-03-1958' };
  const cases = [
    [geb, { geboortejaar: true }, '[GEBDATUM_1 (1958)]'],
    [geb, { geboortejaar: false }, '[GEBDATUM_1]'],
    [geb, undefined, '[GEBDATUM_1]'],
    [{ ...geb, value: '12 maart 1958 (ca. 2001)' }, { geboortejaar: true }, '[GEBDATUM_1 (2001)]'],
    [{ ...geb, value: '12-03-58' }, { geboortejaar: true }, '[GEBDATUM_1]'],
    [{ ...geb, value: '12-03-19581' }, { geboortejaar: true }, '[GEBDATUM_1]'],
    [{ cat: 'OVERIG', label: 'OVERIG_1', value: '1958' }, { geboortejaar: true }, '[OVERIG_1]'],
    [{ cat: 'PERSOON', label: 'PARTNER_2', value: 'Lotte' }, undefined, '[PARTNER_2]'],
  ];
  for (const [e, opties, expected] of cases) assert.equal(placeholder(e, opties), expected);
  const matcher = buildMatcher([{ ...geb, id: 1, variants: ['12-03-1958'], active: true }]);
  assert.equal(anonymize('geboren 12-03-1958', matcher, undefined, { geboortejaar: true }), 'geboren [GEBDATUM_1 (1958)]');
});

// The fast search must give exactly what the one alternation gives.
test('replacement equals the single expression on varied texts and entity lists', () => {
  let seed = 42;
  const rnd = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
  const pick = (list) => list[rnd(list.length)];
  const values = [
    ['PERSOON', 'Karel van Dam'], ['PERSOON', 'Lotte Dekker'], ['PERSOON', 'KAREL DEKKER'], ['PERSOON', 'Ærø Ådne'],
    ['PERSOON', 'Anna-Maria de Wit'], ['BEDRIJF', 'Dekker Bouw B.V.'], ['PLAATS', "'s-Hertogenbosch"],
    ['BSN', '111222333'], ['RSIN', '123456782'], ['IBAN', 'NL91 ABNA 0417 1643 00'], ['TELEFOON', '06 12345678'],
    ['TELEFOON', '+31 (0)20 123 4567'], ['KENMERK', 'AB-2023/0456'], ['POSTCODE', '1234 AB'],
    ['OVERIG', '\u{1D49C}bc'], ['OVERIG', 'a'], ['OVERIG', '(x)'], ['TELEFOON', '(020) 675 44 10'], ['TELEFOON', '020 - 675 44 10'], ['PERSOON', 'G. Bakker'], ['KENTEKEN', 'X'], ['OVERIG', ' \u00A0spatie '],
    ['POSTCODE', '1000'], ['KENMERK', '1250'], ['KENMERK', '12-50'], ['TELEFOON', '+32 475 12 34 56'], ['POSTCODE', '(1000)'],
  ];
  const pieces = [
    'Karel', 'van', 'Dam', 'Van', 'DAM', 'Dekker', 'DEKKER', 'Lotte', 'K.', 'K', 'de', 'Wit', 'Anna-Maria', 'Ærø',
    'Ådne', 'Bouw', 'B.V.', 'BV', "'s-Hertogenbosch", 'NL', '111222333', '123456782', 'B01', 'L01', 'NL91', 'abna',
    '0417', '1643', '00', '06', '12345678', '+31', '(0)20', '123', '4567', 'AB-2023/0456', '1234', 'AB', 'ab',
    '\u{1D49C}bc', 'a', '(x)', 'x', 'X', ' ', '  ', '\n', '\u00A0', '-', '.', ',', '\uD800', 'é', 'spatie',
    '2023/0456', '2023', '/', '0456', '(0)', '20', '\t', '12 34', 'Nl91', '+', '+3120', '(020)', '675', '44', '10',
    'Bakker', 'Accountants', 'B.V.', 'Sanne', '[PERSOON_1]', '111222333IBAN', 'NL123456782B01',
    '1000', '1.000,00', '€', 'euro', 'Brussel', 'BRUSSEL', '10-00', '1250', '12:50', '12-50', ',-', 'B-1000', '0475/12.34.56', '%',
    'Postcode:', 'postcode', '24',
  ];
  for (let round = 0; round < 300; round++) {
    const entities = Array.from({ length: 1 + rnd(values.length) }, () => {
      const [cat, value] = pick(values);
      return ent(cat, value);
    });
    const matcher = buildMatcher(entities);
    for (let t = 0; t < 5; t++) {
      let text = '';
      for (let i = 0; i < 40; i++) text += pick(pieces) + (rnd(3) ? ' ' : '');
      const expected = text.replace(matcher.re, (m) => `[${entityFor(matcher, m).label}]`);
      assert.equal(anonymize(text, matcher), expected, JSON.stringify(text));
    }
    // A value can depend on the text around it ending: a table cell.
    const cell = pick([' ', '']) + pick(pieces) + pick([' ', '', '\t']);
    assert.equal(anonymize(cell, matcher), cell.replace(matcher.re, (m) => `[${entityFor(matcher, m).label}]`), JSON.stringify(cell));
  }
});
