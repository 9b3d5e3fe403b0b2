import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import './helpers.js';
import { b64, unb64 } from '../../../web/src/app/sleutel/base64.js';
import { alsBestand, bestandsnaam, leesSleutelbestand, sleutelCounters, sleutelEntries, sleutelInhoud } from '../../../web/src/app/sleutel/bestand.js';
import { ontsleutel, versleutel } from '../../../web/src/app/sleutel/envelope.js';

const NU = new Date(Date.UTC(2026, 11, 10, 9, 5, 3, 7));
const SESSIE = {
  dossier: 'Jansen / Dekker',
  counters: { PERSOON: 2, PARTNER: 1 },
  ents: [
    { id: 4, cat: 'PERSOON', label: 'PERSOON_2', value: 'Jan Jansen', variants: ['Jan Jansen', 'J. Jansen'], active: true, auto: true },
    { id: 9, cat: 'PERSOON', label: 'PARTNER_1', value: 'Eva Dekker', variants: ['Eva Dekker'], active: false, auto: false },
  ],
};

describe('the plain key file', () => {
  test('members in their order, entities without id and automatic flag, one space of indent', () => {
    const inhoud = sleutelInhoud(SESSIE, NU);
    assert.deepEqual(Object.keys(inhoud), ['type', 'versie', 'dossier', 'opgeslagen', 'counters', 'entiteiten']);
    assert.equal(inhoud.opgeslagen, '2026-12-10T09:05:03.007Z');
    assert.deepEqual(inhoud.entiteiten[1], { cat: 'PERSOON', label: 'PARTNER_1', value: 'Eva Dekker', variants: ['Eva Dekker'], active: false });
    const tekst = alsBestand(inhoud);
    assert.match(tekst, /^\{\n "type": "drovel-verhulzen-sleutel",\n "versie": 1,\n/);
    assert.match(tekst, /\n "entiteiten": \[\n  \{\n   "cat": "PERSOON",\n/);
    assert.deepEqual(leesSleutelbestand(tekst).obj, inhoud);
  });

  test('the file name replaces each run of forbidden characters by one space', () => {
    const cases = [
      ['Jansen / Dekker: 2025', 'sleutel Jansen   Dekker  2025 2026-12-10.json'],
      ['a\\/:*?"<>|b', 'sleutel a b 2026-12-10.json'],
      [' <Holding> ', 'sleutel Holding 2026-12-10.json'],
      ['', 'sleutel dossier 2026-12-10.json'],
    ];
    for (const [dossier, naam] of cases) assert.equal(bestandsnaam(dossier, NU), naam, dossier);
  });

  test('what is not a key file of this program, with its message', () => {
    const cases = [
      ['', 'Dit is geen geldig sleutelbestand.'],
      ['{"type": "drovel-verhulzen-sleutel",', 'Dit is geen geldig sleutelbestand.'],
      ['[1, 2]', 'Dit is geen sleutelbestand van Drovel Verhulzen.'],
      ['null', 'Dit is geen sleutelbestand van Drovel Verhulzen.'],
      ['{"type": "iets-anders", "versie": 1}', 'Dit is geen sleutelbestand van Drovel Verhulzen.'],
      ['{"type": "drovel-verhulzen-sleutel", "versie": 2}', 'Dit sleutelbestand heeft een versie die dit programma niet kent.'],
      ['{"type": "drovel-verhulzen-sleutel"}', 'Dit sleutelbestand heeft een versie die dit programma niet kent.'],
    ];
    for (const [tekst, fout] of cases) assert.deepEqual(leesSleutelbestand(tekst), { fout }, tekst);
  });

  test('only entries of a known category with a label and a text value are taken', () => {
    const ent = { cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan', variants: ['Jan', 3, null, 'J.'], active: 'nee' };
    const { lijst, overgeslagen } = sleutelEntries({
      entiteiten: [
        ent, { ...ent, cat: 'HUISDIER' }, { ...ent, cat: 'constructor' }, { ...ent, value: 12 }, { ...ent, value: ' ' },
        { ...ent, label: '' }, { ...ent, label: 'PERSOON_1] [X' }, 'tekst', null, { ...ent, variants: 'Jan', active: false },
      ],
    });
    assert.deepEqual(lijst, [
      { cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan', variants: ['Jan', 'J.'], active: true },
      { cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan', variants: [], active: false },
    ]);
    assert.equal(overgeslagen, 8);
    assert.deepEqual(sleutelEntries({ entiteiten: 'geen lijst' }), { lijst: [], overgeslagen: 0 });
    assert.deepEqual(sleutelCounters({ counters: { PERSOON: 3, IBAN: '2', KVK: -1, persoon: 1, BSN: 1.5 } }), [['PERSOON', 3]]);
  });
});

describe('the encrypted key file', () => {
  const inhoud = sleutelInhoud(SESSIE, NU);

  test('opens with its password to the same content; every file has its own salt and nonce', async () => {
    const [een, twee] = [await versleutel(inhoud, 'geheim wachtwoord'), await versleutel(inhoud, 'geheim wachtwoord')];
    assert.deepEqual(Object.keys(een), ['type', 'versie', 'versleuteld', 'kdf', 'salt', 'iv', 'data']);
    assert.equal(een.kdf, 'PBKDF2-SHA256-310000');
    assert.deepEqual([unb64(een.salt).length, unb64(een.iv).length], [16, 12]);
    for (const veld of ['salt', 'iv', 'data']) assert.notEqual(een[veld], twee[veld], veld);
    assert.deepEqual(await ontsleutel(JSON.parse(alsBestand(een)), 'geheim wachtwoord'), inhoud);
  });

  test('a wrong password, a changed byte or bad base64 fails', async () => {
    const env = await versleutel(inhoud, 'juist');
    const verander = (tekst, i) => {
      const bytes = unb64(tekst);
      bytes[i] ^= 1;
      return b64(bytes);
    };
    const cases = [
      ['wrong password', env, 'onjuist'],
      ['empty password', env, ''],
      ['salt byte', { ...env, salt: verander(env.salt, 5) }, 'juist'],
      ['nonce byte', { ...env, iv: verander(env.iv, 0) }, 'juist'],
      ['ciphertext byte', { ...env, data: verander(env.data, 10) }, 'juist'],
      ['tag byte', { ...env, data: verander(env.data, unb64(env.data).length - 1) }, 'juist'],
      ['bad base64', { ...env, data: '*niet base64*' }, 'juist'],
      ['missing salt', { ...env, salt: undefined }, 'juist'],
    ];
    for (const [naam, envelop, ww] of cases) await assert.rejects(ontsleutel(envelop, ww), naam);
  });

  test('base64 is the standard alphabet with padding, also for large inputs', () => {
    const bytes = Uint8Array.from({ length: 100003 }, (_, i) => (i * 7919) & 255);
    assert.equal(b64(bytes), Buffer.from(bytes).toString('base64'));
    assert.deepEqual(unb64(b64(bytes)), bytes);
  });
});
