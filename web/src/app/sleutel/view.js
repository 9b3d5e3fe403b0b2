// The key view: saving and opening the key file, the conflict notice,
// the spreadsheet copy and wiping the session. What changes the session waits
// for the intake before it (wachtrij.js).
import { op, veilig } from '../bind.js';
import { gewijzigd } from '../change.js';
import { esc } from '../globals.js';
import { meldView } from '../router.js';
import { S } from '../session.js';
import { $, bevestig, download, kopieer, toast } from '../ui.js';
import { opDeBeurt } from '../wachtrij.js';
import { leegSessie } from '../wissen.js';
import { alsBestand, bestandsnaam, leesSleutelbestand, sleutelEntries, sleutelInhoud } from './bestand.js';
import { kanVersleutelen, ontsleutel, versleutel } from './envelope.js';
import { conflicten, importeer } from './importeren.js';
import { bindKantoorlijst } from './kantoorlijst-view.js';
import { renderSleutel, tabelVoorExcel } from './tabel.js';

// Real key files are a few hundred kilobytes; a larger file is not read at all.
const MAX_GROOTTE = 10 * 1024 * 1024;
const MAX_GETOOND = 8;

export async function sleutelOpslaan() {
  if (!S.ents.length) {
    toast('Er is nog niets om op te slaan.');
    return;
  }
  let inhoud = sleutelInhoud(S);
  const ww = $('ww-opslaan').value;
  if (ww) {
    if (!kanVersleutelen()) {
      toast('Versleutelen is in deze browser niet beschikbaar.');
      return;
    }
    inhoud = await versleutel(inhoud, ww);
  }
  download(bestandsnaam(S.dossier), alsBestand(inhoud), 'application/json');
  toast(`Sleutelbestand gedownload${ww ? ' (versleuteld)' : ''}. Zet het in het klantdossier.`);
}

const geen = (melding) => {
  toast(melding);
  return null;
};

// The content of a chosen file, decrypted with the password given with it
// when needed; a message and null when it has none.
async function inhoudVan(file, ww) {
  if (file.size > MAX_GROOTTE) return geen('Dit bestand is te groot voor een sleutelbestand.');
  const { obj, fout } = leesSleutelbestand(await file.text());
  if (fout) return geen(fout);
  if (!obj.versleuteld) return obj;
  if (!ww) {
    toast('Dit bestand is versleuteld; vul eerst het wachtwoord in.');
    $('ww-openen').focus();
    return null;
  }
  if (!kanVersleutelen()) return geen('Versleutelen is in deze browser niet beschikbaar.');
  try {
    return await ontsleutel(obj, ww);
  } catch {
    return geen('Wachtwoord onjuist of bestand beschadigd.');
  }
}

export async function sleutelOpenen(file, ww) {
  const inhoud = await inhoudVan(file, ww);
  if (!inhoud) return;
  const { lijst, overgeslagen } = sleutelEntries(inhoud);
  const botsingen = conflicten(lijst);
  if (botsingen.length) toonConflict(inhoud, { lijst, overgeslagen }, botsingen);
  else voerIn(inhoud, { lijst, overgeslagen });
}

function voerIn(inhoud, { lijst, overgeslagen }) {
  const { geladen, gevonden } = importeer(inhoud, lijst);
  $('sleutel-melding').innerHTML = '';
  gewijzigd();
  renderSleutel();
  const uitDocs = gevonden ? `, ${gevonden} nieuwe uit de documenten` : '';
  const overslaan = overgeslagen ? `, ${overgeslagen} overgeslagen (onbekende soort of geen tekst)` : '';
  toast(`${geladen} gegevens uit het sleutelbestand geladen${uitDocs}${overslaan}.`);
}

export function toonConflict(inhoud, entries, botsingen) {
  const items = botsingen.slice(0, MAX_GETOOND).map((t) => `<li>${esc(t)}</li>`);
  if (botsingen.length > MAX_GETOOND) items.push(`<li>en ${botsingen.length - MAX_GETOOND} meer</li>`);
  const melding = $('sleutel-melding');
  melding.innerHTML = '<div class="notice-fout notice"><b>Dit sleutelbestand past niet bij de huidige sessie.</b> '
    + `Dezelfde placeholders betekenen iets anders:<ul>${items.join('')}</ul>`
    + 'Hoort het AI-antwoord bij dit sleutelbestand, vervang dan de sessie. '
    + 'Uw documenten blijven staan en worden opnieuw gemarkeerd volgens het bestand.'
    + '<div class="knoppen"><button type="button" class="btn btn-klein" id="btn-sleutel-vervang">Sessie vervangen door sleutelbestand</button>'
    + '<button type="button" class="btn btn-ghost btn-klein" id="btn-sleutel-annuleer">Annuleren</button></div></div>';
  op($('btn-sleutel-vervang'), 'click', () => opDeBeurt(() => {
    S.ents = [];
    S.counters = {};
    S.genegeerd = [];
    voerIn(inhoud, entries);
  }));
  op($('btn-sleutel-annuleer'), 'click', () => {
    melding.innerHTML = '';
  });
  window.scrollTo(0, 0);
}

function wisSessie() {
  leegSessie();
  renderSleutel();
  toast('Sessie gewist.');
}

export function bindSleutel() {
  meldView('sleutel', renderSleutel);
  op($('btn-sleutel-opslaan'), 'click', sleutelOpslaan);
  const kiezer = $('sleutel-input');
  op($('btn-sleutel-openen'), 'click', () => kiezer.click());
  op(kiezer, 'change', async () => {
    const file = kiezer.files[0];
    kiezer.value = '';
    // The password as it stands now: a new session asked for before it, and
    // done in its turn, empties the field.
    const ww = $('ww-openen').value;
    if (file) await opDeBeurt(() => sleutelOpenen(file, ww));
  });
  op($('btn-tabel-kopieer'), 'click', (ev) => kopieer(tabelVoorExcel(S.ents), null, ev.currentTarget));
  bevestig($('btn-wissen'), () => veilig(() => opDeBeurt(wisSessie)));
  bindKantoorlijst();
}
