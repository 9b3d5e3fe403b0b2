// The page as our desktop program serves it, with its real routes: the status
// from an update feed with banner, messages and blocking; the office list kept
// on disk; and scans read through the program's own OCR.
import assert from 'node:assert/strict';
import { chmodSync, existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { startDesktop } from './support/desktop.js';
import { openPage } from './support/page-server.js';
import { sessie } from './support/user.js';
import { scanPdf, scanPng } from '../fixtures/readers/make-pdf.js';

let browser;
let bin;
before(async () => {
  browser = await launchBrowser();
  // Links the program opens land in a file instead of a browser.
  bin = mkdtempSync(join(tmpdir(), 'verhulzen-bin-'));
  writeFileSync(join(bin, 'xdg-open'), `#!/bin/sh\nprintf '%s\\n' "$1" >> "${join(bin, 'geopend')}"\n`);
  chmodSync(join(bin, 'xdg-open'), 0o755);
});
after(async () => {
  await browser?.close();
  rmSync(bin, { recursive: true, force: true });
});

const geopend = () => (existsSync(join(bin, 'geopend')) ? readFileSync(join(bin, 'geopend'), 'utf8').split('\n').filter(Boolean) : []);
const wacht = async (voorwaarde, ms = 20000) => {
  const einde = Date.now() + ms;
  while (!voorwaarde() && Date.now() < einde) await new Promise((r) => setTimeout(r, 25));
  return voorwaarde();
};
// The outcome of the check at start, once it is stored in the data folder.
const gecontroleerd = (data) => {
  try {
    return 'gecontroleerd' in JSON.parse(readFileSync(join(data, 'status.json'), 'utf8'));
  } catch {
    return false;
  }
};

// An update feed on the loopback address whose document the test changes.
async function feedServer(feed) {
  const staat = { feed, vragen: 0 };
  const server = createServer((req, res) => {
    staat.vragen += 1;
    res.writeHead(200, { 'Content-Type': 'application/json', Date: new Date().toUTCString() }).end(JSON.stringify(staat.feed));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { staat, url: `http://127.0.0.1:${server.address().port}/verhulzen.json`, close: () => server.close() };
}

const programma = (opties = {}) => startDesktop({ ...opties, env: { PATH: `${bin}:${process.env.PATH}`, ...opties.env } });

describe('desktop program', { concurrency: false }, () => {
  test('the feed\'s newer version and messages show; hiding is kept; a raised minimum blocks until checked again', async () => {
    const feed = await feedServer({
      version: '9.1.0', notes: 'Snellere OCR', download_url: 'https://drovel.nl/verhulzen_ai#download',
      berichten: [
        { message: 'Nieuw: de kantoorlijst', url: 'https://drovel.nl/verhulzen_ai/releasenotes' },
        { message: '<img src=x onerror="document.title=1">Let op', url: 'javascript:alert(1)' },
      ],
    });
    const desk = await programma({ env: { VERHULZEN_GEEN_UPDATE: undefined, VERHULZEN_UPDATE_URL: feed.url } });
    try {
      // The start waits a few seconds at most for the check, which may take longer on a busy machine.
      assert.ok(await wacht(() => gecontroleerd(desk.data)), 'checked at start');
      assert.equal(feed.staat.vragen, 1, 'checked once at start');
      const { page, problems } = await openPage(browser, desk.origin);
      assert.equal(await page.textContent('#app-versie'), 'v1.3.0');
      assert.match(await page.locator('main > .update-balk').textContent(), /^Nieuwe versie 9\.1\.0 beschikbaar\. Downloaden/);
      assert.equal(await page.locator('.bericht-kop').textContent(), 'drovel.nl 1/2');
      await page.locator('.bericht').click();
      assert.ok(await wacht(() => geopend().length === 1), 'the message link reached the opener');
      assert.deepEqual(geopend(), ['https://drovel.nl/verhulzen_ai/releasenotes']);

      await page.locator('.update-balk').getByText('Downloaden').click();
      assert.ok(await wacht(() => geopend().length === 2));
      assert.equal(geopend()[1], 'https://drovel.nl/verhulzen_ai#download');

      await page.locator('.bericht-weg').click();
      await page.waitForFunction(() => document.querySelector('.bericht-kop')?.textContent === 'drovel.nl');
      assert.match(await page.locator('.bericht').textContent(), /<img src=x onerror="document\.title=1">Let op/);
      await page.locator('.bericht').click();
      await page.reload();
      assert.equal(await page.locator('.bericht').count(), 1, 'the hidden message stays hidden');
      assert.equal(JSON.parse(readFileSync(join(desk.data, 'status.json'), 'utf8')).verborgen[0], 'Nieuw: de kantoorlijst');

      feed.staat.feed = { ...feed.staat.feed, min_required: '9.0' };
      await Promise.all([page.waitForURL(`${desk.origin}/`), page.goto(`${desk.origin}/controleer`)]);
      assert.equal(await page.locator('.blokkade-titel').textContent(), 'Nieuwe versie vereist');
      assert.equal(await page.locator('.blokkade-kaart p.dim').textContent(), 'Snellere OCR');
      assert.equal(await page.locator('.update-balk, .bericht').count(), 0);
      await page.screenshot({ path: 'test-results/desktop-blokkade.png' });

      feed.staat.feed = { ...feed.staat.feed, min_required: null };
      await Promise.all([page.waitForURL(`${desk.origin}/`), page.getByRole('button', { name: 'Controleer nu' }).click()]);
      await page.waitForSelector('.update-balk');
      assert.equal(await page.locator('.blokkade').count(), 0, 'a new check lifted the block');
      assert.equal(feed.staat.vragen, 3);
      assert.equal(geopend().length, 2, 'the refused javascript: link never reached the opener');
      assert.deepEqual(problems, []);
      await page.context().close();
    } finally {
      await desk.stop();
      feed.close();
    }
  });

  test('a week without a check blocks as offline; a clock set back blocks as such; the feed\'s minimum waits behind both', async () => {
    const nu = Date.now() / 1000;
    const gevallen = [
      [{ eerste_start: nu - 9 * 86400, gecontroleerd: nu - 8 * 86400, info: { min_required: '9.0' } }, 'Internetverbinding vereist'],
      [{ eerste_start: nu - 8 * 86400, gecontroleerd: nu - 8 * 86400, server_ts: nu + 7200, info: { min_required: '9.0' } }, 'Systeemklok klopt niet'],
    ];
    for (const [status, titel] of gevallen) {
      const desk = await programma({ voorbereid: (data) => {
        mkdirSync(data, { recursive: true });
        writeFileSync(join(data, 'status.json'), JSON.stringify(status));
      } });
      try {
        const { page, problems } = await openPage(browser, desk.origin);
        assert.equal(await page.locator('.blokkade-titel').textContent(), titel);
        assert.deepEqual(await page.locator('.blokkade-knoppen button').allTextContents(), ['Controleer nu']);
        assert.deepEqual(problems, []);
        await page.context().close();
      } finally {
        await desk.stop();
      }
    }
  });

  test('the office list is read from and kept in the data folder byte for byte', async () => {
    const lijst = '\uFEFF[altijd vervangen]\r\nPERSOON: Karel Dekker\r\n[nooit vervangen]\r\nJan de Vries\r\n';
    const desk = await programma({ voorbereid: (data) => {
      mkdirSync(data, { recursive: true });
      writeFileSync(join(data, 'kantoorlijst.txt'), lijst);
    } });
    try {
      const { page, problems } = await openPage(browser, desk.origin);
      await page.goto(`${desk.origin}/#sleutel`);
      assert.equal(await page.inputValue('#kl-tekst'), '[altijd vervangen]\nPERSOON: Karel Dekker\n[nooit vervangen]\nJan de Vries\n');
      assert.equal(await page.locator('#kl-info').textContent(), '1 altijd vervangen, 1 nooit vervangen · bewaard op deze pc');
      const nieuw = '[nooit vervangen]\nBelastingdienst\nJosé van Dijk\n';
      await page.fill('#kl-tekst', nieuw);
      await page.click('#btn-kl-bewaar');
      await page.waitForFunction(() => document.getElementById('toast').textContent === 'Kantoorlijst bewaard.');
      assert.equal(readFileSync(join(desk.data, 'kantoorlijst.txt'), 'utf8'), nieuw);
      await page.reload();
      assert.equal(await page.inputValue('#kl-tekst'), nieuw);
      assert.deepEqual(problems, []);
      await page.context().close();
    } finally {
      await desk.stop();
    }
  });

  test('a scanned PDF is read through the program\'s OCR, and the page\'s own engine stays unused', { timeout: 240000 }, async () => {
    const desk = await programma();
    try {
      const { page, problems } = await openPage(browser, desk.origin);
      assert.equal(await page.evaluate(() => window.ANON_STATUS.ocr), true);
      const pagina = await scanPng(browser, '<p>Geachte heer Jan de Vries,</p><p>Uw burgerservicenummer 111222333 en rekening NL91ABNA0417164300 zijn bij ons bekend.</p>');
      const tesseract = [];
      page.on('request', (req) => { if (req.url().includes('tesseract')) tesseract.push(req.url()); });
      await page.setInputFiles('#file-input', { name: 'scan.pdf', mimeType: 'application/pdf', buffer: await scanPdf(browser, [pagina]) });
      await page.waitForFunction(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1') || '{}').docs?.length === 1, null, { timeout: 200000 });
      const s = await sessie(page);
      const waarden = s.ents.map((e) => `${e.cat}=${e.value}`);
      for (const verwacht of ['BSN=111222333', 'IBAN=NL91ABNA0417164300']) assert.ok(waarden.includes(verwacht), waarden.join(', '));
      assert.match(s.docs[0].warn[0], /^1 pagina\('s\) gelezen met tekstherkenning \(Windows, nl-NL\)\./);
      assert.deepEqual(tesseract, []);
      assert.deepEqual(problems, []);
      await page.context().close();
    } finally {
      await desk.stop();
    }
  });
});
