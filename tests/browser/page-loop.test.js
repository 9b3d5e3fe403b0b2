// The whole job as a user does it, in both editions: two documents, review,
// the text for the AI on the clipboard, a mangled answer back, restored.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { startDesktop } from './support/desktop.js';
import { openPage, servePage } from './support/page-server.js';
import { klembord, naarKlembord, naarView, plak, selecteerInVoorbeeld, sessie } from './support/user.js';

const BRIEF = 'Geachte heer Jan de Vries,\n\nUw IBAN NL91ABNA0417164300 is ontvangen. Mevrouw Els Bakker belt u terug.';
const NOTITIE = 'Dossier van Jan de Vries, BSN 111222333, woont aan de Molenhoek.\n\nBel hem op 06-12345678.';

// Forms in which assistants give placeholders back.
const VERMINK = [
  (l) => `**[${l.toLowerCase()}]**`,
  (l) => `\\[${l.replace('_', '\\_')}\\]`,
  (l) => l.replace('_', ' '),
  (l) => `[ ${l.replace('_', '-')} ]`,
];

async function deLus(browser, origin) {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 }, permissions: ['clipboard-read', 'clipboard-write'] });
  const { page, problems } = await openPage(browser, origin, { context });
  await plak(page, 'Brief', BRIEF);
  await plak(page, 'Notitie', NOTITIE);
  await page.click('#btn-naar-markeren');

  const ents = (await sessie(page)).ents;
  const bakker = ents.find((e) => e.value === 'Els Bakker');
  assert.ok(bakker, ents.map((e) => e.value).join(', '));
  await page.locator('.ent-rij', { has: page.locator(`input.ph-veld[value="[${bakker.label}]"]`) }).locator('input.ent-aan').uncheck();
  await page.locator('#doc-tabs button', { hasText: 'Notitie' }).click();
  await selecteerInVoorbeeld(page, 'Molenhoek');
  await page.keyboard.press('4');
  const molenhoek = (await sessie(page)).ents.find((e) => e.value === 'Molenhoek');
  assert.equal(molenhoek?.cat, 'PLAATS');

  await naarView(page, 'ai');
  await page.click('#btn-kopieer-ai-instr');
  const uit = await klembord(page);
  const actief = (await sessie(page)).ents.filter((e) => e.active);
  assert.ok(uit.startsWith('Dit document is gepseudonimiseerd.') && uit.includes('\n\n---\n\n=== Document 1: Brief ==='), uit.slice(0, 400));
  for (const e of actief) assert.ok(!uit.includes(e.value), `${e.value} went to the AI`);
  assert.ok(uit.includes('Els Bakker'));

  // The assistant's answer: every placeholder of the copy, mangled in turn, and two it made up.
  const labels = [...new Set([...uit.split('\n---\n')[1].matchAll(/\[([A-Z]+_\d+)\]/g)].map((m) => m[1]))];
  assert.ok(labels.length >= 5, labels.join());
  const antwoord = `## Advies\n\n${labels.map((l, i) => `- ${VERMINK[i % VERMINK.length](l)} telt mee`).join('\n')}\n\n`
    + 'Els Bakker belt. Zie ook [PERSOON_99] en TELEFOON_7.';
  await page.click('text=Stap 4: Terugzetten');
  await naarKlembord(page, antwoord);
  await page.click('#btn-terug-plak');
  await page.waitForSelector('#terug-weergave mark.terug');

  const getoond = await page.locator('#terug-weergave').innerText();
  for (const e of actief) assert.ok(getoond.includes(e.value), `${e.value} not restored:\n${getoond}`);
  assert.equal(await page.locator('#terug-weergave mark.terug').count(), labels.length, antwoord + '\n' + getoond);
  assert.ok(getoond.includes('Els Bakker belt.'));
  const melding = await page.locator('#terug-melding').innerText();
  assert.match(melding, /Onbekende placeholders:\s*\[PERSOON_99\]\s*\[TELEFOON_7\]/);
  assert.match(melding, new RegExp(`${labels.length} placeholder\\(s\\) teruggezet \\(${labels.length} verschillende\\)`));

  await page.click('#btn-kopieer-plat');
  const plat = await klembord(page);
  assert.ok(plat.startsWith('Advies\n\n• ') && plat.includes(molenhoek.value) && !plat.includes(`[${molenhoek.label}]`), plat);
  assert.deepEqual(problems, []);
  await context.close();
}

describe('the whole loop', () => {
  let browser;
  before(async () => {
    browser = await launchBrowser();
  });
  after(() => browser?.close());

  test('hosted: from two documents to the restored answer', async () => {
    const served = await servePage();
    try {
      await deLus(browser, served.origin);
    } finally {
      served.server.close();
    }
  });

  test('desktop: the same loop on the page our program serves', async () => {
    const desktop = await startDesktop();
    try {
      await deLus(browser, desktop.origin);
    } finally {
      await desktop.stop();
    }
  });
});
