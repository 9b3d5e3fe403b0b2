import { afterEach, test } from 'node:test';
import assert from 'node:assert/strict';
import { beeldMaat, paginaMaat } from '../../../web/src/app/readers/beeldmaat.js';
import { leesBestand } from '../../../web/src/app/readers/bestand.js';
import { ocrMeldingen } from '../../../web/src/app/readers/ocr.js';
import { beeldDekking, buitenTekstlaag, tekstDekking } from '../../../web/src/app/readers/pdf-dekking.js';

const CAUTION = 'Controleer extra goed: OCR kan letters of cijfers verkeerd lezen, en wat niet gelezen is, staat ook niet in de tekst.';
const TIP = 'Tip: in de Windows-app van Drovel gaat tekstherkenning sneller en nauwkeuriger.';
const TIFF = 'TIFF-scans kan alleen de Windows-app lezen. Sla de scan op als PDF of JPG.';
afterEach(() => { delete globalThis.ANON_STATUS; });

test('what is drawn for OCR: pages at 300 dpi, photos to 1600 up and 4000 down', () => {
  const pages = [[595, 842, 2480, 3509], [612, 792, 2550, 3300], [2000, 1000, 4000, 2000], [842, 595, 3509, 2480]];
  for (const [w, h, width, height] of pages) assert.deepEqual([paginaMaat(w, h).width, paginaMaat(w, h).height], [width, height], `${w}×${h}`);
  const images = [[800, 600, 1600, 1200], [5000, 2500, 4000, 2000], [2000, 1000, 2000, 1000], [1600, 1, 1600, 1], [1280, 2, 1600, 3], [4001, 10, 4000, 10]];
  for (const [w, h, width, height] of images) assert.deepEqual(beeldMaat(w, h), { width, height }, `${w}×${h}`);
});

test('OCR warnings follow the edition and the language that Windows reported', () => {
  const note = (taal) => `Windows heeft geen Nederlands OCR-taalpakket; er is gelezen met ${taal}. Uw IT-beheerder kan "Language.OCR~~~nl-NL" toevoegen voor betere herkenning.`;
  const cases = [
    [undefined, [TIP]],
    [null, [TIP]],
    [{ ocr: false, taal: null }, [TIP]],
    [{ ocr: 'true', taal: 'en-US' }, [TIP]],
    [{ ocr: true, taal: 'nl-NL' }, []],
    [{ ocr: true, taal: 'NL-be' }, []],
    [{ ocr: true, taal: 'en-US' }, [note('en-US')]],
    [{ ocr: true, taal: null }, [note('')]],
  ];
  for (const [status, rest] of cases) {
    globalThis.ANON_STATUS = status;
    assert.deepEqual(ocrMeldingen('Gelezen met tekstherkenning (in de browser).'), [`Gelezen met tekstherkenning (in de browser). ${CAUTION}`, ...rest], JSON.stringify(status));
  }
});

test('an empty PDF and a TIFF without Windows OCR are refused with a Dutch text', async () => {
  const cases = [
    ['leeg.PDF', [], 'Dit PDF-bestand is leeg (0 bytes).'],
    ['scan.tif', [1, 2], TIFF],
    ['scan.TIFF', [1, 2], TIFF],
  ];
  const overlay = {};
  globalThis.document = { getElementById: () => overlay };
  for (const [name, bytes, message] of cases) await assert.rejects(leesBestand(new File([new Uint8Array(bytes)], name)), { message }, name);
  delete globalThis.document;
  assert.equal(overlay.textContent, 'Afbeelding lezen met tekstherkenning…');
});

test('what a page\'s text and images cover, to tell a scan with a stamp from a text page', () => {
  const item = (width, transform) => ({ str: 'x', width, height: 0, transform });
  assert.equal(tekstDekking([item(100, [10, 0, 0, 10, 50, 700]), item(50, [0, 12, -12, 0, 20, 300])]), 100 * 10 + 50 * 12);
  const OPS = { save: 10, restore: 11, transform: 12, paintFormXObjectBegin: 74, paintFormXObjectEnd: 75, paintImageXObject: 85,
    paintInlineImageXObject: 86, paintImageMaskXObject: 83, paintImageXObjectRepeat: 88 };
  const list = (...ops) => ({ fnArray: ops.map(([fn]) => OPS[fn]), argsArray: ops.map(([, args]) => args ?? null) });
  const cases = [
    // A scan drawn over the whole A4 page.
    ['full page', list(['save'], ['transform', [595, 0, 0, 842, 0, 0]], ['paintImageXObject'], ['restore']), 595 * 842],
    // Scaled twice, inside a form whose matrix halves it; the transform after restore does not count.
    ['nested', list(['transform', [2, 0, 0, 2, 0, 0]], ['paintFormXObjectBegin', [[0.5, 0, 0, 0.5, 0, 0], null]], ['transform', [100, 0, 0, 50, 0, 0]],
      ['paintInlineImageXObject'], ['paintFormXObjectEnd'], ['paintImageMaskXObject']), 100 * 50 + 4],
    ['turned', list(['transform', [0, 842, -595, 0, 595, 0]], ['paintImageXObject']), 595 * 842],
    ['no images', list(['save'], ['transform', [595, 0, 0, 842, 0, 0]], ['restore']), 0],
  ];
  for (const [name, ops, area] of cases) assert.equal(beeldDekking(ops, OPS), area, name);
});

test('OCR beside a text layer keeps only the lines the layer does not hold', () => {
  const p = (text) => ({ t: 'p', line: true, text });
  const layer = [p('Ingescand 14-03-2024'), p('De heer P. van Dijk,')];
  const cases = [
    ['the layer read back', ['Ingescand 14-03-2024', 'de heer P van Dijk'], []],
    ['one word misread of four', ['De heer P. van Dljk,'], []],
    ['the letter in the picture', ['Datum 14-03-2024', 'Geachte heer Bakker,', 'BSN 111222333'], ['Datum 14-03-2024', 'Geachte heer Bakker,', 'BSN 111222333']],
  ];
  for (const [name, ocr, kept] of cases) assert.deepEqual(buitenTekstlaag(ocr.map(p), layer), kept.map(p), name);
});
