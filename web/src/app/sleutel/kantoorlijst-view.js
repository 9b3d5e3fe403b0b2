// The office list card of the key view: editor, counts line, open and download.
import { op } from '../bind.js';
import { gewijzigd } from '../change.js';
import { scan } from '../entities.js';
import { K, KL_VOORBEELD } from '../kantoorlijst.js';
import { S } from '../session.js';
import { $, download, toast } from '../ui.js';
import { opDeBeurt } from '../wachtrij.js';
import { bewaarKantoorlijst, desktop, gedeeld, nietBewaardHier } from './kantoorlijst-opslag.js';
import { renderSleutel } from './tabel.js';

function waarBewaard() {
  if (desktop()) return ' · bewaard op deze pc';
  if (nietBewaardHier()) return ' · niet bewaard in deze browser';
  if (gedeeld()) return ' · hier wordt alleen "nooit vervangen" bewaard; open de klantenlijst elke sessie of gebruik de Windows-app';
  return ' · bewaard in deze browser';
}

export function renderKantoorlijstInfo() {
  $('kl-info').textContent = `${K.altijd.length} altijd vervangen, ${K.nooit.length} nooit vervangen${waarBewaard()}`;
}

// The editor's text as it was when the user saved it, applied in its turn
// after the intake before it, so that the scan covers what that intake adds.
const bewaarEnPasToe = () => {
  const tekst = $('kl-tekst').value;
  return opDeBeurt(() => pasToe(tekst));
};

async function pasToe(tekst) {
  const status = await bewaarKantoorlijst(tekst);
  if (status === 'geweigerd') {
    toast('Kantoorlijst kon niet worden bewaard.');
    return;
  }
  const n = scan(S.docs);
  gewijzigd();
  renderKantoorlijstInfo();
  renderSleutel();
  // Last, so that the change routine's warning about the session's own storage does not take its place.
  toast(status === 'niet-bewaard' ? 'Deze browser bewaart de kantoorlijst niet; download hem als bestand.'
    : `Kantoorlijst bewaard${n ? `, ${n} nieuwe gegevens gevonden.` : '.'}`);
}

export function bindKantoorlijst() {
  $('kl-tekst').value = K.tekst || KL_VOORBEELD;
  renderKantoorlijstInfo();
  const kiezer = $('kl-input');
  op($('btn-kl-bewaar'), 'click', bewaarEnPasToe);
  op($('btn-kl-open'), 'click', () => kiezer.click());
  op(kiezer, 'change', async () => {
    const file = kiezer.files[0];
    kiezer.value = '';
    if (!file) return;
    $('kl-tekst').value = await file.text();
    await bewaarEnPasToe();
  });
  op($('btn-kl-download'), 'click', () => download('kantoorlijst.txt', $('kl-tekst').value, 'text/plain'));
}
