// What a user does on the page, shared by the browser tests of the main job.

export const sessie = (page) => page.evaluate(() => JSON.parse(sessionStorage.getItem('drovel-verhulzen-v1')));

// Every toast shown from now on, in order, also those that a later one
// replaced, in `window.toasts`; each call starts the list anew.
export const volgToasts = (page) => page.evaluate(() => {
  window.toasts = [];
  if (window.toastKijker) return;
  const toast = document.getElementById('toast');
  window.toastKijker = new MutationObserver(() => window.toasts.push(toast.textContent));
  window.toastKijker.observe(toast, { childList: true, characterData: true, subtree: true });
});

// A view chosen in the navigation shows once the page has handled the new fragment.
export async function naarView(page, view) {
  await page.click(`nav a[href="#${view}"]`);
  await page.waitForSelector(`#view-${view}.active`);
}

export async function plak(page, titel, tekst) {
  await page.fill('#plak-titel', titel);
  await page.fill('#plak-tekst', tekst);
  await page.click('#btn-plak');
  // Taken in when the overlay is gone and the page has emptied the field;
  // text typed before that would be emptied with it.
  await page.waitForFunction(() => !document.getElementById('laden').classList.contains('show') && document.getElementById('plak-tekst').value === '');
}

// Selects a text in the marking preview as a mouse would, and lets the page see the mouse-up.
export async function selecteerInVoorbeeld(page, tekst) {
  await page.evaluate(async (t) => {
    const walker = document.createTreeWalker(document.getElementById('preview'), NodeFilter.SHOW_TEXT);
    for (let n = walker.nextNode(); n; n = walker.nextNode()) {
      const i = n.data.indexOf(t);
      if (i < 0) continue;
      const r = document.createRange();
      r.setStart(n, i);
      r.setEnd(n, i + t.length);
      getSelection().removeAllRanges();
      getSelection().addRange(r);
      document.getElementById('preview').dispatchEvent(new MouseEvent('mouseup', { bubbles: true }));
      // The page handles the mouse-up in a task of its own, which runs before this one.
      await new Promise((r) => setTimeout(r, 0));
      return;
    }
    throw new Error(`not in preview: ${t}`);
  }, tekst);
}

export const klembord = (page) => page.evaluate(() => navigator.clipboard.readText());
export const naarKlembord = (page, tekst) => page.evaluate((t) => navigator.clipboard.writeText(t), tekst);

// Playwright turns the browser's file-chooser interception on when the first listener
// comes, without waiting for it; an action sent at once can beat it and the chooser is
// never seen. A round trip to the page first puts the interception ahead of the action.
export async function kiesBestanden(page, actie, bestanden) {
  const kiezer = page.waitForEvent('filechooser');
  await page.evaluate(() => 0);
  await actie();
  await (await kiezer).setFiles(bestanden);
}
