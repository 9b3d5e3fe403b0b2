// Pasting into the answer and follow-up fields.
import { $, toast } from '../ui.js';
import { heeftOpmaak, htmlNaarMarkdown } from './html-markdown.js';

export function plakInVak(vak, tekst) {
  vak.focus();
  vak.setRangeText(tekst, vak.selectionStart, vak.selectionEnd, 'end');
  vak.dispatchEvent(new Event('input', { bubbles: true }));
}

async function opgemaakt() {
  for (const item of await navigator.clipboard.read()) {
    if (!item.types.includes('text/html')) continue;
    const html = await (await item.getType('text/html')).text();
    if (heeftOpmaak(html)) return htmlNaarMarkdown(html);
  }
  return null;
}

export async function plakKlembord(vak, metOpmaak) {
  try {
    const md = metOpmaak && navigator.clipboard.read ? await opgemaakt() : null;
    if (md !== null) {
      plakInVak(vak, md);
      return true;
    }
    const tekst = await navigator.clipboard.readText();
    if (!tekst) {
      toast('Het klembord bevat geen tekst.');
      return false;
    }
    plakInVak(vak, tekst);
    return true;
  } catch {
    vak.focus();
    toast('Plakken via de knop is niet toegestaan; klik in het vak en gebruik Ctrl+V.');
    return false;
  }
}

// Ctrl+V or the menu in the answer field: real formatting comes in as markdown.
export function bijPlakken(ev) {
  const html = ev.clipboardData?.getData('text/html');
  if (!html || !heeftOpmaak(html)) return;
  ev.preventDefault();
  plakInVak($('terug-invoer'), htmlNaarMarkdown(html));
}
