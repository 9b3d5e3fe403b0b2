// The marking view: preview marks, the entity panel, browsing occurrences,
// the selection bar with its keys and the popover; layout and screenshots.
import assert from 'node:assert/strict';
import { beforeEach, test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage, toastText } from './support/page-server.js';
import { plak, selecteerInVoorbeeld } from './support/user.js';

const A = 'Overleg met de heer Jan de Vries over de aangifte.\n\nJan de Vries tekent namens Bakkerij Smit te Utrecht.';
const B = 'Kopie voor Jan de Vries, IBAN NL91ABNA0417164300.\n\nMevrouw Els Bakker belt terug.';

const omgeving = paginaOmgeving();
let page;
let problems;

// Two documents, B current, on the marking view.
beforeEach(async () => {
  ({ page, problems } = await openPage(omgeving.browser, omgeving.origin));
  await plak(page, 'Verslag A', A);
  await plak(page, 'Brief B', B);
  await page.click('#btn-naar-markeren');
  await page.waitForSelector('#view-markeren.active');
});

const sessie = () => page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')));
const rij = (label) => page.locator('.ent-rij', { has: page.locator(`input.ph-veld[value="[${label}]"]`) });
const entVan = async (value) => (await sessie()).ents.find((e) => e.value === value);

const selecteer = (tekst) => selecteerInVoorbeeld(page, tekst);

test('switching off keeps the mark dashed and counted; the AI mode shows only active placeholders', async () => {
  const persoon = await entVan('Jan de Vries');
  assert.equal(await rij(persoon.label).locator('.ent-telling').textContent(), '3×');
  await rij(persoon.label).locator('input.ent-aan').uncheck();
  assert.equal(await page.locator(`#preview mark[data-id="${persoon.id}"].uit`).count(), 1);
  assert.equal(await rij(persoon.label).locator('.ent-telling').textContent(), '3×');
  assert.equal((await entVan('Jan de Vries')).active, false);

  await page.click('#seg-weergave [data-mode="ph"]');
  const tekst = await page.locator('#preview').textContent();
  assert.ok(tekst.includes('Kopie voor Jan de Vries, IBAN [IBAN_1]'), tekst);
  assert.equal(await page.locator('#seg-weergave .on').textContent(), 'Zoals AI het ziet');

  const groep = page.locator('.ent-groep', { hasText: 'Persoon' }).locator('.schakel');
  assert.equal(await groep.textContent(), 'alles aan');
  await groep.click();
  assert.equal((await sessie()).ents.filter((e) => e.cat === 'PERSOON').every((e) => e.active), true);
  assert.equal(await groep.textContent(), 'alles uit');
  assert.deepEqual(problems, []);
});

test('renaming, editing variants and deleting with the ignore list', async () => {
  const persoon = await entVan('Jan de Vries');
  const veld = rij(persoon.label).locator('input.ph-veld');
  for (const [invoer, melding] of [['[]', 'Ongeldige placeholder.'], ['[persoon_2]', 'Placeholder [PERSOON_2] bestaat al.']]) {
    await veld.fill(invoer);
    await veld.press('Enter');
    assert.equal(await toastText(page), melding);
    assert.equal(await veld.inputValue(), `[${persoon.label}]`);
  }
  await veld.fill('[partner 1]');
  await veld.press('Enter');
  assert.equal((await entVan('Jan de Vries')).label, 'PARTNER_1');

  await rij('PARTNER_1').locator('.ent-varianten').click();
  const vv = rij('PARTNER_1').locator('.ent-varianten input');
  await vv.fill('Jan de Vries; ; J.d. Vries ;de Vries');
  await vv.press('Enter');
  assert.deepEqual((await entVan('Jan de Vries')).variants, ['Jan de Vries', 'J.d. Vries', 'de Vries']);
  await rij('PARTNER_1').locator('.ent-varianten').click();
  await rij('PARTNER_1').locator('.ent-varianten input').press('Escape');
  assert.equal(await rij('PARTNER_1').locator('.ent-varianten').textContent(), 'ook: J.d. Vries · de Vries');

  const iban = await entVan('NL91ABNA0417164300');
  await rij(iban.label).locator('.ent-weg').click();
  assert.equal(await toastText(page), `[${iban.label}] verwijderd.`);
  await page.click('#btn-herscan');
  assert.equal(await toastText(page), 'Niets nieuws gevonden.');
  const s = await sessie();
  assert.ok(!s.ents.some((e) => e.value === 'NL91ABNA0417164300'));
  assert.ok(s.genegeerd.includes('IBAN:NL91ABNA0417164300'));
  assert.deepEqual(problems, []);
});

test('browsing starts in the current document and walks all documents both ways', async () => {
  const persoon = await entVan('Jan de Vries');
  const r = rij(persoon.label);
  await r.locator('.ent-waarde').click();
  assert.equal(await toastText(page), 'Treffer 1 van 3 (in 2 documenten). Met ‹ › naast het aantal naar de vorige of volgende.');
  assert.equal(await page.locator('#preview-titel').textContent(), 'Brief B');
  assert.equal(await r.locator('.ent-telling').textContent(), '1/3×');
  await r.locator('[data-stap="-1"]').click();
  assert.equal(await page.locator('#preview-titel').textContent(), 'Verslag A');
  assert.equal(await r.locator('.ent-telling').textContent(), '3/3×');
  const marks = page.locator(`#preview mark[data-id="${persoon.id}"]`);
  assert.deepEqual(await marks.evaluateAll((ms) => ms.map((m) => m.classList.contains('huidig'))), [false, true]);
  await r.locator('[data-stap="1"]').click();
  assert.equal(await page.locator('#preview-titel').textContent(), 'Brief B');
  assert.equal(await r.locator('.ent-telling').textContent(), '1/3×');
  // Browsing another entity gives the first its plain count back.
  const iban = rij((await entVan('NL91ABNA0417164300')).label);
  await iban.locator('.ent-waarde').click();
  assert.deepEqual([await iban.locator('.ent-telling').textContent(), await r.locator('.ent-telling').textContent()], ['1/1×', '3×']);
  assert.deepEqual(problems, []);
});

test('the selection bar marks with the keys 1 to 5, links to an entity and ignores typing', async () => {
  await selecteer('B');
  assert.equal(await page.locator('#sel-balk.open').count(), 0, 'one character opens no bar');
  await selecteer('belt terug.');
  assert.equal(await page.locator('#sel-balk .zwevend-kop').textContent(), '“belt terug” vervangen als:');
  await page.focus('#nieuw-waarde');
  await page.keyboard.press('3');
  assert.equal(await page.inputValue('#nieuw-waarde'), '3');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.press('5');
  assert.equal((await entVan('belt terug')).label, 'OVERIG_1');
  assert.equal(await toastText(page), 'Vervangen door [OVERIG_1].');
  assert.equal(await page.locator('#sel-balk.open').count(), 0);

  const aantal = (await sessie()).ents.length;
  await selecteer('de Vries');
  await page.click('#sel-balk button[data-cat="PERSOON"]');
  assert.equal((await sessie()).ents.length, aantal, 'a known variant makes no new entity');
  assert.equal(await toastText(page), `Vervangen door [${(await entVan('Jan de Vries')).label}] (met 4 varianten).`);

  await selecteer('Kopie voor');
  const persoon = await entVan('Jan de Vries');
  assert.match(await page.locator('#sel-balk').textContent(), /Of hetzelfde als: kies…/);
  await page.selectOption('#sel-balk select[data-rol="koppel"]', String(persoon.id));
  assert.equal(await toastText(page), `"Kopie voor" wordt nu ook [${persoon.label}].`);
  assert.ok((await entVan('Jan de Vries')).variants.includes('Kopie voor'));

  await selecteer('IBAN');
  await page.keyboard.press('Escape');
  assert.equal(await page.locator('#sel-balk.open').count(), 0);
  assert.deepEqual(problems, []);
});

test('the popover of a marking switches it off and points at its row', async () => {
  const iban = await entVan('NL91ABNA0417164300');
  await page.click(`#preview mark[data-id="${iban.id}"]`);
  await page.waitForSelector('#ent-pop.open');
  assert.equal(await page.locator('#ent-pop .zwevend-kop').textContent(), `[${iban.label}] NL91ABNA0417164300`);
  await page.click('#ent-pop [data-actie="schakel"]');
  assert.equal((await entVan('NL91ABNA0417164300')).active, false);
  assert.equal(await page.locator('#ent-pop.open').count(), 0);
  await page.click(`#preview mark[data-id="${iban.id}"]`);
  await page.waitForSelector('#ent-pop.open');
  assert.equal(await page.locator('#ent-pop [data-actie="schakel"]').textContent(), 'Wel vervangen');
  await page.mouse.click(5, 890);
  assert.equal(await page.locator('#ent-pop.open').count(), 0, 'a press outside closes it');
  assert.deepEqual(problems, []);
});

test('removing the current document keeps its entities, renaming needs a name; the layout stacks and the sidebar goes on narrow windows', async () => {
  await page.screenshot({ path: 'test-results/markeren-1440.png' });
  await page.click('a[data-view="document"]');
  await page.waitForSelector('#view-document.active');
  await page.screenshot({ path: 'test-results/document-1440.png' });

  const kolommen = () => page.locator('.markeer-raster').evaluate((el) => getComputedStyle(el).gridTemplateColumns.split(' ').length);
  await page.setViewportSize({ width: 760, height: 900 });
  assert.equal(await page.locator('.sidebar').isVisible(), false);
  assert.equal(await page.locator('#btn-nav-markeren').isVisible(), true);
  await page.screenshot({ path: 'test-results/document-760.png', fullPage: true });
  await page.click('#btn-nav-markeren');
  await page.waitForSelector('#view-markeren.active');
  await page.screenshot({ path: 'test-results/markeren-760.png', fullPage: true });
  await page.setViewportSize({ width: 1100, height: 900 });
  assert.equal(await page.locator('.sidebar').isVisible(), true);
  assert.equal(await kolommen(), 1);
  await page.setViewportSize({ width: 1440, height: 900 });
  assert.equal(await kolommen(), 2);

  const kleur = await page.evaluate(() => {
    const m = document.createElement('mark');
    m.className = 'ent';
    document.getElementById('preview').append(m);
    const s = getComputedStyle(m);
    return [s.backgroundColor, s.borderBottomColor];
  });
  assert.deepEqual(kleur, ['rgb(238, 242, 255)', 'rgb(76, 110, 245)']);

  const voor = (await sessie()).ents.length;
  await page.click('a[data-view="document"]');
  await page.waitForSelector('#view-document.active');
  await page.locator('#doc-lijst tr', { hasText: 'Brief B' }).locator('[data-actie="weg"]').click();
  let s = await sessie();
  assert.deepEqual(s.docs.map((d) => d.name), ['Verslag A']);
  assert.equal(s.cur, s.docs[0].id);
  assert.equal(s.ents.length, voor);

  for (const [invoer, toets, naam] of [['weg', 'Escape', 'Verslag A'], ['Verslag 2025', 'Enter', 'Verslag 2025'], ['   ', 'Enter', 'Verslag 2025']]) {
    await page.click('#doc-lijst [data-actie="hernoem"]');
    await page.fill('#doc-lijst input', invoer);
    await page.press('#doc-lijst input', toets);
    s = await sessie();
    assert.equal(s.docs[0].name, naam);
  }
  assert.equal(await page.locator('#doc-lijst .doc-naam').textContent(), 'Verslag 2025');
  assert.deepEqual(problems, []);
});
