// Utilities that every view uses: element lookup, toast, busy overlay,
// download, copying to the clipboard, two-click confirmation, debounce.

export const $ = (id) => document.getElementById(id);

const lijn = (d) => `<svg class="ic" viewBox="0 0 24 24" aria-hidden="true">${d}</svg>`;
export const ICOON = {
  kopieer: lijn('<rect x="9" y="9" width="12" height="12" rx="2.5"/><path d="M5 15H4.5A1.5 1.5 0 0 1 3 13.5v-9A1.5 1.5 0 0 1 4.5 3h9A1.5 1.5 0 0 1 15 4.5V5"/>'),
  plak: lijn('<rect x="5" y="4" width="14" height="17" rx="2"/><path d="M9 4V3h6v1M9 2.5h6v3H9z"/>'),
  zoek: lijn('<circle cx="11" cy="11" r="6.5"/><path d="M16 16l5 5"/>'),
  vink: lijn('<path d="M4.5 12.5l5 5 10-11"/>'),
};

// A warning the user must see stays, above the toasts that follow it, until
// it is clicked away or no longer holds (`vergeetWaarschuwing`).
let toastTimer = 0;
let waarschuwing = '';

function toonToast(msg) {
  const el = $('toast');
  if (waarschuwing && msg !== waarschuwing) {
    const vast = document.createElement('div');
    vast.className = 'toast-vast';
    vast.textContent = waarschuwing;
    el.replaceChildren(vast, msg);
  } else {
    el.textContent = msg;
  }
  el.classList.add('show');
  el.classList.toggle('vast', Boolean(waarschuwing));
}

export function toast(msg) {
  toonToast(msg);
  clearTimeout(toastTimer);
  toastTimer = setTimeout(() => {
    if (waarschuwing) toonToast(waarschuwing);
    else $('toast').classList.remove('show');
  }, 3200);
}

export function waarschuw(msg) {
  waarschuwing = msg;
  toast(msg);
}

export function vergeetWaarschuwing(msg) {
  if (waarschuwing !== msg) return;
  waarschuwing = '';
  $('toast').classList.remove('vast');
}

export function bindToast() {
  $('toast').addEventListener('click', () => {
    waarschuwing = '';
    $('toast').classList.remove('show', 'vast');
  });
}

// Progress text of the busy overlay; the readers write into it too.
export function voortgang(tekst) {
  $('laden').textContent = tekst;
}

export function toonLaden(aan) {
  $('laden').classList.toggle('show', aan);
}

// The browser's turn: the overlay's progress is painted and input is handled.
export const adem = () => new Promise((klaar) => setTimeout(klaar, 0));

export function download(naam, inhoud, type) {
  const url = URL.createObjectURL(new Blob([inhoud], { type: `${type};charset=utf-8` }));
  const a = document.createElement('a');
  a.href = url;
  a.download = naam;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 2000);
}

async function naarKlembord(tekst, html) {
  const cb = navigator.clipboard;
  if (html != null && cb?.write && globalThis.ClipboardItem) {
    await cb.write([new ClipboardItem({
      'text/html': new Blob([html], { type: 'text/html' }),
      'text/plain': new Blob([tekst], { type: 'text/plain' }),
    })]);
    return true;
  }
  if (html == null && cb?.writeText) {
    await cb.writeText(tekst);
    return true;
  }
  return false;
}

// The old way: select an off-screen copy of the content and run the copy command.
function viaKopieerCommando(tekst, html) {
  const el = document.createElement(html != null ? 'div' : 'textarea');
  if (html != null) {
    el.contentEditable = 'true';
    el.innerHTML = html;
  } else {
    el.value = tekst;
  }
  el.style.cssText = 'position:fixed;left:-9999px;top:0;opacity:0';
  document.body.appendChild(el);
  try {
    if (html != null) {
      const r = document.createRange();
      r.selectNodeContents(el);
      const sel = getSelection();
      sel.removeAllRanges();
      sel.addRange(r);
    } else {
      el.select();
    }
    return document.execCommand('copy');
  } catch {
    return false;
  } finally {
    el.remove();
  }
}

// Buttons showing "Gekopieerd", with their own content and the pending restore;
// a copy during the confirmation restarts it and keeps the content from before.
const gekopieerd = new WeakMap();

function bevestigKopie(knop) {
  const lopend = gekopieerd.get(knop);
  clearTimeout(lopend?.timer);
  const oud = lopend ? lopend.oud : knop.innerHTML;
  knop.classList.add('ok');
  knop.innerHTML = `${ICOON.vink}Gekopieerd`;
  const timer = setTimeout(() => {
    gekopieerd.delete(knop);
    knop.classList.remove('ok');
    knop.innerHTML = oud;
  }, 1400);
  gekopieerd.set(knop, { oud, timer });
}

export async function kopieer(tekst, html, knop) {
  const gelukt = (await naarKlembord(tekst, html).catch(() => false)) || viaKopieerCommando(tekst, html);
  if (!gelukt) toast('Kopiëren lukte niet. Selecteer de tekst en gebruik Ctrl+C.');
  else if (knop) bevestigKopie(knop);
  return gelukt;
}

// No dialog windows: the first click arms the button, the second runs the action.
export function bevestig(knop, actie) {
  const tekst = knop.textContent;
  let timer = 0;
  const ontwapen = () => {
    clearTimeout(timer);
    delete knop.dataset.gewapend;
    knop.textContent = tekst;
  };
  knop.addEventListener('click', () => {
    if (knop.dataset.gewapend) {
      ontwapen();
      actie();
      return;
    }
    knop.dataset.gewapend = '1';
    knop.textContent = 'Zeker weten? Klik nogmaals';
    timer = setTimeout(ontwapen, 3500);
  });
}

export function debounce(fn, ms) {
  let timer = 0;
  return (...args) => {
    clearTimeout(timer);
    timer = setTimeout(() => fn(...args), ms);
  };
}
