// The key view in Chromium: the key file saved and opened through its own
// controls, bad key files refused with the session left as it was, and the
// office list in the hosted edition (local storage) and the desktop edition.
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { serveDesktop } from './support/desktop-routes.js';
import { bound, openPage, servePage } from './support/page-server.js';
import { kiesBestanden } from './support/user.js';

const RESULTS = join(fileURLToPath(new URL('../..', import.meta.url)), 'test-results');
const BRIEF = 'Geachte heer Jan de Vries,\n\nUw IBAN NL91ABNA0417164300 is ontvangen. Mevrouw Eva Dekker belt u nog.';
const OFFERTE = 'Aan Dekker Bouw B.V., t.a.v. de heer Piet Pietersen\nE-mail: info@dekkerbouw.nl\nTelefoon 020-1234567';
const OPSLAG = 'drovel-verhulzen-v1';

let browser;
let hosted;
let tmp;
before(async () => {
  hosted = await servePage();
  browser = await launchBrowser();
  tmp = mkdtempSync(join(tmpdir(), 'verhulzen-key-'));
});
after(async () => {
  await browser?.close();
  hosted?.server.close();
  rmSync(tmp, { recursive: true, force: true });
});

const sessieTekst = (page) => page.evaluate((k) => sessionStorage.getItem(k), OPSLAG);
const paren = async (page) => JSON.parse(await sessieTekst(page)).ents.map((e) => `${e.label}=${e.value}`).sort();

// Runs a user action and waits for the toast it ends with.
async function metToast(page, actie) {
  await page.evaluate(() => {
    document.getElementById('toast').textContent = '';
  });
  await actie();
  await page.waitForFunction(() => document.getElementById('toast').textContent !== '');
  return page.locator('#toast').textContent();
}

async function plak(page, titel, tekst) {
  await page.goto(`${new URL(page.url()).origin}/#document`);
  await page.fill('#plak-titel', titel);
  await page.fill('#plak-tekst', tekst);
  return metToast(page, () => page.click('#btn-plak'));
}

const kies = (page, knop, bestand) => kiesBestanden(page, () => page.click(knop), bestand);

async function openSleutel(page, bestand, ww = '') {
  await page.goto(`${new URL(page.url()).origin}/#sleutel`);
  await page.fill('#ww-openen', ww);
  return metToast(page, () => kies(page, '#btn-sleutel-openen', bestand));
}

async function slaSleutelOp(page, ww) {
  await page.goto(`${new URL(page.url()).origin}/#sleutel`);
  await page.fill('#ww-opslaan', ww);
  const download = page.waitForEvent('download');
  const melding = await metToast(page, () => page.click('#btn-sleutel-opslaan'));
  const bestand = await download;
  return { melding, naam: bestand.suggestedFilename(), tekst: readFileSync(await bestand.path(), 'utf8') };
}

const json = (naam, inhoud) => ({ name: naam, mimeType: 'application/json', buffer: Buffer.from(typeof inhoud === 'string' ? inhoud : JSON.stringify(inhoud)) });

describe('key file', () => {
  let opgeslagen;
  let labelsVoor;

  before(async () => {
    const { page } = await openPage(browser, hosted.origin);
    await page.fill('#dossier', 'Jansen / Dekker: 2026');
    await plak(page, 'Brief', BRIEF);
    await plak(page, 'Offerte', OFFERTE);
    labelsVoor = await paren(page);
    opgeslagen = await slaSleutelOp(page, 'Correct paard 7');
    await page.context().close();
  });

  test('saved with a password, it is an envelope under the dossier\'s file name', () => {
    assert.match(opgeslagen.melding, /^Sleutelbestand gedownload \(versleuteld\)\. Zet het in het klantdossier\.$/);
    assert.match(opgeslagen.naam, /^sleutel Jansen   Dekker  2026 \d{4}-\d{2}-\d{2}\.json$/);
    const env = JSON.parse(opgeslagen.tekst);
    assert.deepEqual(Object.keys(env), ['type', 'versie', 'versleuteld', 'kdf', 'salt', 'iv', 'data']);
    assert.ok(!opgeslagen.tekst.includes('Vries') && !opgeslagen.tekst.includes('NL91'), 'no value in the clear');
    assert.ok(labelsVoor.length >= 5, labelsVoor.join());
  });

  test('opened in a fresh session, the same documents get the same placeholders', async () => {
    const { page, problems } = await openPage(browser, hosted.origin);
    assert.equal(await openSleutel(page, json('sleutel.json', opgeslagen.tekst), 'Correct paard 7'),
      `${labelsVoor.length} gegevens uit het sleutelbestand geladen.`);
    assert.equal(await page.locator('#dossier-badge').textContent(), 'Jansen / Dekker: 2026');
    assert.equal(await page.locator('#sleutel-tabel tbody tr').count(), labelsVoor.length);
    // The other order would number them differently without the key file.
    assert.match(await plak(page, 'Offerte', OFFERTE), /, 0 nieuwe gegevens gevonden\.$/);
    await plak(page, 'Brief', BRIEF);
    assert.deepEqual(await paren(page), labelsVoor);
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('a wrong password, a changed byte and every other bad file leave the session as it was', async () => {
    const { page, problems } = await openPage(browser, hosted.origin);
    await plak(page, 'Brief', BRIEF);
    const voor = await sessieTekst(page);
    const env = JSON.parse(opgeslagen.tekst);
    const verander = (b64, i) => {
      const bytes = Buffer.from(b64, 'base64');
      bytes[i] ^= 1;
      return bytes.toString('base64');
    };
    const groot = join(tmp, 'groot.json');
    writeFileSync(groot, Buffer.alloc(50 * 1024 * 1024, 0x20));
    const cases = [
      ['wrong password', json('a.json', env), 'fout', 'Wachtwoord onjuist of bestand beschadigd.'],
      ['no password', json('a.json', env), '', 'Dit bestand is versleuteld; vul eerst het wachtwoord in.'],
      ['ciphertext byte', json('a.json', { ...env, data: verander(env.data, 3) }), 'Correct paard 7', 'Wachtwoord onjuist of bestand beschadigd.'],
      ['salt byte', json('a.json', { ...env, salt: verander(env.salt, 15) }), 'Correct paard 7', 'Wachtwoord onjuist of bestand beschadigd.'],
      ['not JSON', json('a.json', 'PK\u0003\u0004 geen json'), '', 'Dit is geen geldig sleutelbestand.'],
      ['empty', json('a.json', ''), '', 'Dit is geen geldig sleutelbestand.'],
      ['50 MB', groot, '', 'Dit bestand is te groot voor een sleutelbestand.'],
      ['other type', json('a.json', { type: 'ander-programma', versie: 1 }), '', 'Dit is geen sleutelbestand van Drovel Verhulzen.'],
      ['other version', json('a.json', { type: 'drovel-verhulzen-sleutel', versie: 2, entiteiten: [] }), '', 'Dit sleutelbestand heeft een versie die dit programma niet kent.'],
    ];
    for (const [naam, bestand, ww, melding] of cases) {
      assert.equal(await openSleutel(page, bestand, ww), melding, naam);
      assert.equal(await sessieTekst(page), voor, naam);
      if (!ww && naam === 'no password') assert.equal(await page.evaluate(() => document.activeElement.id), 'ww-openen');
    }
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('colliding labels show the conflict notice; replacing takes the file, cancelling nothing', async () => {
    const { page, problems } = await openPage(browser, hosted.origin);
    await plak(page, 'Offerte', OFFERTE);
    const voor = await sessieTekst(page);
    const bestand = json('a.json', opgeslagen.tekst);
    await page.goto(`${hosted.origin}/#sleutel`);
    await page.fill('#ww-openen', 'Correct paard 7');
    await kies(page, '#btn-sleutel-openen', bestand);
    const melding = page.locator('#sleutel-melding');
    await melding.locator('li').first().waitFor();
    assert.match(await melding.textContent(), /^Dit sleutelbestand past niet bij de huidige sessie\. Dezelfde placeholders betekenen iets anders:/);
    assert.match(await melding.textContent(), /"Dekker Bouw B\.V\." is hier \[BEDRIJF_1\]|\[PERSOON_1\] is hier "Piet Pietersen", in het bestand "Jan de Vries"/);
    assert.equal(await sessieTekst(page), voor);
    await page.click('#btn-sleutel-annuleer');
    assert.equal(await melding.innerHTML(), '');
    assert.equal(await sessieTekst(page), voor);

    await kies(page, '#btn-sleutel-openen', bestand);
    await page.click('#btn-sleutel-vervang');
    await page.waitForFunction(() => document.getElementById('sleutel-melding').innerHTML === '');
    const na = await paren(page);
    for (const paar of labelsVoor) assert.ok(na.includes(paar), paar);
    assert.equal(JSON.parse(await sessieTekst(page)).docs.length, 1, 'the documents stay');
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('nine conflicts show eight and say there is one more', async () => {
    const { page } = await openPage(browser, hosted.origin);
    const bestand = (naam) => json('a.json', {
      type: 'drovel-verhulzen-sleutel', versie: 1, counters: {},
      entiteiten: Array.from({ length: 9 }, (_, i) => ({ cat: 'PERSOON', label: `PERSOON_${i + 1}`, value: `${naam} ${i + 1}`, variants: [], active: true })),
    });
    await openSleutel(page, bestand('Eerste'));
    await kies(page, '#btn-sleutel-openen', bestand('Tweede'));
    const items = page.locator('#sleutel-melding li');
    await items.first().waitFor();
    assert.equal(await items.count(), 9);
    assert.equal(await items.first().textContent(), '[PERSOON_1] is hier "Eerste 1", in het bestand "Tweede 1"');
    assert.equal(await items.last().textContent(), 'en 1 meer');
    await page.context().close();
  });

  test('entries of unknown kinds or without text are skipped and told', async () => {
    const { page } = await openPage(browser, hosted.origin);
    const ent = { cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan de Vries', variants: ['Jan de Vries'], active: true };
    const inhoud = {
      type: 'drovel-verhulzen-sleutel', versie: 1, dossier: '', opgeslagen: '2026-01-01T00:00:00.000Z', counters: { PERSOON: 1 },
      entiteiten: [ent, { ...ent, cat: 'HUISDIER', label: 'HUISDIER_1' }, { ...ent, label: 'PERSOON_2', value: 42 }, { ...ent, label: 'X<b>_1' }],
    };
    assert.equal(await openSleutel(page, json('a.json', inhoud)), '1 gegevens uit het sleutelbestand geladen, 3 overgeslagen (onbekende soort of geen tekst).');
    assert.deepEqual(await paren(page), ['PERSOON_1=Jan de Vries']);
    await page.context().close();
  });

  test('the translation table copies for a spreadsheet, and "Sessie wissen" needs a second click', async () => {
    const context = await browser.newContext({ viewport: { width: 1440, height: 900 }, permissions: ['clipboard-read', 'clipboard-write'] });
    const { page } = await openPage(browser, hosted.origin, { context });
    await plak(page, 'Brief', BRIEF);
    await page.goto(`${hosted.origin}/#sleutel`);
    await page.click('#btn-tabel-kopieer');
    await page.locator('#btn-tabel-kopieer.ok').waitFor();
    const regels = (await page.evaluate(() => navigator.clipboard.readText())).split('\n');
    assert.equal(regels[0], 'Placeholder\tSoort\tOrigineel\tVarianten');
    assert.ok(regels.includes('[PERSOON_1]\tPersoon\tJan de Vries\tde Vries; De Vries; J. de Vries; J de Vries'), regels.join('\n'));
    assert.ok(regels.includes('[IBAN_1]\tIBAN\tNL91ABNA0417164300\t'), regels.join('\n'));

    await page.click('#btn-wissen');
    assert.equal(await page.locator('#btn-wissen').textContent(), 'Zeker weten? Klik nogmaals');
    assert.notEqual(await sessieTekst(page), null);
    assert.equal(await metToast(page, () => page.click('#btn-wissen')), 'Sessie gewist.');
    assert.equal(await sessieTekst(page), null);
    assert.match(await page.locator('#sleutel-tabel').textContent(), /^LeegNog geen gegevens gemarkeerd of geladen\.$/);
    assert.equal(await metToast(page, () => page.click('#btn-sleutel-opslaan')), 'Er is nog niets om op te slaan.');
    await context.close();
  });
});

describe('office list', () => {
  // The editor holds line feeds only, whatever was typed or pasted into it.
  const LIJST = '\uFEFF[altijd vervangen]\nBedrijf: Bakkerij Zoet\nHenk Smit\n\n[nooit vervangen]\nJan de Vries\n';

  test('hosted: the example text, then a list saved in this browser that the scan applies', async () => {
    const { page, problems } = await openPage(browser, hosted.origin);
    await plak(page, 'Brief', `${BRIEF}\nBestelling bij bakkerij   zoet en Henk Smit.`);
    const voor = await paren(page);
    assert.ok(voor.includes('PERSOON_1=Jan de Vries'), voor.join());
    await page.goto(`${hosted.origin}/#sleutel`);
    assert.match(await page.inputValue('#kl-tekst'), /^# Kantoorlijst Drovel Verhulzen\n/);
    assert.equal(await page.locator('#kl-info').textContent(), '0 altijd vervangen, 0 nooit vervangen · bewaard in deze browser');
    assert.equal(await metToast(page, () => page.click('#btn-kl-bewaar')), 'Kantoorlijst bewaard.');

    await page.fill('#kl-tekst', LIJST);
    assert.equal(await metToast(page, () => page.click('#btn-kl-bewaar')), 'Kantoorlijst bewaard, 2 nieuwe gegevens gevonden.');
    assert.equal(await page.locator('#kl-info').textContent(), '2 altijd vervangen, 1 nooit vervangen · bewaard in deze browser');
    const na = await paren(page);
    assert.ok(na.includes('BEDRIJF_1=Bakkerij Zoet'), na.join());
    assert.equal(await page.evaluate(() => localStorage.getItem('drovel-verhulzen-kantoorlijst')), LIJST);

    // A new tab loads the stored list before its first scan: the never term is not found again.
    const tweede = await page.context().newPage();
    await tweede.goto(`${hosted.origin}/`);
    await bound(tweede);
    await plak(tweede, 'Brief', BRIEF);
    assert.ok(!(await paren(tweede)).some((p) => p.endsWith('=Jan de Vries')));
    await tweede.goto(`${hosted.origin}/#sleutel`);
    assert.equal(await tweede.inputValue('#kl-tekst'), LIJST);

    // Openen… takes a file's text into the editor and saves it; Download gives the editor's text.
    await metToast(page, () => kies(page, '#btn-kl-open', { name: 'lijst.txt', mimeType: 'text/plain', buffer: Buffer.from('# alleen commentaar\n') }));
    assert.equal(await page.locator('#kl-info').textContent(), '0 altijd vervangen, 0 nooit vervangen · bewaard in deze browser');
    const download = page.waitForEvent('download');
    await page.click('#btn-kl-download');
    const bestand = await download;
    assert.equal(bestand.suggestedFilename(), 'kantoorlijst.txt');
    assert.equal(readFileSync(await bestand.path(), 'utf8'), '# alleen commentaar\n');
    assert.deepEqual(problems, []);
    await page.context().close();
  });

  test('hosted on the maker\'s main domain: only the never part is stored', async () => {
    const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
    await context.route('http://www.drovel.nl/**', async (route) => {
      const pad = new URL(route.request().url()).pathname;
      route.fulfill({ response: await route.fetch({ url: `${hosted.origin}${pad}` }) });
    });
    const page = await context.newPage();
    await page.goto('http://www.drovel.nl/#sleutel');
    await bound(page);
    await page.fill('#kl-tekst', LIJST);
    assert.equal(await metToast(page, () => page.click('#btn-kl-bewaar')), 'Kantoorlijst bewaard.');
    assert.equal(await page.locator('#kl-info').textContent(), '2 altijd vervangen, 1 nooit vervangen · hier wordt alleen '
      + '"nooit vervangen" bewaard; open de klantenlijst elke sessie of gebruik de Windows-app');
    assert.equal(await page.evaluate(() => localStorage.getItem('drovel-verhulzen-kantoorlijst')), '\uFEFF[altijd vervangen]\n[nooit vervangen]\nJan de Vries\n');
    await page.reload();
    await bound(page);
    assert.equal(await page.locator('#kl-info').textContent(), '0 altijd vervangen, 1 nooit vervangen · hier wordt alleen '
      + '"nooit vervangen" bewaard; open de klantenlijst elke sessie of gebruik de Windows-app');
    await context.close();
  });

  test('desktop: read from and written to the desktop side unchanged; a refused save is told', async () => {
    const desk = await serveDesktop({ kantoorlijst: LIJST.replace(/\n/g, '\r\n') });
    try {
      const { page, problems } = await openPage(browser, desk.origin);
      await plak(page, 'Brief', BRIEF);
      assert.ok(!(await paren(page)).some((p) => p.endsWith('=Jan de Vries')), 'the list applies from the first scan');
      await page.goto(`${desk.origin}/#sleutel`);
      assert.equal(await page.inputValue('#kl-tekst'), LIJST.slice(1), 'read without its byte-order mark, with line feeds');
      assert.equal(await page.locator('#kl-info').textContent(), '2 altijd vervangen, 1 nooit vervangen · bewaard op deze pc');

      const nieuw = '[nooit vervangen]\nBelastingdienst\nJan de Vries\n[altijd vervangen]\nIBAN: NL20INGB0001234567\n';
      await page.fill('#kl-tekst', nieuw);
      assert.equal(await metToast(page, () => page.click('#btn-kl-bewaar')), 'Kantoorlijst bewaard.');
      assert.equal(desk.staat.opgeslagen.toString('utf8'), nieuw);
      assert.equal(await page.locator('#kl-info').textContent(), '1 altijd vervangen, 2 nooit vervangen · bewaard op deze pc');

      const groot = `[nooit vervangen]\n${'Belastingdienst\n'.repeat(70000)}`;
      const openGroot = () => kies(page, '#btn-kl-open', { name: 'groot.txt', mimeType: 'text/plain', buffer: Buffer.from(groot) });
      assert.equal(await metToast(page, openGroot), 'Kantoorlijst kon niet worden bewaard.');
      assert.equal(desk.staat.opgeslagen.toString('utf8'), nieuw);
      assert.equal(await page.locator('#kl-info').textContent(), '1 altijd vervangen, 2 nooit vervangen · bewaard op deze pc');
      assert.equal(await page.inputValue('#kl-tekst'), groot, 'the editor keeps the text');

      desk.server.close();
      await page.fill('#kl-tekst', nieuw);
      assert.equal(await metToast(page, () => page.click('#btn-kl-bewaar')), 'Kantoorlijst kon niet worden bewaard.');
      assert.deepEqual(problems.filter((p) => !p.includes('ERR_CONNECTION_REFUSED')), []);
      await page.context().close();
    } finally {
      desk.server.close();
    }
  });
});

describe('key view layout', () => {
  for (const width of [1440, 760]) {
    test(`screenshot at ${width} px`, async () => {
      const { page } = await openPage(browser, hosted.origin, { width, height: 1000 });
      const uit = { cat: 'PERSOON', label: 'PERSOON_1', value: 'Jan de Vries', variants: ['Jan de Vries', 'J. de Vries'], active: false };
      await openSleutel(page, json('a.json', { type: 'drovel-verhulzen-sleutel', versie: 1, counters: {}, entiteiten: [uit] }));
      await plak(page, 'Brief', BRIEF);
      await plak(page, 'Offerte', OFFERTE);
      await page.goto(`${hosted.origin}/#sleutel`);
      await page.evaluate(() => { document.getElementById('toast').style.visibility = 'hidden'; });
      const breedte = await page.evaluate(() => document.documentElement.scrollWidth);
      assert.ok(breedte <= width, `page is ${breedte} px wide`);
      mkdirSync(RESULTS, { recursive: true });
      await page.screenshot({ path: join(RESULTS, `key-view-${width}.png`), fullPage: true });
      await page.context().close();
    });
  }
});
