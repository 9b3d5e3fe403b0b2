import assert from 'node:assert/strict';
import { beforeEach, test } from 'node:test';
import { fakeDocument, freshSession } from './helpers.js';
import { OPSLAG, S, bewaar, laadSessie } from '../../../web/src/app/session.js';

function fakeStorage(items = {}, { full = false } = {}) {
  globalThis.sessionStorage = {
    getItem: (k) => items[k] ?? null,
    setItem: (k, v) => {
      if (full) throw new Error('QuotaExceededError');
      items[k] = v;
    },
  };
  return items;
}

beforeEach(() => {
  globalThis.ANON_CONFIG = { instructie: 'Standaard' };
  freshSession();
});

test('restoring lays the saved fields over a fresh state', () => {
  fakeStorage({ [OPSLAG]: JSON.stringify({ dossier: 'Jansen', seq: 7, instructie: 'Eigen' }) });
  laadSessie();
  assert.equal(S.dossier, 'Jansen');
  assert.equal(S.seq, 7);
  assert.equal(S.instructie, 'Eigen');
  assert.deepEqual(S.genegeerd, []);
  assert.equal(S.mode, 'orig');
});

test('unreadable or odd saved text leaves the fresh state', () => {
  for (const saved of ['{niet json', '[1,2]', 'null', '42']) {
    freshSession();
    fakeStorage({ [OPSLAG]: saved });
    laadSessie();
    assert.deepEqual(S.docs, [], saved);
    assert.equal(S.instructie, 'Standaard');
  }
});

test('saving writes the whole state; a full storage gives the toast and keeps the state', () => {
  const items = fakeStorage();
  S.dossier = 'Klant';
  bewaar();
  assert.equal(JSON.parse(items[OPSLAG]).dossier, 'Klant');
  const toast = fakeDocument();
  fakeStorage({}, { full: true });
  bewaar();
  assert.equal(toast.textContent, 'Sessie te groot om tussentijds te bewaren; sluit dit tabblad niet. Herladen van de pagina wist de documenten.');
  assert.equal(S.dossier, 'Klant');
});

test('the saved text is the whole state, also after a document is renamed', () => {
  const items = fakeStorage();
  // Texts that look like what a faulty splice would look for stay plain text.
  const lokaas = [{ t: 'p', text: '\u0000ents\u0000' }, { t: 'p', text: '\u0000docs\u0000' }];
  S.docs.push({ id: 'd1', name: 'Brief', blocks: [{ t: 'p', text: 'Jan "de" Vries\u2028' }, ...lokaas], warn: [], info: '1 alinea\'s', bekend: [] });
  S.ents.push({ id: 1, cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan', variants: ['Jan'], active: true, auto: true });
  S.geboortejaar = true;
  bewaar();
  assert.equal(items[OPSLAG], JSON.stringify(S));
  S.docs[0].name = 'Brief aan Jan';
  S.docs.push({ id: 'd2', name: 'docs', blocks: [], warn: [], info: '' });
  bewaar();
  assert.equal(items[OPSLAG], JSON.stringify(S));
});

test('the saved text follows every change of an entity made in place', () => {
  const items = fakeStorage();
  const e = { id: 3, cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan', variants: ['Jan'], active: true, auto: true };
  S.ents.push(e, { id: 4, cat: 'IBAN', label: 'IBAN_1', value: 'NL91', variants: ['NL91'], active: true, auto: false });
  const wijzigingen = [
    () => { e.active = false; },
    () => { e.label = 'KLANT'; },
    () => { e.variants = ['Jan', 'J.']; },
    () => { e.rol = 'KLANT'; },
    () => { delete e.auto; },
    () => { const { label } = e; delete e.label; e.label = label; },
    () => { S.ents.reverse(); },
    () => { S.ents.push(null); },
  ];
  bewaar();
  for (const wijzig of wijzigingen) {
    wijzig();
    bewaar();
    assert.equal(items[OPSLAG], JSON.stringify(S), String(wijzig));
  }
});

test('the warning of a failed save tells a refused storage from a full one', () => {
  const TE_GROOT = 'Sessie te groot om tussentijds te bewaren; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';
  const GEWEIGERD = 'Deze browser staat het tussentijds bewaren van de sessie niet toe; sluit dit tabblad niet. Herladen van de pagina wist de documenten.';
  const cases = [
    [new DOMException('The quota has been exceeded.', 'QuotaExceededError'), TE_GROOT],
    [new DOMException('Access is denied for this document.', 'SecurityError'), GEWEIGERD],
  ];
  for (const [fout, melding] of cases) {
    const toast = fakeDocument();
    globalThis.sessionStorage = { setItem: () => { throw fout; } };
    bewaar();
    assert.equal(toast.textContent, melding, fout.name);
  }
});
