// The page shell: intake of files and pasted text, numbering, the session in the
// tab, routing, and hostile names and texts shown as text.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';
import { paginaOmgeving } from './support/omgeving.js';
import { openPage, toastText } from './support/page-server.js';
import { plak, sessie, volgToasts } from './support/user.js';

const FIXTURES = join(fileURLToPath(new URL('../..', import.meta.url)), '..', 'shared', 'fixtures');
const BRIEF = 'Geachte mevrouw Els Bakker,\n\nNamens de heer Jan de Vries stuur ik de aangifte. '
  + 'Betaling op NL20INGB0001234567, daarna op NL91ABNA0417164300.\n\nMet vriendelijke groet,\nKarel Dekker\nDekker Bouw B.V.';
const txt = (name, text) => ({ name, mimeType: 'text/plain', buffer: Buffer.from(text) });

const omgeving = paginaOmgeving();

const klaar = (page) => page.waitForFunction(() => !document.getElementById('laden').classList.contains('show'));

test('files from the chooser and a drop are read in order; a failing one is told and left out', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await volgToasts(page);
  await page.setInputFiles('#file-input', [
    txt('brief.txt', BRIEF),
    { name: 'kapot.docx', mimeType: 'application/octet-stream', buffer: Buffer.from('geen zip') },
    { name: 'comments.docx', mimeType: 'application/octet-stream', buffer: readFileSync(join(FIXTURES, 'docx', 'comments.docx')) },
  ]);
  await klaar(page);
  const toasts = await page.evaluate(() => window.toasts);
  assert.ok(toasts.some((t) => t.startsWith('kapot.docx: ')), toasts.join(' | '));
  assert.match(toasts.at(-1), /^2 document\(en\) gelezen, \d+ nieuwe gegevens gevonden\. Niet gelezen: kapot\.docx\.$/);

  let s = await sessie(page);
  assert.deepEqual(s.docs.map((d) => d.name), ['brief.txt', 'comments.docx']);
  assert.equal(s.cur, s.docs[0].id);
  const label = (value) => s.ents.find((e) => e.value === value)?.label;
  assert.deepEqual(['Els Bakker', 'Jan de Vries', 'Karel Dekker', 'Michael Williamson'].map(label),
    ['PERSOON_1', 'PERSOON_2', 'PERSOON_3', 'PERSOON_4']);
  assert.deepEqual(['NL20INGB0001234567', 'NL91ABNA0417164300'].map(label), ['IBAN_1', 'IBAN_2']);

  const sheet = readFileSync(join(FIXTURES, 'sheets', 'issues.xlsx')).toString('base64');
  await page.evaluate((b64) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    const dt = new DataTransfer();
    dt.items.add(new File([bytes], 'issues.xlsx'));
    document.getElementById('upload-box').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  }, sheet);
  await klaar(page);
  s = await sessie(page);
  assert.deepEqual(s.docs.map((d) => d.name), ['brief.txt', 'comments.docx', 'issues.xlsx']);
  assert.equal(s.cur, s.docs[2].id);
  assert.match(await page.locator('#doc-lijst').innerText(), /6 blad\(en\)/);
  assert.equal(await page.locator('#nav-docs').textContent(), '3');
  assert.deepEqual(problems, []);
});

test('a batch of 30 with two damaged files ends with a toast that names them', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await volgToasts(page);
  const kapot = { '15_kapot.pdf': '%PDF-1.4 afgebroken', '22_kapot.docx': 'geen zip' };
  const naam = (i) => Object.keys(kapot).find((k) => k.startsWith(`${i}_`)) ?? `${String(i).padStart(2, '0')}_brief.txt`;
  await page.setInputFiles('#file-input', Array.from({ length: 30 }, (_, i) => txt(naam(i + 1), kapot[naam(i + 1)] ?? BRIEF)));
  await klaar(page);
  const toasts = await page.evaluate(() => window.toasts);
  assert.ok(toasts.some((t) => t.startsWith('15_kapot.pdf: ')), toasts.join(' | '));
  const slot = /^28 document\(en\) gelezen, \d+ nieuwe gegevens gevonden\. Niet gelezen: 15_kapot\.pdf en 22_kapot\.docx\.$/;
  assert.match(toasts.at(-1), slot);
  assert.match(await toastText(page), slot);
  await page.screenshot({ path: 'test-results/intake-niet-gelezen.png', animations: 'disabled' });
  assert.equal((await sessie(page)).docs.length, 28);
  assert.deepEqual(problems, []);
});

test('pasted text becomes numbered documents; an empty paste is refused', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await page.click('#btn-plak');
  assert.equal(await toastText(page), 'Plak eerst tekst in het vak.');
  const lang = 'a'.repeat(12344) + '\n';
  // Each paste is taken in (the field emptied) before the next one is typed.
  for (const tekst of [BRIEF, lang]) await plak(page, '', tekst);
  await plak(page, '  Mail klant  ', 'Zie IBAN NL91ABNA0417164300.');
  assert.equal(await toastText(page), 'Tekst toegevoegd, 0 nieuwe gegevens gevonden.');
  const s = await sessie(page);
  assert.deepEqual(s.docs.map((d) => [d.name, d.info]),
    [['Geplakte tekst 1', `${BRIEF.length} tekens`], ['Geplakte tekst 2', '12.345 tekens'], ['Mail klant', '28 tekens']]);
  assert.equal(s.cur, s.docs[2].id);
  assert.equal(await page.inputValue('#plak-titel'), '');
  assert.ok(!('bekend' in s.docs[0]));
  assert.deepEqual(problems, []);
});

test('the session survives a reload; a new session needs two clicks and clears it', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await page.fill('#dossier', ' Bakker IB 2025 ');
  await page.fill('#plak-tekst', BRIEF);
  await page.click('#btn-plak');
  await page.click('#btn-naar-markeren');
  await page.click('#seg-weergave [data-mode="ph"]');
  const voor = await sessie(page);
  await page.reload();
  assert.equal(await page.locator('#view-markeren').getAttribute('class'), 'view active');
  assert.deepEqual(await sessie(page), voor);
  assert.equal(await page.locator('#dossier-badge').textContent(), 'Bakker IB 2025');
  assert.match(await page.locator('#preview').textContent(), /\[PERSOON_1\]/);

  await page.goto(`${omgeving.origin}/`);
  assert.equal(await page.locator('#view-markeren.active').count(), 1, 'without a fragment, documents open the marking view');
  await page.click('a[data-view="document"]');
  await page.waitForSelector('#view-document.active');
  await page.click('#btn-nieuw');
  assert.equal(await page.locator('#btn-nieuw').textContent(), 'Zeker weten? Klik nogmaals');
  assert.equal((await sessie(page)).docs.length, 1);
  await page.click('#btn-nieuw');
  assert.equal(await page.locator('#btn-nieuw').textContent(), 'Nieuwe sessie');
  assert.equal(await toastText(page), 'Nieuwe sessie gestart.');
  assert.equal(await page.evaluate(() => sessionStorage.getItem('drovel-verhulzen-v1')), null);
  await page.reload();
  assert.equal(await page.locator('#doc-lijst').innerText(), 'Nog geen documenten\nUpload een bestand of plak tekst. Heeft u al een sleutelbestand van deze klant? Open dat eerst bij Sleutelbestand.');
  assert.equal(await page.locator('#dossier-badge').getAttribute('class'), 'geen');
  assert.equal(await page.locator('#nav-docs').isHidden(), true);
  assert.deepEqual(problems, []);
});

test('a fragment naming no view shows the document view and stays', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  await page.goto(`${omgeving.origin}/#onzin`);
  assert.equal(await page.locator('#view-document.active').count(), 1);
  assert.equal(await page.locator('#view-title').textContent(), 'Document');
  assert.equal(new URL(page.url()).hash, '#onzin');
  for (const fragment of ['#%E0%A4', '#markeren%']) {
    await page.goto(`${omgeving.origin}/${fragment}`);
    await page.reload();
    assert.equal(await page.locator('#view-document.active').count(), 1, fragment);
    assert.equal(new URL(page.url()).hash, fragment);
  }
  await page.click('a[data-view="uitleg"]');
  await page.waitForFunction(() => document.getElementById('view-title').textContent === 'Uitleg');
  assert.equal(await page.locator('a[data-view="uitleg"]').getAttribute('class'), 'active');
  assert.deepEqual(problems, []);
});

test('hostile file names and texts appear as text and never run', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  const naam = '"><img src=x onerror="document.title=1">.txt';
  const tekst = '<script>document.title="pwned"</script> Een "quote" & \'ander\' <b>vet</b>\n\nDe heer Jan de Vries <img src=y onerror=alert(1)>';
  await page.setInputFiles('#file-input', [txt(naam, tekst)]);
  await klaar(page);
  assert.match(await page.locator('#doc-lijst').innerText(), /"><img src=x onerror="document.title=1">\.txt/);
  await page.click('#btn-naar-markeren');
  await page.fill('#nieuw-waarde', '<svg onload=alert(2)>');
  await page.click('#btn-toevoegen');
  const preview = await page.locator('#preview').textContent();
  assert.ok(preview.includes('<script>document.title="pwned"</script> Een "quote" & \'ander\' <b>vet</b>'), preview);
  assert.ok((await page.locator('#ent-lijst').innerText()).includes('<svg onload=alert(2)>'));
  assert.equal(await page.locator('#preview-titel').textContent(), naam);
  assert.equal(await page.locator(':is(#doc-lijst, #preview, #ent-lijst, #preview-titel) :is(img, script, svg:not(.ic), b)').count(), 0);
  assert.equal(await page.locator('#preview mark.ent.cat-PERSOON').first().textContent(), 'Jan de Vries');
  assert.equal(await page.title(), 'Verhulzen voor AI | Drovel');
  assert.deepEqual(problems, []);
});

test('a pasted picture alone is a screen clipping on the document view only', async () => {
  const { page, problems } = await openPage(omgeving.browser, omgeving.origin);
  const plak = (metTekst) => page.evaluate((tekst) => {
    window.gelezen = [];
    new MutationObserver(() => window.gelezen.push(document.getElementById('laden').textContent))
      .observe(document.getElementById('laden'), { childList: true, characterData: true, subtree: true });
    const dt = new DataTransfer();
    if (tekst) dt.setData('text/plain', 'A1\tB1');
    dt.items.add(new File([new Uint8Array([137, 80, 78, 71])], 'image.png', { type: 'image/png' }));
    const ev = new ClipboardEvent('paste', { clipboardData: dt, bubbles: true, cancelable: true });
    document.body.dispatchEvent(ev);
    return ev.defaultPrevented;
  }, metTekst);
  const gelezen = () => page.evaluate(() => [...new Set(window.gelezen)]);

  assert.equal(await plak(true), false, 'text beside the picture pastes as usual');
  assert.deepEqual(await gelezen(), []);
  assert.equal(await plak(false), true);
  await klaar(page);
  assert.deepEqual(await gelezen(), ['Bezig met lezen van Schermknipsel 1.png…', 'Afbeelding lezen met tekstherkenning…']);
  assert.equal(await plak(false), true);
  await klaar(page);
  assert.deepEqual(await gelezen(), ['Bezig met lezen van Schermknipsel 2.png…', 'Afbeelding lezen met tekstherkenning…']);

  await page.goto(`${omgeving.origin}/#markeren`);
  assert.equal(await plak(false), false, 'not on the marking view');
  assert.deepEqual(problems, []);
});
