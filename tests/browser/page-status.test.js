// The desktop side's status in the page: version, blocking overlay, update bar
// and the maker's rotating messages; the hosted edition shows none of it.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launchBrowser } from './support/chromium.js';
import { openPage, servePage, toastText } from './support/page-server.js';

const PIXEL = Buffer.from('R0lGODlhAQABAAAAACw=', 'base64');
const DOWNLOAD = 'https://drovel.nl/verhulzen_ai#download';

let browser;
let served;
let status = null;
let verzoeken = [];

function pixelRoute(req, res) {
  verzoeken.push(req.url);
  res.writeHead(200, { 'Content-Type': 'image/gif' }).end(PIXEL);
}

before(async () => {
  browser = await launchBrowser();
  served = await servePage({
    routes: {
      '/status.js': (req, res) => res.writeHead(200, { 'Content-Type': 'text/javascript; charset=utf-8' })
        .end(`window.ANON_STATUS = ${JSON.stringify(status)};\n`),
      '/extern': pixelRoute,
      '/verberg': pixelRoute,
      '/controleer': (req, res) => {
        verzoeken.push(req.url);
        res.writeHead(303, { Location: '/' }).end();
      },
    },
  });
});
after(async () => {
  await browser?.close();
  served?.server.close();
});

function basis(extra = {}) {
  return {
    versie: '1.3.0', laatste: '1.3.0', nieuwer: false, notitie: null, download: DOWNLOAD, store: false,
    blokkeer: null, berichten: [], ocr: false, taal: null, ...extra,
  };
}

// A page under the given status object, with a clock the test moves by hand.
async function pagina(st, opties = {}) {
  status = st;
  verzoeken = [];
  const context = await browser.newContext({ viewport: { width: opties.width || 1440, height: 900 } });
  await context.clock.install();
  await context.route('https://drovel.nl/**', (route) => route.fulfill({ body: 'drovel' }));
  const geopend = await openPage(browser, served.origin, { context });
  return { ...geopend, context };
}

// The requests to a route, once `n` of them have come in: an image request
// reaches the server a while after the click that made it, and one still on
// its way would otherwise be counted in the next test.
const wachtOpVerzoek = async (begin, n = 1) => {
  const naar = () => verzoeken.filter((v) => v.startsWith(begin));
  const einde = Date.now() + 20000;
  while (naar().length < n && Date.now() < einde) await new Promise((r) => setTimeout(r, 20));
  return naar().map((v) => new URL(v, 'http://x').searchParams);
};

describe('status banner', { concurrency: false }, () => {
  test('the hosted edition shows nothing and opens the maker\'s links in a new tab', async () => {
    const { page, problems, context } = await pagina(null);
    assert.equal(await page.textContent('#app-versie'), 'v1.3.0');
    assert.equal(await page.locator('.blokkade, .update-balk, .bericht').count(), 0);
    const [tab] = await Promise.all([context.waitForEvent('page'), page.click('#app-versie')]);
    await tab.waitForLoadState();
    assert.equal(tab.url(), 'https://drovel.nl/verhulzen_ai/releasenotes');
    assert.deepEqual(verzoeken, []);
    assert.deepEqual(problems, []);
    await context.close();
  });

  test('the desktop edition sets the version and sends the maker\'s links through /extern', async () => {
    const { page, problems, context } = await pagina(basis({ versie: '1.3.7' }));
    assert.equal(await page.textContent('#app-versie'), 'v1.3.7');
    const tabs = [];
    context.on('page', (p) => tabs.push(p));
    await page.click('#app-versie');
    await page.click('.merk');
    // Two image requests, which may come in either order.
    const links = (await wachtOpVerzoek('/extern', 2)).map((q) => q.get('u')).sort();
    assert.deepEqual(links, ['https://drovel.nl/', 'https://drovel.nl/verhulzen_ai/releasenotes']);
    assert.equal(tabs.length, 0);
    assert.equal(new URL(page.url()).pathname, '/');
    assert.deepEqual(problems, []);
    await context.close();
  });

  const BLOKKADES = [
    {
      naam: 'update, no latest version, with release note',
      st: { blokkeer: 'update', laatste: null, notitie: 'Belangrijke <b>beveiligingsupdate</b>' },
      titel: 'Nieuwe versie vereist',
      tekst: 'Deze versie (1.3.0) wordt niet meer ondersteund. Download versie de nieuwste van drovel.nl en start die. Uw sleutelbestanden blijven gewoon bruikbaar.',
      notitie: 'Belangrijke <b>beveiligingsupdate</b>',
      knoppen: [['Nieuwe versie downloaden', 'btn'], ['Controleer nu', 'btn btn-ghost']],
      toast: 'De downloadpagina wordt geopend in uw browser.',
    },
    {
      naam: 'update in the Store edition',
      st: { blokkeer: 'update', store: true, laatste: '1.5.0', download: 'ms-windows-store://downloadsandupdates' },
      titel: 'Nieuwe versie vereist',
      tekst: 'Deze versie (1.3.0) wordt niet meer ondersteund. Werk de app bij via de Microsoft Store en start hem opnieuw. Uw sleutelbestanden blijven gewoon bruikbaar.',
      notitie: null,
      knoppen: [['Microsoft Store openen', 'btn'], ['Controleer nu', 'btn btn-ghost']],
      toast: 'De Microsoft Store wordt geopend.',
    },
    {
      naam: 'offline, with a newer version and messages that stay hidden',
      st: { blokkeer: 'offline', nieuwer: true, laatste: '1.4.0', notitie: 'niet tonen', berichten: [{ message: 'Welkom', url: null }] },
      titel: 'Internetverbinding vereist',
      tekst: 'Drovel Verhulzen controleert minimaal één keer per week of er een nieuwe versie is. Verbind met internet en klik op Controleer nu. Uw documenten gaan daarbij niet mee.',
      notitie: null,
      knoppen: [['Controleer nu', 'btn']],
    },
    {
      naam: 'clock',
      st: { blokkeer: 'klok', notitie: 'niet tonen' },
      titel: 'Systeemklok klopt niet',
      tekst: 'De klok van deze pc lijkt teruggezet te zijn. Zet de juiste datum en tijd en klik op Controleer nu.',
      notitie: null,
      knoppen: [['Controleer nu', 'btn']],
    },
  ];

  for (const geval of BLOKKADES) {
    test(`blocking overlay: ${geval.naam}`, async () => {
      const st = basis(geval.st);
      const { page, problems, context } = await pagina(st);
      const kaart = page.locator('.blokkade .blokkade-kaart');
      assert.equal(await page.locator('body > .blokkade:last-child').count(), 1);
      assert.equal(await kaart.locator('.blokkade-titel').textContent(), geval.titel);
      assert.equal(await kaart.locator('p').first().textContent(), geval.tekst);
      assert.deepEqual(await kaart.locator('p.dim').allTextContents(), geval.notitie ? [geval.notitie] : []);
      const knoppen = await kaart.locator('button').evaluateAll((bs) => bs.map((b) => [b.textContent, b.className]));
      assert.deepEqual(knoppen, geval.knoppen);
      assert.equal(await page.locator('.update-balk, .bericht').count(), 0);
      await page.screenshot({ path: `test-results/status-blokkade-${geval.st.blokkeer}${geval.st.store ? '-store' : ''}.png` });
      for (let i = 0; i < 4; i++) {
        await page.keyboard.press('Tab');
        assert.ok(await page.evaluate(() => document.activeElement.closest('.blokkade, body:not(:has(:focus))') !== null), 'focus stays on the card');
      }
      const geplakt = await page.evaluate(() => {
        const data = new DataTransfer();
        data.items.add(new File([new Uint8Array(8)], 'knipsel.png', { type: 'image/png' }));
        return !document.body.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
      });
      assert.equal(geplakt, false, 'a pasted clipping is not taken in behind the block');

      if (geval.toast) {
        await kaart.locator('button').first().click();
        assert.deepEqual((await wachtOpVerzoek('/extern')).map((q) => q.get('u')), [st.download]);
        assert.equal(await toastText(page), geval.toast);
      }
      const controleer = kaart.getByRole('button', { name: 'Controleer nu' });
      await Promise.all([page.waitForURL(`${served.origin}/`), page.waitForRequest('**/controleer'), controleer.click()]);
      assert.ok(verzoeken.includes('/controleer'));
      assert.deepEqual(problems, []);
      await context.close();
    });
  }

  test('a newer version puts a bar above the main area that downloads and closes', async () => {
    const { page, problems, context } = await pagina(basis({ nieuwer: true, laatste: '1.4.0' }));
    const balk = page.locator('main > .update-balk:first-child');
    assert.equal((await balk.textContent()).replace('×', '').trim(), 'Nieuwe versie 1.4.0 beschikbaar. Downloaden');
    await page.screenshot({ path: 'test-results/status-update-balk.png' });
    await balk.getByText('Downloaden').click();
    assert.deepEqual((await wachtOpVerzoek('/extern')).map((q) => q.get('u')), [DOWNLOAD]);
    assert.equal(await toastText(page), 'De downloadpagina wordt geopend in uw browser.');
    assert.equal(new URL(page.url()).hash, '');
    await balk.locator('[title="Sluiten"]').click();
    assert.equal(await page.locator('.update-balk').count(), 0);
    assert.deepEqual(problems, []);
    await context.close();
  });

  const BERICHTEN = [
    { message: 'Eerste bericht', url: 'https://drovel.nl/een' },
    { message: 'Tweede <script>alert(1)</script> bericht', url: 'https://drovel.nl/twee' },
    { message: 'Derde bericht zonder link', url: null },
  ];
  const getoond = (page) => page.locator('#berichten .bericht').evaluate((b) => [b.firstChild.textContent, b.childNodes[1].textContent]);

  test('messages rotate every 8 s; one without a link does nothing when clicked', async () => {
    const { page, problems, context } = await pagina(basis({ berichten: BERICHTEN }));
    const bericht = page.locator('#berichten .bericht');
    assert.deepEqual(await getoond(page), ['drovel.nl 1/3', 'Eerste bericht']);
    await page.screenshot({ path: 'test-results/status-berichten.png', clip: { x: 0, y: 500, width: 260, height: 400 } });
    await page.clock.runFor(8000);
    assert.deepEqual(await getoond(page), ['drovel.nl 2/3', 'Tweede <script>alert(1)</script> bericht']);
    await page.clock.runFor(8000);
    assert.deepEqual(await getoond(page), ['drovel.nl 3/3', 'Derde bericht zonder link']);
    assert.equal(await bericht.evaluate((b) => getComputedStyle(b).cursor), 'default');
    await bericht.click();
    await page.clock.runFor(8000);
    assert.deepEqual(await getoond(page), ['drovel.nl 1/3', 'Eerste bericht']);
    await bericht.click();
    assert.deepEqual((await wachtOpVerzoek('/extern')).map((q) => q.get('u')), ['https://drovel.nl/een']);
    assert.equal(new URL(page.url()).hash, '');
    assert.deepEqual(problems, []);
    await context.close();
  });

  test('hiding a message sends its text, shows the next at the same place and never opens it', async () => {
    const { page, problems, context } = await pagina(basis({ berichten: BERICHTEN }));
    const weg = page.locator('#berichten .bericht-weg');
    await page.clock.runFor(8000);
    await weg.click();
    assert.deepEqual((await wachtOpVerzoek('/verberg')).map((q) => q.get('b')), [BERICHTEN[1].message]);
    assert.deepEqual(await getoond(page), ['drovel.nl 2/2', 'Derde bericht zonder link']);
    await weg.focus();
    await page.keyboard.press('Enter');
    assert.deepEqual(await getoond(page), ['drovel.nl', 'Eerste bericht'], 'the cross works by keyboard too');
    await weg.click();
    assert.equal(await page.locator('#berichten').innerHTML(), '');
    await page.clock.runFor(20000);
    assert.equal(await page.locator('#berichten').innerHTML(), '');
    assert.equal((await wachtOpVerzoek('/verberg', 3)).length, 3);
    assert.deepEqual(verzoeken.filter((v) => v.startsWith('/extern')), [], 'hiding never opened a link');
    assert.deepEqual(problems, []);
    await context.close();
  });

  test('feed texts are shown as text, never as markup', async () => {
    const lang = 'x'.repeat(100 * 1024);
    const { page, problems, context } = await pagina(basis({
      nieuwer: true, laatste: '<img src=x onerror="document.title=1">',
      berichten: [{ message: `<img src=x onerror="document.title=2">${lang}`, url: 'javascript:alert(1)' }],
    }));
    assert.match(await page.locator('.update-balk').textContent(), /^Nieuwe versie <img src=x/);
    assert.equal(await page.locator('.update-balk img, .bericht img').count(), 0);
    await page.locator('.bericht').click();
    const links = (await wachtOpVerzoek('/extern')).map((q) => q.get('u'));
    assert.deepEqual(links, ['javascript:alert(1)'], 'a link goes to the desktop side, which refuses it; the page never follows it');
    assert.notEqual(await page.title(), '1');
    assert.notEqual(await page.title(), '2');
    assert.deepEqual(problems, []);
    await context.close();
  });
});
