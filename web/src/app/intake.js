// Files and text into the session: upload box, chooser, drop, pasted text and screen clippings.
import { op } from './bind.js';
import { gewijzigd } from './change.js';
import { renderDocs } from './docs-view.js';
import { scanStapsgewijs } from './entities.js';
import { bereidVoor } from './marking/view.js';
import { leesBestand } from './readers/bestand.js';
import { tekstBlokken } from './readers/tekst.js';
import { huidigeView } from './router.js';
import { S, volgendId } from './session.js';
import { batchBericht, groepeer, knipselNaam } from './text.js';
import { $, adem, toast, voortgang } from './ui.js';
import { onderLaden } from './wachtrij.js';

let knipsels = 0;

// New documents, already in the session: scanned, the first one made current,
// then the change routine. Returns how many entities the scan added.
async function neemOp(docs) {
  const n = await scanStapsgewijs(docs);
  S.cur = docs[0].id;
  gewijzigd();
  renderDocs();
  await bereidVoor(adem);
  return n;
}

// Each file is read when the one before it has been, and the batch waits for
// the work asked before it (see wachtrij.js).
export function verwerkBestanden(files) {
  const lijst = [...files];
  if (!lijst.length) return;
  return onderLaden(() => leesInSessie(lijst));
}

async function leesInSessie(lijst) {
  const nieuw = [];
  const mislukt = [];
  for (const file of lijst) {
    voortgang(`Bezig met lezen van ${file.name}…`);
    await adem();
    try {
      const r = await leesBestand(file);
      const doc = { id: `d${volgendId()}`, name: file.name, blocks: r.blocks, warn: r.warn || [], info: r.info || '', bekend: r.bekend || [] };
      S.docs.push(doc);
      nieuw.push(doc);
    } catch (err) {
      console.error(err);
      toast(`${file.name}: ${err?.message || 'kon niet gelezen worden'}`);
      mislukt.push(file.name);
    }
  }
  const n = nieuw.length ? await neemOp(nieuw) : 0;
  const slot = batchBericht(nieuw.length, n, mislukt);
  if (slot) toast(slot);
}

function voegTekstToe() {
  const tekst = $('plak-tekst').value;
  if (!tekst.trim()) {
    toast('Plak eerst tekst in het vak.');
    return;
  }
  const titel = $('plak-titel').value.trim();
  // Emptied at once, so that nothing typed or pressed under the overlay is
  // wiped or takes the same text in twice.
  $('plak-tekst').value = '';
  $('plak-titel').value = '';
  return onderLaden(async () => {
    const geplakt = S.docs.filter((d) => d.name.startsWith('Geplakte tekst')).length;
    const doc = {
      id: `d${volgendId()}`,
      name: titel || `Geplakte tekst ${geplakt + 1}`,
      blocks: tekstBlokken(tekst),
      warn: [],
      info: `${groepeer(tekst.length)} tekens`,
    };
    S.docs.push(doc);
    const n = await neemOp([doc]);
    toast(`Tekst toegevoegd, ${n} nieuwe gegevens gevonden.`);
  });
}

function knipsel(beeld) {
  knipsels += 1;
  return verwerkBestanden([new File([beeld], knipselNaam(knipsels, beeld.type), { type: beeld.type })]);
}

// Ctrl+V on the document view: a picture alone is a clipping; text beside it wins.
function bijPlakken(ev) {
  const data = ev.clipboardData;
  if (huidigeView() !== 'document' || !data) return;
  if (data.types.includes('text/plain') || data.types.includes('text/html')) return;
  const item = [...data.items].find((i) => i.kind === 'file' && i.type.startsWith('image/'));
  const beeld = item?.getAsFile();
  if (!beeld) return;
  ev.preventDefault();
  return knipsel(beeld);
}

async function plakVanKlembord() {
  const cb = navigator.clipboard;
  if (cb?.read) {
    try {
      for (const item of await cb.read()) {
        const type = item.types.find((t) => t.startsWith('image/'));
        if (type && !item.types.includes('text/plain')) return knipsel(await item.getType(type));
      }
    } catch {
      // Refused for whole items: plain text may still be allowed.
    }
  }
  const vak = $('plak-tekst');
  let tekst;
  try {
    tekst = await cb.readText();
  } catch {
    vak.focus();
    toast('Plakken via de knop is niet toegestaan; gebruik Ctrl+V in het tekstvak.');
    return;
  }
  if (!tekst) {
    toast('Het klembord bevat geen tekst.');
    return;
  }
  vak.setRangeText(tekst, vak.selectionStart, vak.selectionEnd, 'end');
  vak.focus();
}

export function bindIntake() {
  const box = $('upload-box');
  const kiezer = $('file-input');
  op(box, 'click', (ev) => {
    if (ev.target !== kiezer) kiezer.click();
  });
  op(kiezer, 'change', async () => {
    const files = [...kiezer.files];
    kiezer.value = '';
    await verwerkBestanden(files);
  });
  op(box, 'dragover', (ev) => {
    ev.preventDefault();
    box.classList.add('active');
  });
  op(box, 'dragleave', (ev) => {
    if (!box.contains(ev.relatedTarget)) box.classList.remove('active');
  });
  op(box, 'drop', (ev) => {
    ev.preventDefault();
    ev.stopPropagation();
    box.classList.remove('active');
    return verwerkBestanden(ev.dataTransfer?.files || []);
  });
  // A file dropped beside the box is neither opened by the browser nor added.
  op(window, 'dragover', (ev) => ev.preventDefault());
  op(window, 'drop', (ev) => ev.preventDefault());

  op($('btn-plak'), 'click', voegTekstToe);
  op($('btn-klembord'), 'click', plakVanKlembord);
  op(document, 'paste', bijPlakken);
}
