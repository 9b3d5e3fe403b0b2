// The text for the AI, the leak check and the report for the client's file.
import assert from 'node:assert/strict';
import { beforeEach, describe, test } from 'node:test';
import { fakeDocument, freshSession } from './helpers.js';
import { controle, controleVan } from '../../../web/src/app/ai/controle.js';
import { ookVervangen } from '../../../web/src/app/ai/herstellen.js';
import { aiTekst, teKopieren } from '../../../web/src/app/ai/tekst.js';
import { verslag } from '../../../web/src/app/ai/verslag.js';
import { scan, voegToe } from '../../../web/src/app/entities.js';
import { K } from '../../../web/src/app/kantoorlijst.js';
import { vergeetMatchers } from '../../../web/src/app/matchers.js';
import { S } from '../../../web/src/app/session.js';

const para = (text, line = false) => ({ t: 'p', text, line });
const doc = (id, name, blocks) => ({ id, name, blocks, warn: [], info: '' });

beforeEach(() => {
  freshSession();
  vergeetMatchers();
  K.altijd = [];
  K.nooit = [];
  globalThis.ANON_STATUS = null;
});

describe('aiTekst', () => {
  test('all documents get a numbered, pseudonymised separator line; one document gets none', () => {
    const jan = voegToe('PERSOON', 'Jan de Vries', false);
    S.docs.push(doc('d1', 'Brief Jan de Vries', [para('Geachte Jan de Vries,')]), doc('d2', 'Notitie', [para('Niets.')]));
    const alle = aiTekst('alle');
    assert.equal(alle.tekst, '=== Document 1: Brief [PERSOON_1] ===\n\nGeachte [PERSOON_1],\n\n=== Document 2: Notitie ===\n\nNiets.');
    assert.equal(alle.counts[jan.id], 2);
    assert.equal(aiTekst('d2').tekst, 'Niets.');
  });

  test('a number split over two lines is replaced by the pass over the whole text and counted once', () => {
    const iban = voegToe('IBAN', 'NL91ABNA0417164300', false);
    S.docs.push(doc('d1', 'Scan', [para('Rekening NL91 ABNA', true), para('0417 1643 00 graag.', true)]));
    const { tekst, counts } = aiTekst('d1');
    assert.equal(tekst, 'Rekening [IBAN_1] graag.');
    assert.equal(counts[iban.id], 1);
  });

  test('the pass over the whole text leaves the placeholders alone', () => {
    const jan = voegToe('PERSOON', 'Jan Persoon', false);
    voegToe('GEBDATUM', '12-03-1958', false);
    voegToe('OVERIG', '1958', false);
    S.geboortejaar = true;
    S.docs.push(doc('d1', 'x', [para('Jan Persoon, geboren 12-03-1958. Persoon belt in 1958.')]));
    const { tekst, counts } = aiTekst('d1');
    assert.equal(tekst, '[PERSOON_1], geboren [GEBDATUM_1 (1958)]. [PERSOON_1] belt in [OVERIG_1].');
    assert.equal(counts[jan.id], 2);
  });

  test('the birth-year option keeps the year inside the placeholder', () => {
    voegToe('GEBDATUM', '12-03-1958', false);
    S.docs.push(doc('d1', 'x', [para('Geboren 12-03-1958.')]));
    S.geboortejaar = true;
    assert.equal(aiTekst('d1').tekst, 'Geboren [GEBDATUM_1 (1958)].');
  });

  test('a number found in two written forms is one entity that replaces both', () => {
    S.docs.push(doc('d1', 'x', [para('Bel (038) 421 56 90 of 038 - 421 56 90.')]));
    scan(S.docs);
    assert.deepEqual(S.ents.map((e) => [e.label, e.variants]), [
      ['TELEFOON_1', ['(038) 421 56 90', '+31384215690', '038 - 421 56 90']],
    ]);
    const { tekst, counts } = aiTekst('d1');
    assert.equal(tekst, 'Bel [TELEFOON_1] of [TELEFOON_1].');
    assert.equal(counts[S.ents[0].id], 2);
    assert.equal(controle(tekst).rest, 0);
  });
});

describe('controle', () => {
  test('a missed number and a name added after the scan are reported, once each', () => {
    const c = controle('IBAN NL91ABNA0417164300 en NL91ABNA0417164300. Daarna belde Pieter Hendriksen.');
    assert.deepEqual(c.uniekRest.map((h) => h.cat), ['IBAN']);
    assert.deepEqual(c.kand, ['Pieter Hendriksen']);
    assert.equal(c.rest, 1);
  });

  test('a switched-off value and an office-list "nooit" term count nowhere', () => {
    S.docs.push(doc('d1', 'x', [para('Jan de Vries en Karel Appel, IBAN NL91ABNA0417164300.')]));
    scan(S.docs);
    for (const e of S.ents) e.active = false;
    K.nooit = ['Karel Appel'];
    const c = controle('Jan de Vries en Karel Appel, IBAN NL91ABNA0417164300. Vries belde.');
    assert.deepEqual([c.rest, c.aantalLos, c.aantalKand], [0, 0, 0]);
  });

  test('a loose surname is reported with its entity, unless it is a word of a shown candidate', () => {
    const jan = voegToe('PERSOON', 'Jan Hendriksen', false);
    assert.deepEqual(controle('Hendriksen belde.').los.map((l) => [l.ent, l.deel]), [[jan, 'Hendriksen']]);
    const c = controle('Pieter Hendriksen belde.');
    assert.deepEqual(c.kand, ['Pieter Hendriksen']);
    assert.deepEqual(c.los, []);
  });

  test('a loose part that is a word of any candidate, shown or not, belongs to that candidate', () => {
    const klanten = ['Anna Smit', 'Bert Jansen', 'Cor Visser', 'Daan Mulder', 'Eva Bos', 'Fleur Peters', 'Gijs Kok',
      'Hanna Vos', 'Ivo Post', 'Joke Meijer', 'Kees Brouwer', 'Lies Jacobs', 'Mark Willems', 'Nina Hendriks', 'Olga Smits',
      'Paul de Graaf'];
    const bouw = voegToe('BEDRIJF', 'Kuipers Bouw B.V.', false);
    const sanne = voegToe('PERSOON', 'Sanne Maria Verbeek', false);
    S.docs.push(doc('d1', 'Klantenlijst', [
      ...klanten.map((k) => para(k, true)),
      para('Sanne Dekker', true),
      para('Bespreking met Ruud Kuipers over Kuipers Bouw B.V. en Sanne Maria Verbeek. Maria belde.'),
    ]));
    const c = controleVan(aiTekst('d1'));
    assert.deepEqual(c.kand, klanten.slice(0, 15));
    assert.deepEqual(c.los.map((l) => [l.ent, l.deel]), [[sanne, 'Maria']]);
    // "Ook vervangen" takes the part that is loose and leaves the other names whole.
    ookVervangen(c.los);
    vergeetMatchers();
    const { tekst } = aiTekst('d1');
    assert.match(tekst, /^Sanne Dekker$/m);
    assert.match(tekst, /Bespreking met Ruud Kuipers over \[BEDRIJF_1\] en \[PERSOON_1\]\. \[PERSOON_1\] belde\.$/);
    // Where no candidate holds them, the same parts are still loose parts.
    const los = controle('Kuipers belde; Sanne ook.').los.map((l) => [l.ent, l.deel]);
    assert.deepEqual(los, [[bouw, 'Kuipers'], [sanne, 'Sanne']]);
  });

  test('a part of a candidate\'s double surname belongs to that candidate too', () => {
    voegToe('BEDRIJF', 'Kuipers Bouw B.V.', false);
    S.docs.push(doc('d1', 'Notitie', [para('Bespreking met Ruud Kuipers-Jansen over Kuipers Bouw B.V.')]));
    const c = controleVan(aiTekst('d1'));
    assert.deepEqual([c.kand, c.los], [['Ruud Kuipers-Jansen'], []]);
    ookVervangen(c.los);
    vergeetMatchers();
    assert.equal(aiTekst('d1').tekst, 'Bespreking met Ruud Kuipers-Jansen over [BEDRIJF_1]');
  });

  test('a loose part is found as a whole word only, in capitals too, with diacritics and hyphens', () => {
    voegToe('PERSOON', 'Zoë Karaçay-Hendriks', false);
    const delen = (t) => controle(t).los.map((l) => l.deel);
    assert.deepEqual(delen('KARAÇAY belde, en Zoë ook.'), ['Zoë', 'Karaçay']);
    assert.deepEqual(delen('Karaçays en Zoëtje en xHendriks'), []);
    assert.deepEqual(delen('zie Karaçay-Hendriks.'), ['Karaçay-Hendriks', 'Karaçay', 'Hendriks']);
  });

  test('placeholders themselves are never leftovers', () => {
    voegToe('KENTEKEN', '12-ABC-3', false);
    assert.equal(controle('[KENTEKEN_1] en [PERSOON_1]').rest, 0);
  });
});

describe('what is copied', () => {
  test('the instruction is replaced like the text and checked with it', () => {
    voegToe('PERSOON', 'Kees Visser', false);
    S.docs.push(doc('d1', 'Notitie', [para('Kees Visser belde.')]));
    S.instructie = '  Vraag over Kees Visser, BSN 123456782.\n';
    const ai = aiTekst('d1');
    assert.equal(teKopieren(ai, true), 'Vraag over [PERSOON_1], BSN 123456782.\n\n---\n\n[PERSOON_1] belde.');
    assert.equal(teKopieren(ai, false), '[PERSOON_1] belde.');
    assert.deepEqual(controleVan(ai).uniekRest.map((h) => [h.cat, h.value]), [['BSN', '123456782']]);
  });

  test('document names are checked in any case, known names in another case in the text too', () => {
    voegToe('PERSOON', 'Kees Visser', false);
    S.docs.push(doc('d1', 'aangifte visser 2023', [para('Gesprek met kees visser.')]), doc('d2', 'Notitie', [para('Niets.')]));
    const c = controleVan(aiTekst('alle'));
    assert.deepEqual(c.uniekRest.map((h) => [h.cat, h.value]), [['PERSOON', 'kees visser'], ['PERSOON', 'visser']]);
  });

  test('a surname the replacement left after another first name is offered as a candidate', () => {
    voegToe('PERSOON', 'G. Bakker', false);
    S.docs.push(doc('d1', 'Notitie', [para('Sanne Bakker belde G. Bakker.')]));
    const ai = aiTekst('d1');
    assert.equal(ai.tekst, 'Sanne Bakker belde [PERSOON_1].');
    assert.deepEqual(controleVan(ai).kand, ['Sanne Bakker']);
  });
});

describe('verslag', () => {
  const setup = () => {
    const el = fakeDocument();
    el.textContent = 'v1.3.0';
    S.dossier = 'Jansen Holding 2025';
    S.docs.push(doc('d1', 'Aangifte Jansen', [para('Jan Jansen, BSN 111222333, IBAN NL91ABNA0417164300, mail jan@jansenholding.nl.')]));
    scan(S.docs);
    voegToe('PERSOON', 'Els Bakker', false).active = false;
  };

  test('holds counts, version and edition, and no value, placeholder, file name or dossier name', () => {
    setup();
    const tekst = verslag(new Date(2026, 0, 5, 9, 7));
    assert.match(tekst, /^Hulpmiddel: {8}Drovel Verhulzen v1\.3\.0 \(online versie, verwerking in de browser\)$/m);
    assert.match(tekst, /^Datum: {13}05-01-2026 09:07$/m);
    assert.match(tekst, /^ {2}IBAN: {15}1 gegeven, 1 keer$/m);
    assert.match(tekst, /^Bewust niet vervangen: Persoon 1$/m);
    const geheim = [S.dossier, 'Aangifte Jansen', 'Jansen', 'jansenholding', '[', ...S.ents.flatMap((e) => [e.label, ...e.variants])];
    for (const g of geheim) assert.ok(!tekst.includes(g), `report holds ${g}`);
  });

  test('the desktop edition names its version from the status object', () => {
    setup();
    globalThis.ANON_STATUS = { versie: '1.4.0', store: true };
    assert.match(verslag(), /Drovel Verhulzen v1\.4\.0 \(Windows-app, Microsoft Store\)$/m);
  });

  test('nothing replaced gives "(geen)", "geen" and the clean check line', () => {
    fakeDocument();
    S.docs.push(doc('d1', 'x', [para('Een tekst zonder gegevens.')]));
    const regels = verslag().split('\n');
    assert.equal(regels[regels.indexOf('Vervangen door placeholders (soort: aantal gegevens, aantal keer in de tekst):') + 1], '  (geen)');
    assert.ok(regels.includes('Bewust niet vervangen: geen'));
    assert.ok(regels.includes('Controle vóór kopiëren: geen herkenbare gegevens meer gevonden'));
  });
});
