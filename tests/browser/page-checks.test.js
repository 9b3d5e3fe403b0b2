// What reaches the AI and what comes back, through the page's own controls:
// the text for the AI pasted back as the answer, document names, the
// instruction, a known name in lower case, and the fields a wiped session
// leaves behind.
import assert from 'node:assert/strict';
import { afterEach, beforeEach, test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage } from './support/page-server.js';
import { klembord, naarKlembord, naarView, plak, sessie } from './support/user.js';

const DOSSIER = [
  'Mevrouw Femke van Leeuwen en mevrouw Gerda ter Veen tekenden. De heer G. Bakker was er ook.',
  'Fiscaal nummer: 8794.11.375',
  'Btw-nummer: NL879411375B01, loonheffingennummer 879411375L01.',
  'BSN: 111222333IBAN: NL91ABNA0417164300',
  'Telefoon: (020) 675 44 10',
  'Van Leeuwen Accountants en Ter Veen Holding; Sanne Bakker belde.',
].join('\n\n');
const NOTITIE = 'De heer Kees Visser belde over de aangifte.';

const omgeving = paginaOmgeving();
let context;
let page;
let problems;

beforeEach(async () => {
  context = await omgeving.browser.newContext({ viewport: { width: 1440, height: 900 }, permissions: ['clipboard-read', 'clipboard-write'] });
  ({ page, problems } = await openPage(omgeving.browser, omgeving.origin, { context }));
});
afterEach(async () => {
  assert.deepEqual(problems, []);
  await context.close();
});

const melding = () => page.locator('#ai-waarschuwing').innerText();

async function voegPersoonToe(naam) {
  await naarView(page, 'markeren');
  await page.fill('#nieuw-waarde', naam);
  await page.selectOption('#nieuw-cat', 'PERSOON');
  await page.press('#nieuw-waarde', 'Enter');
  await page.waitForFunction((n) => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')).ents.some((e) => e.value === n), naam);
}

test('the text for the AI pasted back as the answer gives every number, bracket and firm name back exactly', async () => {
  await plak(page, 'Dossier', DOSSIER);
  await voegPersoonToe('Sanne');
  await naarView(page, 'ai');
  await page.click('#btn-kopieer-ai');
  const uit = await klembord(page);
  for (const weg of ['8794', '879411375', '111222333', 'NL91', '675 44', 'Femke', 'Gerda']) assert.ok(!uit.includes(weg), `${weg} went to the AI:\n${uit}`);
  assert.ok(uit.includes('Van Leeuwen Accountants') && uit.includes('Ter Veen Holding'), uit);
  // The firm names and the other Bakker stay, and are offered as names to check.
  const notices = await melding();
  for (const paar of ['Van Leeuwen Accountants', 'Sanne Bakker']) assert.ok(notices.includes(paar), notices);

  // Thirteen labels no entity has: twelve chips and the rest counted.
  const verzonnen = Array.from({ length: 13 }, (_, i) => `[PERSOON_${90 + i}]`).join(' ');
  await naarView(page, 'terug');
  await naarKlembord(page, `${uit}\n\n${verzonnen}`);
  await page.click('#btn-terug-plak');
  await page.waitForSelector('#terug-weergave mark.terug');
  await page.click('#btn-kopieer-md');
  const terug = await klembord(page);
  assert.equal(terug, `${DOSSIER}\n\n${verzonnen}`);
  const onbekend = page.locator('#terug-melding .notice-fout');
  assert.equal(await onbekend.locator('.chip').count(), 12);
  assert.match(await onbekend.innerText(), / en 1 meer/);
});

test('document names are scanned and checked before copying', async () => {
  await plak(page, 'Notitie', NOTITIE);
  await plak(page, 'aangifte visser 2023', 'Geen namen hier.');
  await plak(page, 'Notitie Jolanda Smit', 'Ook hier niets.');
  await naarView(page, 'ai');
  const notices = await melding();
  assert.match(notices, /Mogelijk nog niet vervangen:.*Persoon: visser/s);
  assert.match(notices, /Lijkt op een naam, controleer:.*Jolanda Smit/s);
  await page.click('#ai-waarschuwing [data-fix="rest"]');
  await page.click('#btn-kopieer-ai');
  const uit = await klembord(page);
  assert.match(uit, /=== Document 2: aangifte \[PERSOON_\d+\] 2023 ===/);

  // A name the scan finds in a document's name alone becomes an entity at intake.
  await naarView(page, 'document');
  await plak(page, 'Brief aan mevrouw Anna de Wit', 'Tekst zonder namen.');
  assert.ok((await sessie(page)).ents.some((e) => e.value === 'Anna de Wit'));
});

test('the instruction is checked and copied pseudonymised', async () => {
  await plak(page, 'Notitie', NOTITIE);
  await naarView(page, 'ai');
  await page.fill('#instructie', 'Vraag over Kees Visser, BSN 123456782.');
  await page.waitForFunction(() => document.getElementById('ai-waarschuwing').innerText.includes('123456782'));
  await page.click('#ai-waarschuwing [data-fix="rest"]');
  await page.waitForFunction(() => !document.getElementById('ai-waarschuwing').innerText.includes('123456782'));
  await page.click('#btn-kopieer-ai-instr');
  const uit = await klembord(page);
  assert.match(uit, /^Vraag over \[PERSOON_1\], BSN \[BSN_1\]\.\n\n---\n\n/);
});

test('a known name typed in lower case in the follow-up question is flagged and then replaced', async () => {
  await plak(page, 'Notitie', NOTITIE);
  await naarView(page, 'terug');
  await page.fill('#vervolg-invoer', 'Kan kees visser morgen langskomen?');
  await page.waitForFunction(() => document.getElementById('vervolg-melding').innerText.includes('kees visser'));
  await page.click('#vervolg-melding [data-fix="rest"]');
  await page.waitForFunction(() => document.getElementById('vervolg-uitvoer').innerText.includes('Kan [PERSOON_1] morgen'));
});

test('a known number in other separators in the follow-up question is replaced and kept', async () => {
  await plak(page, 'Notitie', 'De heer Kees Visser, telefoon (038) 421 56 90.');
  await naarView(page, 'terug');
  await page.fill('#vervolg-invoer', 'Bel 038 - 421 56 90 of (038) 421 56 90.');
  await page.click('#btn-vervolg');
  assert.equal(await klembord(page), 'Bel [TELEFOON_1] of [TELEFOON_1].');
  const telefoon = (await sessie(page)).ents.find((e) => e.cat === 'TELEFOON');
  assert.ok(telefoon.variants.includes('038 - 421 56 90'), JSON.stringify(telefoon));
});

test('wiping the session empties every field that holds client data', async () => {
  await page.fill('#dossier', 'Visser 2024');
  await plak(page, 'Notitie', NOTITIE);
  await naarView(page, 'terug');
  await page.fill('#terug-invoer', 'Antwoord over [PERSOON_1].');
  await page.waitForSelector('#terug-weergave mark.terug');
  await page.fill('#vervolg-invoer', 'Kan Kees Visser (BSN 111222333) schenken?');
  await naarView(page, 'sleutel');
  await page.fill('#ww-opslaan', 'geheim-van-visser');
  await page.fill('#ww-openen', 'geheim-van-visser');
  await page.click('#btn-wissen');
  await page.click('#btn-wissen');
  for (const id of ['dossier', 'terug-invoer', 'vervolg-invoer', 'ww-opslaan', 'ww-openen']) {
    assert.equal(await page.inputValue(`#${id}`), '', id);
  }
  await naarView(page, 'terug');
  assert.match(await page.locator('#terug-weergave').innerText(), /Nog niets geplakt/);
  assert.ok(!(await page.locator('#view-terug').innerText()).includes('Visser'));
});

test('a wiped session leaves no typed instruction behind', async () => {
  await plak(page, 'Notitie', NOTITIE);
  await naarView(page, 'ai');
  const standaard = await page.inputValue('#instructie');
  await page.fill('#instructie', 'Vraag over Kees Visser.');
  await naarView(page, 'sleutel');
  await page.click('#btn-wissen');
  await page.click('#btn-wissen');
  assert.equal(await page.inputValue('#instructie'), standaard);
  assert.ok(!(await page.evaluate(() => JSON.stringify(sessionStorage))).includes('Visser'));
});

test('a long answer is shown part by part, whole and no wider than the page, and kept on return', async () => {
  await plak(page, 'Notitie', NOTITIE);
  await naarView(page, 'terug');
  const blokken = Array.from({ length: 250 }, (_, i) => (i % 25 === 0 ? `## Punt ${i}` : `Alinea ${i} over [PERSOON_1].`));
  await page.fill('#terug-invoer', blokken.join('\n\n'));
  await page.waitForFunction(() => document.querySelectorAll('#terug-weergave .terug-deel').length === 3);
  // Parts out of view skip layout, so their text is read from the tree.
  const tekst = await page.locator('#terug-weergave').textContent();
  assert.equal(tekst.match(/Kees Visser/g).length, 240);
  assert.ok(tekst.includes('Punt 225'));
  assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 1440);
  const eerste = await page.locator('#terug-weergave .terug-deel').first().elementHandle();
  await naarView(page, 'sleutel');
  await naarView(page, 'terug');
  assert.ok(await eerste.evaluate((el) => el.isConnected), 'the shown parts are kept');
});
