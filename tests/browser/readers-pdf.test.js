// PDF files, scans, photos and screen clippings through the page's own intake:
// real sample PDFs, and documents that Chromium makes here. OCR runs once in the
// page (hosted edition) and once through /ocr (desktop edition).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from './support/chromium.js';
import { serveDesktopOcr } from './support/desktop-ocr.js';
import { openPage, servePage } from './support/page-server.js';
import { exifJpeg, greyTiff, htmlPdf, scanPdf, scanPng } from '../fixtures/readers/make-pdf.js';
import { rawPdf, textLines } from '../fixtures/readers/make-raw-pdf.js';

const SAMPLES = fileURLToPath(new URL('../../../shared/fixtures/pdf/', import.meta.url));
const CAUTION = 'Controleer extra goed: OCR kan letters of cijfers verkeerd lezen, en wat niet gelezen is, staat ook niet in de tekst.';
const TIP = 'Tip: in de Windows-app van Drovel gaat tekstherkenning sneller en nauwkeuriger.';
const LETTER = '<p>Geachte mevrouw Els Bakker,</p><p>Namens de heer Jan de Vries stuur ik u de aanslag inkomstenbelasting 2024. '
  + 'Zijn burgerservicenummer is 111222333.</p><p>Het bedrag van € 1.234,00 kunt u overmaken op rekening NL91ABNA0417164300.</p>'
  + '<p>Met vriendelijke groet,</p><p>Karel Dekker</p>';
const RECEIPT = '<h1 style="font:bold 40px sans-serif">Kassabon Bakkerij Smit</h1><p style="font:32px sans-serif">Volkorenbrood 3,45<br>Appeltaart 12,50</p>';
const OCR_SLOW = { timeout: 240000 };

const file = (name, buffer) => ({ name, mimeType: 'application/octet-stream', buffer });
const sample = (name) => file(name, readFileSync(SAMPLES + name));
const p = (text) => ({ t: 'p', line: true, text });
const h3 = (n) => ({ t: 'h', level: 3, text: `Pagina ${n}`, pagina: true });

let browser;
let hosted;
let made;
before(async () => {
  hosted = await servePage();
  browser = await launchBrowser();
  const letter = await scanPng(browser, LETTER);
  made = {
    letter,
    scan: await scanPdf(browser, [letter]),
    photo: await exifJpeg(browser, await scanPng(browser, RECEIPT)),
    blank: await scanPng(browser, ''),
  };
});
after(async () => {
  await browser?.close();
  hosted?.server.close();
});

const sessie = (page) => page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')));

// Files through the chooser; gives the session after the overlay closed, the
// toasts shown, the overlay's texts and how many frames were drawn meanwhile.
// The last toast may hide the one before it, so a failing file goes before the last.
async function lees(page, files, timeout = 60000) {
  await page.evaluate(() => {
    const watch = (id, list) => new MutationObserver(() => list.push(document.getElementById(id).textContent))
      .observe(document.getElementById(id), { childList: true, characterData: true, subtree: true });
    const gezien = { toasts: [], laden: [], beelden: 0 };
    window.gezien = gezien;
    watch('toast', gezien.toasts);
    watch('laden', gezien.laden);
    const tel = () => {
      if (document.getElementById('laden').classList.contains('show')) gezien.beelden += 1;
      if (window.gezien === gezien) requestAnimationFrame(tel);
    };
    requestAnimationFrame(tel);
  });
  await page.setInputFiles('#file-input', files);
  await page.waitForFunction(() => !document.getElementById('laden').classList.contains('show'), null, { timeout, polling: 100 });
  const s = await sessie(page);
  const gezien = await page.evaluate(() => {
    const { gezien } = window;
    delete window.gezien;
    return gezien;
  });
  return { s, doc: (name) => s?.docs.find((d) => d.name === name), ...gezien };
}

const waarden = (s, cat) => s.ents.filter((e) => e.cat === cat).map((e) => e.value);

test('real PDFs: text, filled fields, an overlay, a tiny fax image, a password', OCR_SLOW, async () => {
  const { page, problems } = await openPage(browser, hosted.origin);
  const vendor = [];
  page.on('request', (req) => { if (req.url().includes('/vendor/')) vendor.push(new URL(req.url()).pathname); });
  const names = ['002-trivial-libre-office-writer.pdf', 'libreoffice-form.pdf', 'pdflatex-forms.pdf', 'reportlab-overlay.pdf',
    'libreoffice-writer-password.pdf', 'imagemagick-CCITTFaxDecode.pdf'];
  const { doc, toasts } = await lees(page, names.map(sample), 120000);

  const writer = doc(names[0]);
  assert.equal(writer.info, "1 pagina('s)");
  assert.deepEqual(writer.warn, []);
  assert.deepEqual(writer.blocks.at(-1), p('takimata sanctus est Lorem ipsum dolor sit amet.'));
  assert.equal(writer.blocks.length, 7);
  // Field values stand in their own rows; unfilled fields and buttons give nothing.
  assert.deepEqual(doc(names[1]).warn, ['2 ingevulde formuliervelden meegenomen; controleer of ze op de goede plek in de tekst staan.']);
  assert.deepEqual(doc(names[1]).blocks.slice(0, 3), [p('Example for a Form'), p('First Name\tLast Name'), p('Alice')]);
  assert.ok(doc(names[1]).blocks.some((b) => b.text === 'Bob'));
  assert.deepEqual(doc(names[2]), { ...doc(names[2]), warn: [], blocks: [p('Name'), p('Check'), p('Submit'), p('1')] });
  assert.deepEqual(doc(names[3]).blocks, [p('Signed: 12-34-2007T12:34:56'), p('Fingerprint: asdfSa2123'), p('Name: Foo Bar')]);
  // A page of 4 by 4 points has no text, so it went to OCR, which found nothing.
  assert.deepEqual(doc(names[5]), { ...doc(names[5]), blocks: [], warn: ['Geen tekst gevonden, ook niet met tekstherkenning.'] });
  assert.equal(doc(names[4]), undefined);
  assert.ok(toasts.includes(`${names[4]}: Dit PDF-bestand is beveiligd met een wachtwoord. Sla het zonder wachtwoord op en probeer het opnieuw.`), toasts.join(' | '));
  assert.match(toasts.at(-1), /^5 document\(en\) gelezen/);
  // Latin text needs neither character maps nor standard fonts: nothing is asked beyond the worker and the OCR files.
  assert.deepEqual([...new Set(vendor)].sort(), ['/vendor/pdf.worker.min.js', '/vendor/tesseract/nld.traineddata.gz',
    '/vendor/tesseract/tesseract-core-simd-lstm.wasm.js', '/vendor/tesseract/tesseract.min.js', '/vendor/tesseract/worker.min.js']);
  assert.deepEqual(problems, []);
});

test('a two-column statement keeps its columns as tabs, page by page', async () => {
  const rows = [['02-01-2025', 'Huur kantoor Kerkstraat 12 Utrecht', '1.250,00'], ['15-01-2025', 'Premie beroepsaansprakelijkheid', '312,40']];
  const table = (n) => `<h2>Rekeningafschrift ${n}</h2><table style="width:100%;font:12px sans-serif">`
    + `<tr><th align=left>Datum</th><th align=left>Omschrijving</th><th align=right>Bedrag</th></tr>`
    + rows.map((r) => `<tr><td>${r[0]}</td><td>${r[1]}</td><td align=right>${r[2]}</td></tr>`).join('') + '</table>';
  const pdf = await htmlPdf(browser, `${table(1)}<div style="break-before:page"></div>${table(2)}`);
  const { page, problems } = await openPage(browser, hosted.origin);
  const { doc } = await lees(page, [file('afschrift.pdf', pdf)]);
  const lines = ['Datum\tOmschrijving\tBedrag', ...rows.map((r) => r.join('\t'))].map(p);
  assert.deepEqual(doc('afschrift.pdf'), {
    ...doc('afschrift.pdf'),
    blocks: [h3(1), p('Rekeningafschrift 1'), ...lines, h3(2), p('Rekeningafschrift 2'), ...lines],
    warn: [],
    info: "2 pagina('s)",
  });
  assert.deepEqual(problems, []);
});

test('turned, letter-spaced and CID-font pages, and a damaged page among good ones', async () => {
  const person = ['Pieter van Dijk', 'Adres: Kerkstraat 12, 3511 AB Utrecht', 'BSN: 123456782', 'IBAN: NL91ABNA0417164300'];
  const files = [
    // A landscape page: /Rotate 90, its text running along y.
    file('liggend.pdf', rawPdf([{ rotate: 90, content: textLines(person, { matrix: [0, 1, -1, 0], at: (i) => [100 + 14 * i, 60] }) }])),
    // Character spacing 1.5 pt at 10 pt, as a browser prints a letterhead, and in one run of text with its spaces.
    file('gespatieerd.pdf', await htmlPdf(browser, '<p style="font:10pt sans-serif;letter-spacing:1.5pt">Pieter van Dijk, BSN 123456782</p>')),
    file('tc.pdf', rawPdf([{ content: textLines(['Pieter van Dijk, BSN 123456782'], { at: () => [60, 780], spacing: 0.15 }) }])),
    // A CID font without a ToUnicode map needs the character maps from our own host.
    file('cid.pdf', rawPdf([{ content: textLines(['Pieter van Dijk, BSN 123456782'], { at: () => [60, 780], cid: true }) }])),
    // The second page's contents are no streams: the library fails on it in English.
    file('half.pdf', rawPdf([{ content: textLines(['Jan de Vries'], { at: () => [60, 780] }) },
      { kid: '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources 7 /Contents [1 0 R 99 0 R] >>' },
      { content: textLines(['Els Bakker'], { at: () => [60, 780] }) }])),
  ];
  const { page, problems } = await openPage(browser, hosted.origin);
  const { s, doc } = await lees(page, files);
  assert.deepEqual(doc('liggend.pdf').blocks, person.map(p));
  for (const name of ['gespatieerd.pdf', 'tc.pdf']) assert.deepEqual(doc(name).blocks, [p('Pieter van Dijk, BSN 123456782')], name);
  assert.deepEqual(doc('cid.pdf').blocks, [p('Pieter van Dijk, BSN 123456782')]);
  assert.deepEqual(doc('half.pdf'), { ...doc('half.pdf'), blocks: [h3(1), p('Jan de Vries'), h3(2), h3(3), p('Els Bakker')],
    warn: ["1 pagina('s) beschadigd; die zijn overgeslagen."] });
  for (const name of ['Pieter van Dijk', 'Jan de Vries']) assert.ok(waarden(s, 'PERSOON').includes(name), `${name} in ${waarden(s, 'PERSOON')}`);
  assert.ok(waarden(s, 'BSN').includes('123456782'), JSON.stringify(s.ents));
  assert.deepEqual(problems, []);
});

test('damaged, empty, broken and blank files fail with a Dutch message; the page goes on', OCR_SLOW, async () => {
  const { page, problems } = await openPage(browser, hosted.origin);
  const real = readFileSync(`${SAMPLES}minimal-document.pdf`);
  const files = [
    file('kapot.pdf', Buffer.from('%PDF-1.7\n1 0 obj << /Type /Catalog >>\nrommel zonder einde')),
    file('geen.pdf', Buffer.from('Dit is geen PDF maar een brief.')),
    file('leeg.pdf', Buffer.alloc(0)),
    file('kapot.jpg', real.subarray(0, 300)),
    file('scan.tiff', Buffer.from([0x49, 0x49, 0x2a, 0])),
    file('wit.png', made.blank),
    file('heel.pdf', real),
  ];
  const { doc, toasts } = await lees(page, files, 120000);
  const damaged = 'Dit PDF-bestand kon niet gelezen worden. Het bestand is beschadigd of is geen PDF.';
  for (const message of [
    `kapot.pdf: ${damaged}`, `geen.pdf: ${damaged}`, 'leeg.pdf: Dit PDF-bestand is leeg (0 bytes).',
    'kapot.jpg: Deze afbeelding kon niet gelezen worden. Het bestand is beschadigd of heeft een onbekende indeling.',
    'scan.tiff: TIFF-scans kan alleen de Windows-app lezen. Sla de scan op als PDF of JPG.',
    'wit.png: geen tekst herkend in de afbeelding.',
  ]) assert.ok(toasts.includes(message), `${message} in ${toasts.join(' | ')}`);
  assert.equal(doc('heel.pdf').blocks.at(-1).text, '1');
  assert.deepEqual((await sessie(page)).docs.map((d) => d.name), ['heel.pdf']);
  assert.deepEqual(problems, []);
});

test('from a local folder the PDF worker and the workbook library run in the page; without its file every PDF is refused', async () => {
  const root = mkdtempSync(join(tmpdir(), 'verhulzen-pdf-'));
  try {
    for (const copy of ['heel', 'zonder']) cpSync(fileURLToPath(new URL('../../build/web/', import.meta.url)), join(root, copy), { recursive: true });
    rmSync(join(root, 'zonder', 'vendor', 'pdf.worker.min.js'));
    const text = sample('minimal-document.pdf');
    const open = async (copy) => {
      const page = await browser.newPage();
      await page.goto(`file://${join(root, copy, 'index.html')}`);
      await page.waitForSelector('.view.active');
      return page;
    };
    const heel = await open('heel');
    // A workbook too: its worker cannot start from a local folder, so it is parsed in the page.
    const werkmap = file('issues.xlsx', readFileSync(new URL('../sheets/issues.xlsx', `file://${SAMPLES}`)));
    const local = await lees(heel, [text, werkmap]);
    assert.equal(local.doc(text.name).blocks.at(-1).text, '1');
    assert.equal(local.doc('issues.xlsx').info, '6 blad(en)');
    const zonder = await open('zonder');
    const { s, toasts } = await lees(zonder, [text, file('tweede.pdf', text.buffer), file('notitie.txt', Buffer.from('Aan Jan'))]);
    assert.deepEqual(s.docs.map((d) => d.name), ['notitie.txt']);
    for (const name of [text.name, 'tweede.pdf']) assert.ok(toasts.includes(`${name}: pdf.worker.min.js niet gevonden`), toasts.join(' | '));
    await Promise.all([heel.close(), zonder.close()]);
  } finally {
    rmSync(root, { recursive: true, force: true });
  }
});

test('an OCR engine that cannot be set up is told per page, and tried again next time', OCR_SLOW, async () => {
  const { page, problems } = await openPage(browser, hosted.origin);
  await page.route('**/vendor/tesseract/tesseract.min.js', (route) => route.abort());
  const fax = sample('imagemagick-CCITTFaxDecode.pdf');
  const twoPages = await scanPdf(browser, [made.letter, made.letter]);
  const failed = (await lees(page, [file('twee.pdf', twoPages)])).doc('twee.pdf');
  assert.deepEqual(failed.blocks, [h3(1), h3(2)]);
  assert.deepEqual(failed.warn, ['Tekstherkenning mislukt: kon vendor/tesseract/tesseract.min.js niet laden', 'Geen tekst gevonden, ook niet met tekstherkenning.']);
  await page.unroute('**/vendor/tesseract/tesseract.min.js');
  assert.deepEqual((await lees(page, [fax], 120000)).doc(fax.name).warn, ['Geen tekst gevonden, ook niet met tekstherkenning.']);
  assert.deepEqual(problems, []);
});

test('500 pages are read one after another, with the page shown and drawn throughout', OCR_SLOW, async () => {
  const html = Array.from({ length: 500 }, (_, i) => `<p style="break-after:page">Bijlage ${i + 1} bij dossier 2024-117</p>`).join('');
  const { page, problems } = await openPage(browser, hosted.origin);
  const { doc, laden, beelden } = await lees(page, [file('bijlagen.pdf', await htmlPdf(browser, html))], 200000);
  const d = doc('bijlagen.pdf');
  assert.equal(d.info, "500 pagina('s)");
  assert.equal(d.blocks.length, 1000);
  assert.deepEqual(d.blocks.slice(998), [h3(500), p('Bijlage 500 bij dossier 2024-117')]);
  const pages = laden.filter((t) => /^Pagina \d+ van 500 lezen…$/.test(t));
  assert.equal(pages.length, 500);
  assert.equal(pages.at(-1), 'Pagina 500 van 500 lezen…');
  assert.ok(beelden > 10, `${beelden} frames drawn while reading`);
  assert.deepEqual(problems, []);
});

test('hosted edition: a scan, a photo turned by EXIF and a pasted clipping are read by the page\'s own OCR', OCR_SLOW, async () => {
  const { page, problems } = await openPage(browser, hosted.origin);
  const { s, doc, laden } = await lees(page, [file('aanslag.pdf', made.scan), file('bon.jpg', made.photo)], 200000);
  const scan = doc('aanslag.pdf');
  assert.equal(scan.info, "1 pagina('s), 1 via OCR");
  assert.deepEqual(scan.warn, [`1 pagina('s) gelezen met tekstherkenning (in de browser). ${CAUTION}`, TIP]);
  assert.ok(laden.includes('Pagina 1 van 1 lezen met tekstherkenning…'), laden.join(' | '));
  // The detection finds the names and numbers in the recognised text.
  for (const name of ['Els Bakker', 'Jan de Vries', 'Karel Dekker']) assert.ok(waarden(s, 'PERSOON').includes(name), `${name} in ${waarden(s, 'PERSOON')}`);
  assert.ok(waarden(s, 'BSN').includes('111222333'), JSON.stringify(s.ents));
  assert.ok(waarden(s, 'IBAN').includes('NL91ABNA0417164300'), JSON.stringify(s.ents));

  const bon = doc('bon.jpg');
  assert.match(bon.blocks[0].text, /Kassabon Bakkerij Smit/);
  assert.deepEqual(bon.blocks.slice(1).map((b) => b.text), ['Volkorenbrood 3,45', 'Appeltaart 12,50']);
  assert.deepEqual(bon.warn, [`Gelezen met tekstherkenning (in de browser). ${CAUTION}`, TIP]);
  assert.equal(bon.info, '3 regels via OCR');

  // A clipping pasted on the document view goes the same way.
  await page.evaluate((b64) => {
    const data = new DataTransfer();
    data.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], 'image.png', { type: 'image/png' }));
    document.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true }));
  }, made.letter.toString('base64'));
  await page.waitForFunction(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')).docs.length === 3, null, { timeout: 120000 });
  const knipsel = (await sessie(page)).docs[2];
  assert.equal(knipsel.name, 'Schermknipsel 1.png');
  assert.ok(knipsel.blocks.some((b) => b.text.includes('NL91ABNA0417164300')), JSON.stringify(knipsel.blocks));
  assert.deepEqual(problems, []);
});

test('a scan with a small text stamp is read with OCR; a page of little text without a picture is not', OCR_SLOW, async () => {
  const desktop = await serveDesktopOcr();
  try {
    const stamp = '<div style="position:absolute;top:8mm;right:12mm;font:9pt sans-serif">Ingescand 14-03-2024</div>';
    const scan = await htmlPdf(browser, '<style>@page{size:A4;margin:0}body{margin:0}</style>'
      + `<img style="display:block;width:210mm;height:297mm" src="data:image/png;base64,${made.letter.toString('base64')}">${stamp}`);
    const cover = await htmlPdf(browser, `<h1>Dossier 2024-117</h1>${stamp}`);
    // A short letter on letterhead paper that is one picture of the whole page.
    const lines = ['De heer P. van Dijk', 'Kerkstraat 12', '3512 AB Utrecht', 'Geachte heer Van Dijk,', 'Uw burgerservicenummer 111222333 is bij ons bekend.'];
    const letterhead = await htmlPdf(browser, '<style>@page{size:A4;margin:0}body{margin:0}</style>'
      + `<img style="position:absolute;top:0;left:0;width:210mm;height:297mm" src="data:image/png;base64,${made.blank.toString('base64')}">`
      + `<div style="position:absolute;top:50mm;left:25mm;font:11pt serif">${lines.map((l) => `<div>${l}</div>`).join('')}</div>`);
    const { page, problems } = await openPage(browser, desktop.origin);
    const { s, doc } = await lees(page, [file('gestempeld.pdf', scan), file('voorblad.pdf', cover), file('briefpapier.pdf', letterhead)], 120000);
    const read = doc('gestempeld.pdf');
    assert.equal(read.info, "1 pagina('s), 1 via OCR");
    assert.ok(read.blocks.some((b) => b.text.includes('NL91ABNA0417164300')), JSON.stringify(read.blocks));
    assert.ok(waarden(s, 'PERSOON').includes('Jan de Vries'), `${waarden(s, 'PERSOON')}`);
    assert.deepEqual(doc('voorblad.pdf').blocks, [p('Dossier 2024-117\tIngescand 14-03-2024')]);
    // Its text stays as the text layer has it, once; OCR adds nothing it already holds.
    assert.deepEqual(doc('briefpapier.pdf').blocks, lines.map(p));
    assert.equal(doc('briefpapier.pdf').info, "1 pagina('s)");
    assert.equal(desktop.state.posts, 2);
    assert.deepEqual(problems, []);
  } finally {
    desktop.server.close();
  }
});

test('desktop edition: images go to /ocr, never to the page\'s engine', OCR_SLOW, async () => {
  const desktop = await serveDesktopOcr();
  try {
    const { page, problems } = await openPage(browser, desktop.origin);
    const tess = [];
    page.on('request', (req) => { if (req.url().includes('/vendor/tesseract/')) tess.push(req.url()); });
    const tiff = await greyTiff(browser, made.letter);
    const first = await lees(page, [file('aanslag.pdf', made.scan), file('brief.tif', tiff), file('bon.jpg', made.photo)], 200000);
    const scan = first.doc('aanslag.pdf');
    assert.deepEqual(scan.warn, [`1 pagina('s) gelezen met tekstherkenning (Windows, nl-NL). ${CAUTION}`]);
    for (const name of ['Els Bakker', 'Jan de Vries']) assert.ok(waarden(first.s, 'PERSOON').includes(name), name);
    assert.ok(waarden(first.s, 'BSN').includes('111222333'));
    assert.ok(waarden(first.s, 'IBAN').includes('NL91ABNA0417164300'));
    assert.ok(first.doc('brief.tif').blocks.some((b) => b.text.includes('111222333')), 'TIFF bytes posted as they are');
    assert.match(first.doc('bon.jpg').blocks[0].text, /Kassabon Bakkerij Smit/);
    assert.equal(desktop.state.posts, 3);

    // Failures of /ocr: its own text from a 500, "OCR mislukt" otherwise; no fall-back to the page.
    desktop.state.antwoord = { status: 500, type: 'application/json', body: '{"fout": "Geen OCR-taal beschikbaar in Windows"}' };
    const failed = await lees(page, [file('scan2.pdf', made.scan)]);
    assert.deepEqual(failed.doc('scan2.pdf').warn, ['Tekstherkenning mislukt: Geen OCR-taal beschikbaar in Windows', 'Geen tekst gevonden, ook niet met tekstherkenning.']);
    desktop.state.antwoord = { status: 413, type: 'text/html', body: '<h1>Too large</h1>' };
    const refused = await lees(page, [file('foto.png', made.letter), file('scan3.pdf', made.scan)]);
    assert.deepEqual(refused.doc('scan3.pdf').warn, ['Tekstherkenning mislukt: OCR mislukt', 'Geen tekst gevonden, ook niet met tekstherkenning.']);
    assert.ok(refused.toasts.includes('foto.png: OCR mislukt'), refused.toasts.join(' | '));
    assert.deepEqual(tess, []);
    assert.deepEqual(problems, []);

    // Windows without the Dutch OCR language reports another one.
    desktop.state.antwoord = null;
    desktop.state.taal = 'en-US';
    const english = await openPage(browser, desktop.origin);
    const read = await lees(english.page, [file('bon.jpg', made.photo)], 120000);
    assert.deepEqual(read.doc('bon.jpg').warn, [`Gelezen met tekstherkenning (Windows, en-US). ${CAUTION}`,
      'Windows heeft geen Nederlands OCR-taalpakket; er is gelezen met en-US. Uw IT-beheerder kan "Language.OCR~~~nl-NL" toevoegen voor betere herkenning.']);
    assert.deepEqual(english.problems, []);
  } finally {
    desktop.server.close();
  }
});
