// What the user starts while a scan is read waits for it: another intake, a
// new or wiped session, a key file, the office list's save. Each scan is held
// at its OCR until the test has done its action by keyboard (the overlay blocks
// the mouse), in the hosted edition and as our own program serves the page.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { startDesktop } from './support/desktop.js';
import { houdOcrVast } from './support/ocr-hold.js';
import { openPage, servePage } from './support/page-server.js';
import {
  kiesBestanden, plak, sessie, volgToasts,
} from './support/user.js';
import { scanPdf, scanPng } from '../fixtures/readers/make-pdf.js';
import { versleutel } from '../../web/src/app/sleutel/envelope.js';

const BRIEF = '<p>Geachte heer Jan Bosman,</p><p>Uw burgerservicenummer is 111222333 en uw rekening NL91ABNA0417164300.</p>'
  + '<p>Betreft: dossier Zonnebloem.</p><p>Met vriendelijke groet,</p><p>Karel Dekker</p>';
const OCR = { timeout: 240000 };

const file = (name, buffer) => ({ name, mimeType: 'application/octet-stream', buffer });
const sleutelInhoud = (entiteiten) => ({
  type: 'drovel-verhulzen-sleutel', versie: 1, dossier: '', counters: {},
  entiteiten: entiteiten.map(([label, value]) => ({ cat: 'PERSOON', label, value, variants: [value], active: true })),
});
const sleutelbestand = (entiteiten) => file('sleutel.json', Buffer.from(JSON.stringify(sleutelInhoud(entiteiten))));
const versleuteld = async (entiteiten, ww) => file('sleutel.json', Buffer.from(JSON.stringify(await versleutel(sleutelInhoud(entiteiten), ww))));

let browser;
let made;
before(async () => {
  mkdirSync('test-results', { recursive: true });
  browser = await launchBrowser();
  const brief = await scanPng(browser, BRIEF);
  made = { brief, scan: await scanPdf(browser, [brief, brief]), knipsel: await scanPng(browser, '<p>Notitie over de heer Piet Jansen</p>') };
});
after(() => browser?.close());

// Every toast in order, and every time the overlay came or went with the number of documents then.
const volg = async (page) => {
  await volgToasts(page);
  await page.evaluate(() => {
    window.overlay = [];
    const laden = document.getElementById('laden');
    new MutationObserver(() => {
      const aan = laden.classList.contains('show');
      if (window.overlay.at(-1)?.aan !== aan) window.overlay.push({ aan, docs: document.getElementById('nav-docs').textContent });
    }).observe(laden, { attributes: true, attributeFilter: ['class'] });
  });
};
const gezien = (page) => page.evaluate(() => ({ toasts: window.toasts, overlay: window.overlay }));

// Waits until a toast of the user's action has been shown and the overlay is gone.
const totEinde = (page, gezocht) => page.waitForFunction((t) => window.toasts.some((x) => x.includes(t))
  && !document.getElementById('laden').classList.contains('show'), gezocht, { timeout: 200000 });

const gelezen = (t) => /^\d+ document\(en\) gelezen/.test(t);
const plaats = (toasts, gezocht) => toasts.findIndex((t) => (typeof gezocht === 'string' ? t.includes(gezocht) : gezocht(t)));

// By keyboard, as the overlay leaves it: the view by its navigation link, then Enter on a button.
async function naarView(page, view) {
  await page.focus(`nav a[href="#${view}"]`);
  await page.keyboard.press('Enter');
  await page.waitForSelector(`#view-${view}.active`);
}
async function enter(page, knop, keer = 1) {
  await page.focus(knop);
  for (let i = 0; i < keer; i++) await page.keyboard.press('Enter');
}

async function metScan(page, bestand) {
  await volg(page);
  const ocr = await houdOcrVast(page);
  await page.setInputFiles('#file-input', [bestand]);
  await ocr.bezig;
  return ocr;
}

async function zetKnipselOpKlembord(page, png) {
  await page.evaluate(async (b64) => {
    const blob = new Blob([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], { type: 'image/png' });
    await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
  }, png.toString('base64'));
}

// What the user starts by keyboard while the scan is held: `na` is in the toast that
// must come after the scan's own, `tijdens` holds while the scan is still held,
// `controle` holds at the end. The office list goes last: the desktop side keeps it.
const TIJDENS_SCAN = [
  {
    naam: 'text pasted and added by keyboard lands after the scan, as do two more',
    actie: async (page) => {
      for (const tekst of ['Notitie over de heer Piet Jansen.', 'Tweede notitie.', 'Derde notitie.']) {
        await page.fill('#plak-tekst', tekst);
        await enter(page, '#btn-plak');
      }
    },
    na: 'Tekst toegevoegd, ',
    controle: async (page) => {
      await page.waitForFunction(() => window.toasts.filter((t) => t.startsWith('Tekst toegevoegd, ')).length === 3);
      assert.deepEqual((await sessie(page)).docs.map((d) => d.name), ['scan.png', 'Geplakte tekst 1', 'Geplakte tekst 2', 'Geplakte tekst 3']);
    },
  },
  {
    naam: '"Nieuwe sessie" pressed twice with Enter starts the new session after the scan; the scan stays out',
    voor: (page) => page.fill('#dossier', 'Klant Bosman'),
    actie: (page) => enter(page, '#btn-nieuw', 2),
    tijdens: async (page) => assert.equal(await page.locator('#dossier-badge').textContent(), 'Klant Bosman'),
    na: 'Nieuwe sessie gestart.',
    controle: async (page) => {
      assert.equal(await sessie(page), null);
      assert.equal(await page.locator('#dossier-badge').textContent(), 'Geen dossier');
      assert.equal(await page.locator('#nav-ents').isHidden(), true);
    },
  },
  {
    naam: '"Sessie wissen" wipes the session once the scan is in',
    actie: async (page) => {
      await naarView(page, 'sleutel');
      await enter(page, '#btn-wissen', 2);
    },
    na: 'Sessie gewist.',
    controle: async (page) => {
      assert.equal(await sessie(page), null);
      assert.match(await page.locator('#sleutel-tabel').innerText(), /^Leeg/);
    },
  },
  {
    naam: 'a key file opened is taken in after the scan',
    actie: async (page) => {
      await naarView(page, 'sleutel');
      await page.focus('#btn-sleutel-openen');
      await kiesBestanden(page, () => page.keyboard.press('Enter'), [sleutelbestand([['PERSOON_7', 'Piet Jansen']])]);
    },
    na: '1 gegevens uit het sleutelbestand geladen.',
    // The scan's persons were numbered before the file raised the counter to 7.
    controle: async (page) => {
      const labels = (await sessie(page)).ents.map((e) => e.label);
      assert.ok(labels.includes('PERSOON_1') && labels.includes('PERSOON_7'), labels.join(' '));
    },
  },
  {
    naam: 'a key file opened with its password after "Nieuwe sessie" is read into the new session',
    actie: async (page) => {
      await enter(page, '#btn-nieuw', 2);
      await naarView(page, 'sleutel');
      await page.fill('#ww-openen', 'Correct paard 7');
      await page.focus('#btn-sleutel-openen');
      await kiesBestanden(page, () => page.keyboard.press('Enter'), [await versleuteld([['PERSOON_7', 'Piet Jansen']], 'Correct paard 7')]);
    },
    na: '1 gegevens uit het sleutelbestand geladen.',
    controle: async (page) => {
      const s = await sessie(page);
      assert.deepEqual([s.docs, s.ents.map((e) => e.value)], [[], ['Piet Jansen']]);
      assert.equal(await page.inputValue('#ww-openen'), '');
    },
  },
  {
    naam: '"Sessie vervangen door sleutelbestand" replaces the entities after the scan, and scans it again',
    voor: async (page) => {
      await plak(page, '', 'Geachte heer Piet Jansen,');
      await naarView(page, 'sleutel');
      await kiesBestanden(page, () => page.click('#btn-sleutel-openen'), [sleutelbestand([['PERSOON_1', 'Els Bakker']])]);
      await page.waitForSelector('#btn-sleutel-vervang');
    },
    actie: (page) => enter(page, '#btn-sleutel-vervang'),
    na: '1 gegevens uit het sleutelbestand geladen, ',
    controle: async (page) => {
      const s = await sessie(page);
      assert.equal(s.ents.find((e) => e.label === 'PERSOON_1').value, 'Els Bakker');
      assert.ok(s.ents.some((e) => e.cat === 'BSN' && e.value === '111222333'));
    },
  },
  {
    naam: '"Opnieuw zoeken" runs after the scan',
    actie: async (page) => {
      await naarView(page, 'markeren');
      await enter(page, '#btn-herscan');
    },
    na: 'Niets nieuws gevonden.',
    controle: async (page) => assert.equal((await sessie(page)).docs.length, 1),
  },
  {
    naam: 'the office list saved applies to the scan once it is in',
    actie: async (page) => {
      await naarView(page, 'sleutel');
      await page.fill('#kl-tekst', '[altijd vervangen]\nOverig: Zonnebloem\n');
      await enter(page, '#btn-kl-bewaar');
    },
    na: 'Kantoorlijst bewaard',
    controle: async (page) => {
      assert.equal(await page.evaluate(() => window.toasts.at(-1)), 'Kantoorlijst bewaard, 1 nieuwe gegevens gevonden.');
      assert.ok((await sessie(page)).ents.some((e) => e.value === 'Zonnebloem'));
    },
  },
];

const EDITIES = {
  hosted: async () => {
    const { server, origin } = await servePage();
    return { origin, stop: () => server.close() };
  },
  desktop: () => startDesktop(),
};

for (const [editie, start] of Object.entries(EDITIES)) {
  describe(`${editie} edition`, () => {
    let served;
    before(async () => {
      served = await start();
    });
    after(() => served?.stop());

    test('a clipping pasted during a scan is read after it, under the same overlay; one pasted later lands at once', OCR, async () => {
      const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
      await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: served.origin });
      const { page, problems } = await openPage(browser, served.origin, { context });
      await zetKnipselOpKlembord(page, made.knipsel);
      const ocr = await metScan(page, file('scan.pdf', made.scan));
      await page.keyboard.press('Control+V');
      assert.match(await page.locator('#laden').textContent(), /^Pagina 1 van 2 lezen met tekstherkenning…$/);
      await page.screenshot({ path: `test-results/intake-wachtrij-${editie}.png` });
      ocr.laatGaan();
      await page.waitForFunction(() => window.toasts.filter((t) => /document\(en\) gelezen/.test(t)).length === 2
        && !document.getElementById('laden').classList.contains('show'), null, { timeout: 200000 });

      const s = await sessie(page);
      assert.deepEqual(s.docs.map((d) => d.name), ['scan.pdf', 'Schermknipsel 1.png']);
      assert.deepEqual(s.docs[0].blocks.filter((b) => b.pagina).map((b) => b.text), ['Pagina 1', 'Pagina 2']);
      assert.ok(s.ents.some((e) => e.cat === 'BSN' && e.value === '111222333'));
      assert.deepEqual((await gezien(page)).overlay, [{ aan: true, docs: '0' }, { aan: false, docs: '2' }]);

      await page.keyboard.press('Control+V');
      await page.waitForFunction(() => document.getElementById('nav-docs').textContent === '3'
        && !document.getElementById('laden').classList.contains('show'), null, { timeout: 120000 });
      assert.equal((await sessie(page)).docs[2].name, 'Schermknipsel 2.png');
      assert.deepEqual(problems, []);
      await context.close();
    });

    for (const geval of TIJDENS_SCAN) {
      test(`during a scan, ${geval.naam}`, OCR, async () => {
        const { page, problems } = await openPage(browser, served.origin);
        await geval.voor?.(page);
        const ocr = await metScan(page, file('scan.png', made.brief));
        await geval.actie(page);
        await geval.tijdens?.(page);
        ocr.laatGaan();
        await totEinde(page, geval.na);
        const { toasts, overlay } = await gezien(page);
        const [scan, na] = [plaats(toasts, gelezen), plaats(toasts, geval.na)];
        assert.ok(scan >= 0 && scan < na, toasts.join(' | '));
        // The overlay went once, when all was done.
        const docs = await page.locator('#nav-docs').textContent();
        assert.deepEqual(overlay.map(({ aan }) => aan), [true, false]);
        assert.equal(overlay[1].docs, docs);
        await geval.controle(page);
        assert.deepEqual(problems, []);
        await page.context().close();
      });
    }
  });
}
