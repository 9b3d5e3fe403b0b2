// The views "Naar AI" and "Terugzetten" in the hosted edition: the leak check
// and its fixes, jumping, the report, the copy preference, bad answers, pasted
// HTML, the follow-up question, and the screenshots.
import assert from 'node:assert/strict';
import { afterEach, beforeEach, describe, test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage, toastText } from './support/page-server.js';
import { klembord, naarKlembord, naarView, plak, sessie } from './support/user.js';

const BRIEF = 'Geachte heer Jan de Vries,\n\nUw IBAN NL91ABNA0417164300 is ontvangen. De heer Jan de Vries belt terug.';
const NOTITIE = 'Notitie: mevrouw Els Bakker, e-mail els@bakkerbouw.nl, vraagt naar de aangifte.';

const omgeving = paginaOmgeving();
let context;
let page;
let problems;

beforeEach(async () => {
  context = await omgeving.browser.newContext({ viewport: { width: 1440, height: 900 }, permissions: ['clipboard-read', 'clipboard-write'] });
  ({ page, problems } = await openPage(omgeving.browser, omgeving.origin, { context }));
  await page.fill('#dossier', 'Vries Holding 2025');
  await plak(page, 'Brief', BRIEF);
  await plak(page, 'Notitie', NOTITIE);
});
afterEach(async () => {
  assert.deepEqual(problems, []);
  await context.close();
});

const naarAi = () => naarView(page, 'ai');
const uitvoer = () => page.locator('#ai-uitvoer').innerText();
const melding = () => page.locator('#ai-waarschuwing').innerText();

async function hernoem(oud, nieuw) {
  await page.locator('tr', { hasText: oud }).locator('[data-actie="hernoem"]').click();
  await page.fill('.doc-naam-veld', nieuw);
  await page.press('.doc-naam-veld', 'Enter');
}

describe('leak check', () => {
  test('a number and a name added by hand after the scan are caught, and their buttons replace them', async () => {
    await hernoem('Brief', 'Brief, Pieter Hendriksen, NL02ABNA0123456789');
    await naarAi();
    assert.match(await melding(), /Mogelijk nog niet vervangen:\s*IBAN: NL02ABNA0123456789/);
    assert.match(await melding(), /Lijkt op een naam, controleer:\s*Pieter Hendriksen \+/);

    await page.click('[data-fix="rest"]');
    assert.equal(await toastText(page), '1 gegeven(s) worden nu vervangen.');
    await page.click('[data-kand="0"]');
    assert.match(await toastText(page), /^"Pieter Hendriksen" wordt nu \[PERSOON_\d+\]\.$/);

    const tekst = await uitvoer();
    assert.ok(!/Hendriksen|NL02ABNA/.test(tekst), tekst);
    assert.match(await melding(), /Geen BSN, IBAN, namen of andere herkenbare gegevens meer gevonden/);
    assert.equal((await sessie(page)).ents.filter((e) => !e.auto).length, 2);
  });

  test('the mail domain standing loose becomes a website of its own', async () => {
    await hernoem('Notitie', 'Notitie bakkerbouw.nl');
    await naarAi();
    assert.match(await melding(), /Losse delen van vervangen gegevens:\s*bakkerbouw\.nl \(domein van \[EMAIL_1\]\)/);
    await page.click('[data-fix="los"]');
    assert.match(await toastText(page), /losse delen worden nu ook vervangen\.$/);
    assert.ok((await sessie(page)).ents.some((e) => e.cat === 'WEBSITE' && e.value === 'bakkerbouw.nl'));
    assert.ok(!(await uitvoer()).includes('bakkerbouw'));
  });

  test('the search button walks the occurrences of a word and says when it has gone', async () => {
    await hernoem('Brief', 'Brief, Pieter Hendriksen');
    await hernoem('Notitie', 'Notitie, Pieter Hendriksen');
    await naarAi();
    const spring = page.locator('.spring[data-spring="Pieter Hendriksen"]');
    const gemarkeerd = () => page.evaluate(() => String([...CSS.highlights.get('zoek')][0]));
    await spring.click();
    assert.equal(await toastText(page), '"Pieter Hendriksen": plek 1 van 2. Klik nogmaals voor de volgende.');
    assert.equal(await gemarkeerd(), 'Pieter Hendriksen');
    await spring.click();
    assert.match(await toastText(page), /plek 2 van 2/);
    await spring.click();
    assert.match(await toastText(page), /plek 1 van 2/);
  });
});

describe('copying', () => {
  test('the report for the client\'s file holds counts and no personal data', async () => {
    const ents = (await sessie(page)).ents;
    await naarAi();
    await page.click('#btn-verslag');
    const verslag = await klembord(page);
    assert.ok(verslag.startsWith('Verantwoording anonimisering\n'), verslag);
    assert.match(verslag, /^Documenten: {8}2$/m);
    for (const geheim of ['Vries Holding', 'Brief', 'Notitie', '[', 'bakkerbouw', ...ents.flatMap((e) => [e.label, ...e.variants])]) {
      assert.ok(!verslag.includes(geheim), `the report holds ${geheim}`);
    }
  });

  test('with the preference on, a copy moves on to step 4, and the preference is kept', async () => {
    await naarAi();
    await page.locator('.opt-door').first().check();
    assert.equal(await page.locator('.opt-door:checked').count(), 2);
    await page.click('#btn-kopieer-ai');
    await page.waitForSelector('#view-terug.active');
    assert.equal(await toastText(page), 'Tekst staat op het klembord. Plak die in de AI en zet het antwoord hier terug.');
    assert.equal(await page.evaluate(() => localStorage.getItem('drovel-anon-door-na-kopieren')), '1');
    assert.ok((await klembord(page)).startsWith('=== Document 1: Brief ==='));
  });

  test('a document added after a visit joins the text unless the user chose one, also after a new session', async () => {
    const nieuw = async (titel) => {
      await naarView(page, 'document');
      await plak(page, titel, `${titel}: de heer Piet Smit belde.`);
    };
    await naarAi();
    await page.selectOption('#ai-doc', { label: 'Brief' });
    await naarView(page, 'document');
    await page.click('#btn-nieuw');
    await page.click('#btn-nieuw');
    await nieuw('Eerste');
    await naarAi();
    await nieuw('Tweede');
    await naarAi();
    assert.equal(await page.inputValue('#ai-doc'), 'alle');
    assert.match(await uitvoer(), /=== Document 2: Tweede ===/);
    await page.selectOption('#ai-doc', { label: 'Eerste' });
    await nieuw('Derde');
    await naarAi();
    assert.ok((await uitvoer()).startsWith('Eerste:'));
  });

  test('one chosen document goes without separator; the birth year shows only with a date of birth', async () => {
    await naarAi();
    assert.equal(await page.locator('#opt-geboortejaar-rij').isHidden(), true);
    await page.selectOption('#ai-doc', { label: 'Notitie' });
    await page.click('#btn-kopieer-ai-boven');
    const tekst = await klembord(page);
    assert.ok(tekst.startsWith('Notitie: mevrouw [PERSOON_') && !tekst.includes('==='), tekst);
    assert.match(await page.locator('#ai-stats').innerText(), /vervangingen/);
  });
});

describe('restoring', () => {
  // Emptied first, so that the buttons come on again only once this answer is rendered.
  const antwoord = async (tekst) => {
    await naarView(page, 'terug');
    await page.fill('#terug-invoer', '');
    await page.waitForFunction(() => document.getElementById('btn-kopieer-md').disabled);
    await page.fill('#terug-invoer', tekst);
    await page.waitForFunction(() => !document.getElementById('btn-kopieer-md').disabled);
  };

  test('every spelling an assistant makes of a placeholder comes back; ordinary words stay', async () => {
    const jan = (await sessie(page)).ents.find((e) => e.value === 'Jan de Vries').label;
    const [p, n] = jan.split('_');
    const Klein = p[0] + p.slice(1).toLowerCase();
    const terug = [`[${jan}]`, `[${jan.toLowerCase()}]`, `[ ${p} ${n} ]`, `\\[${p}\\_${n}\\]`, `**[${jan}]**`, `${p} ${n}`, `${p}-${n}`, `[${Klein} ${n}]`];
    const blijft = [`${p.toLowerCase()} ${n}`, `${Klein} ${n}`, `X${jan}`, `${jan}0`];
    await antwoord([...terug, ...blijft].map((v) => `${v}.`).join('\n\n'));
    await page.click('#btn-kopieer-md');
    const md = (await klembord(page)).split('\n\n');
    assert.deepEqual(md, [...terug.map((v) => (v.startsWith('**') ? '**Jan de Vries**.' : 'Jan de Vries.')), ...blijft.map((v) => `${v}.`)]);
    assert.match(await page.locator('#terug-melding').innerText(), new RegExp(`Onbekende placeholders:\\s*\\[${jan}0\\]`));
  });

  test('HTML and script in the answer are shown as text and never run', async () => {
    await antwoord('<img src=x onerror="window.lek=1"><script>window.lek=1</script> [PERSOON_1]');
    const weergave = page.locator('#terug-weergave');
    assert.equal(await weergave.locator('img, script').count(), 0);
    assert.ok((await weergave.innerText()).includes('<script>window.lek=1</script> Jan de Vries'));
    assert.equal(await page.evaluate(() => window.lek), undefined);
  });

  test('pasted chat HTML keeps its table, list start and bold, without its script', async () => {
    await naarView(page, 'terug');
    await page.evaluate(async () => {
      const html = '<h2>Advies</h2><p>Voor <b>[PERSOON_1]</b>:</p><ol start="3"><li><p>Eerst</p><p>dan dit</p></li><li>Tot slot</li></ol>'
        + '<table><tr><td>Naam</td><td>IBAN</td></tr><tr><td>[PERSOON_1]</td><td>[IBAN_1]</td></tr></table><script>window.lek=1</script>';
      await navigator.clipboard.write([new ClipboardItem({ 'text/html': new Blob([html], { type: 'text/html' }), 'text/plain': new Blob(['plat'], { type: 'text/plain' }) })]);
    });
    await page.click('#btn-terug-plak');
    await page.waitForFunction(() => document.getElementById('terug-invoer').value);
    assert.equal(await page.inputValue('#terug-invoer'),
      '## Advies\n\nVoor **[PERSOON_1]**:\n\n3. Eerst\n   dan dit\n4. Tot slot\n\n| Naam | IBAN |\n| --- | --- |\n| [PERSOON_1] | [IBAN_1] |');
    await page.waitForSelector('#terug-weergave table');
    const w = page.locator('#terug-weergave');
    assert.equal(await w.locator('ol[start="3"] li').count(), 2);
    assert.equal(await w.locator('strong mark.terug').innerText(), 'Jan de Vries');
    assert.equal(await w.locator('td mark.terug').nth(1).innerText(), 'NL91ABNA0417164300');
    assert.equal(await page.evaluate(() => window.lek), undefined);
  });

  test('a 5 MB answer restores in full, and unknown labels are listed once', async () => {
    const regel = '[PERSOON_1] betaalt van \\[IBAN\\_1\\] aan [PERSOON_77]; ';
    const keer = Math.ceil(5e6 / regel.length);
    await antwoord(regel.repeat(keer));
    const tekst = await page.locator('#terug-melding').innerText();
    assert.match(tekst, /Onbekende placeholders:\s*\[PERSOON_77\]\s*Deze staan niet/);
    assert.ok(tekst.includes(`${2 * keer} placeholder(s) teruggezet (2 verschillende)`), tekst);
  });

  test('left for another view, the restored answer takes no room and no focus, and is there again on return', async () => {
    await antwoord('Voor [PERSOON_1]:\n\n- eerst\n- dan');
    await naarView(page, 'sleutel');
    assert.equal(await page.isVisible('#terug-invoer'), false);
    assert.deepEqual(await page.evaluate(() => {
      const invoer = document.getElementById('terug-invoer');
      invoer.focus();
      return [document.getElementById('view-terug').getBoundingClientRect().height, document.activeElement === invoer];
    }), [0, false]);
    await naarView(page, 'terug');
    assert.equal(await page.locator('#terug-weergave mark.terug').innerText(), 'Jan de Vries');
    assert.equal(await page.locator('#terug-weergave li').count(), 2);
  });

  test('without a key in the session an answer is restored nowhere and only that is said', async () => {
    await page.click('#btn-nieuw');
    await page.click('#btn-nieuw');
    await antwoord('[PERSOON_1] en [PERSOON_9]');
    assert.equal(await page.locator('#terug-melding').innerText(), 'Er is nog geen sleutel in deze sessie. Open eerst het sleutelbestand van dit dossier.');
  });
});

test('the follow-up question completes names with Tab and is copied with the same placeholders', async () => {
  const jan = (await sessie(page)).ents.find((e) => e.value === 'Jan de Vries').label;
  await naarView(page, 'terug');
  await page.click('#vervolg-invoer');
  await page.keyboard.type('en mag Jan de V');
  await page.waitForSelector('#vervolg-namen:has-text("Aanvullen")');
  await page.keyboard.press('Tab');
  assert.equal(await page.inputValue('#vervolg-invoer'), 'en mag Jan de Vries');
  await page.keyboard.type(' schenken aan zijn dochter, BSN 111222333?');
  await page.click('#btn-vervolg');
  assert.equal(await klembord(page), `en mag [${jan}] schenken aan zijn dochter, BSN [BSN_1]?`);
  assert.equal(await toastText(page), '1 nieuwe gegevens in de sleutel opgenomen. Sla het sleutelbestand straks opnieuw op.');
});

test('a name chip pressed after the caret moved by keyboard replaces none of the words typed', async () => {
  await naarView(page, 'terug');
  await page.click('#vervolg-invoer');
  await page.keyboard.type('Kan Jan de V');
  await page.waitForSelector('#vervolg-namen:has-text("Aanvullen")');
  for (let i = 0; i < 8; i++) await page.keyboard.press('ArrowLeft');
  await page.locator('#vervolg-namen button', { hasText: 'Jan de Vries' }).first().click();
  assert.equal(await page.inputValue('#vervolg-invoer'), 'Kan Jan de VriesJan de V');
});

test('screenshots of both views at 1440 and 760 px', async () => {
  await naarAi();
  await page.click('#btn-kopieer-ai');
  const tekst = await klembord(page);
  await naarView(page, 'terug');
  await naarKlembord(page, `## Advies\n\n${tekst.slice(0, 400)}\n\n| Wie | Rekening |\n| --- | --- |\n| [PERSOON_1] | [IBAN_1] |\n\nZie ook [PERSOON_9].`);
  await page.click('#btn-terug-plak');
  await page.fill('#vervolg-invoer', 'Kan Jan de Vries schenken?');
  for (const breed of [1440, 760]) {
    await page.setViewportSize({ width: breed, height: 900 });
    for (const view of ['ai', 'terug']) {
      await page.evaluate((v) => { location.hash = v; }, view);
      await page.waitForSelector(`#view-${view}.active`);
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
      const breedte = await page.evaluate(() => document.documentElement.scrollWidth);
      assert.ok(breedte <= breed, `${view} at ${breed}px scrolls sideways (${breedte}px)`);
      await page.screenshot({ path: `test-results/${view}-${breed}.png`, fullPage: true });
    }
  }
});
