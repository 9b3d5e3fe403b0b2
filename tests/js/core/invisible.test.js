// A soft hyphen or a zero-width character inside a name belongs to the word,
// in detection and in matching: the value found across it is replaced whole
// and restores byte for byte; numbers are found and replaced as before.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { detect } from '../../../web/src/core/detect.js';
import { anonymize, buildMatcher, replaceWith } from '../../../web/src/core/matcher.js';
import { normText } from '../../../web/src/core/normalise.js';
import { restore, segmentsToText } from '../../../web/src/core/restore.js';
import { dedupe, suggestVariants } from '../../../web/src/core/variants.js';

const SHY = '\u00AD';
const ZWSP = '\u200B';

function entities(hits) {
  return hits.map((h, i) => ({
    id: i + 1, cat: h.cat, label: `${h.rol ?? h.cat}_${i + 1}`, value: h.value, variants: suggestVariants(h.cat, h.value), active: true,
  }));
}

test('a name written across an invisible character is found whole and restores byte for byte', () => {
  const cases = [
    [`Geachte mevrouw Schoon${SHY}hoven,`, `Schoon${SHY}hoven`, 'Geachte mevrouw [PERSOON_1],'],
    [`Naam: Jan Kui${SHY}pers`, `Jan Kui${SHY}pers`, 'Naam: [PERSOON_1]'],
    [`Geachte heer Jan${ZWSP}Jansen,`, `Jan${ZWSP}Jansen`, 'Geachte heer [PERSOON_1],'],
    ['Geachte heer Jan\uFEFFJansen,', 'Jan\uFEFFJansen', 'Geachte heer [PERSOON_1],'],
    [`Beste An\u2060ne\u200Cke,`, 'An\u2060ne\u200Cke', 'Beste [PERSOON_1],'],
    // Beside a blank it joins no word, and the name is found whole around it.
    [`Geachte heer Jan${ZWSP} Jansen,`, `Jan${ZWSP} Jansen`, 'Geachte heer [PERSOON_1],'],
    [`Geachte heer ${ZWSP}Jan Jansen${SHY},`, 'Jan Jansen', `Geachte heer ${ZWSP}[PERSOON_1]${SHY},`],
    [`Naam: Jan \uFEFFKui${SHY}pers`, `Jan \uFEFFKui${SHY}pers`, 'Naam: [PERSOON_1]'],
  ];
  for (const [text, value, uit] of cases) {
    const hits = detect(text).filter((h) => h.cat === 'PERSOON');
    assert.deepEqual(hits.map((h) => [h.value, text.slice(h.start, h.end)]), [[value, value]], text);
    const ents = entities(hits);
    assert.equal(normText(value), value, 'the value keeps what the text has');
    const anon = anonymize(text, buildMatcher(ents));
    assert.equal(anon, uit, text);
    assert.equal(segmentsToText(restore(anon, ents).segments), text);
  }
});

test('the matcher reads through invisible characters, in a form and in the text, never into a longer word', () => {
  const schoon = entities([{ cat: 'PERSOON', value: 'Jan Kuipers' }]);
  const zacht = entities([{ cat: 'PERSOON', value: `Jan Kui${SHY}pers` }]);
  const vraag = `Mag Jan Kui${SHY}pers schenken? Kui${ZWSP}pers, Kuipers en Kuipers${SHY}s.`;
  const uit = `Mag [PERSOON_1] schenken? [PERSOON_1], [PERSOON_1] en Kuipers${SHY}s.`;
  assert.equal(anonymize(vraag, buildMatcher(schoon)), uit);
  assert.equal(anonymize(vraag, buildMatcher(zacht)), uit);
  assert.equal(anonymize(`Jan Kuipers${SHY}`, buildMatcher(schoon)), `[PERSOON_1]${SHY}`, 'one after the form stays outside it');
});

test('number categories keep their detection and replacement, also with an invisible separator', () => {
  const text = `IBAN NL91${ZWSP}ABNA 0417 1643 00, BSN 111 222 333, tel. 06${SHY}12345678 en 020\uFEFF1234567.`;
  const hits = detect(text);
  assert.deepEqual(hits.map((h) => [h.cat, h.value]), [
    ['IBAN', `NL91${ZWSP}ABNA 0417 1643 00`], ['BSN', '111 222 333'], ['TELEFOON', `06${SHY}12345678`], ['TELEFOON', '020\uFEFF1234567'],
  ]);
  const ents = entities(hits);
  const anon = anonymize(`${text} Nogmaals NL91ABNA0417164300, 0612345678 en 111222333.`, buildMatcher(ents));
  assert.equal(anon, 'IBAN [IBAN_1], BSN [BSN_2], tel. [TELEFOON_3] en [TELEFOON_4]. Nogmaals [IBAN_1], [TELEFOON_3] en [BSN_2].');
});

// A number marked across an invisible character is still that number: the
// matcher reads the text without it, so a form must be searched so too, a
// short one as much as a long one.
test('a number form holding an invisible character is found where the number stands', () => {
  const klant = { id: 1, cat: 'KENMERK', label: 'KENMERK_1', value: `12${SHY}50`, variants: [`12${SHY}50`], active: true };
  const postcode = { id: 2, cat: 'POSTCODE', label: 'POSTCODE_2', value: `10${ZWSP}00`, variants: [`10${ZWSP}00`], active: true };
  const iban = { id: 3, cat: 'IBAN', label: 'IBAN_3', value: `NL91${SHY}ABNA 0417 1643 00`, variants: [`NL91${SHY}ABNA 0417 1643 00`], active: true };
  const matcher = buildMatcher([klant, postcode, iban]);
  const text = `Klantnummer: 12${SHY}50, later 1250; € 12${SHY}50,00 en 12.50. 10${ZWSP}00 Brussel, 1000 Brussel, € 1.000. NL91ABNA0417164300`;
  const anon = anonymize(text, matcher);
  assert.equal(anon, 'Klantnummer: [KENMERK_1], later [KENMERK_1]; '
    + `€ 12${SHY}50,00 en 12.50. [POSTCODE_2] Brussel, [POSTCODE_2] Brussel, € 1.000. [IBAN_3]`);
  assert.equal(segmentsToText(restore(anon, [klant, postcode, iban]).segments),
    text.replace('later 1250', `later 12${SHY}50`).replace('1000 Brussel', `10${ZWSP}00 Brussel`).replace('NL91ABNA0417164300', iban.value));
  assert.deepEqual(dedupe('KENMERK', [`12${SHY}50`, '1250', '12-50']), [`12${SHY}50`, '12-50'], 'one form, as it is searched');
  assert.deepEqual(dedupe('TELEFOON', [`06${SHY}12345678`, '0612345678']), [`06${SHY}12345678`]);
});

// The matcher reads the text without invisible characters, so detection
// gives only what stands free there: a value cut off at an invisible
// character inside a word ("Kor" of "Kor&shy;trijk") could be replaced
// nowhere it was found, and elsewhere only as a stray piece of a word.
test('detection gives only values that the matcher replaces whole where they stand', () => {
  const cases = [
    [`wonende te 8500 Kor${SHY}trijk.`, ['POSTCODE 8500']],
    [`de heer Jan KUI${SHY}PERS`, []],
    [`Kenteken: 1-ABC-23${ZWSP}4`, []],
    [`Zetel: Aven\uFEFFue Louise 54, 1050 Ixelles`, []],
    [`Mevrouw BAK\u200CKER Marc`, []],
    [`wonende te 8500 Kortrijk${SHY}.`, ['POSTCODE 8500', 'PLAATS Kortrijk']],
    [`Kenteken: 1-ABC-234${ZWSP}`, ['KENTEKEN 1-ABC-234']],
    [`de heer Jan KUIPERS${SHY}`, ['PERSOON Jan KUIPERS']],
    [`Naam: Jan Kui${SHY}pers, wonende te Kortrijk`, [`PERSOON Jan Kui${SHY}pers`, 'PLAATS Kortrijk']],
    [`Naam: Jan${ZWSP} Kuipers, wonende te ${ZWSP}Kortrijk`, [`PERSOON Jan${ZWSP} Kuipers`, 'PLAATS Kortrijk']],
  ];
  for (const [text, expected] of cases) {
    const hits = detect(text);
    assert.deepEqual(hits.map((h) => `${h.cat} ${h.value}`), expected, text);
    const replaced = [];
    replaceWith(text, buildMatcher(entities(hits)), (e, m, at) => replaced.push(`${at}:${m}`));
    assert.deepEqual(replaced, hits.map((h) => `${h.start}:${text.slice(h.start, h.end)}`), text);
  }
});
