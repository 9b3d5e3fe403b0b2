// A wiped or new session leaves no client data in the page's fields: not
// the texts typed or pasted, not the passwords, not the restored answer.
import { gewijzigd } from './change.js';
import { S, leeg, vergeetOpgeslagen, vervangSessie } from './session.js';
import { renderTerug } from './terug/view.js';
import { renderVervolg } from './terug/vervolg.js';
import { $ } from './ui.js';

const VELDEN = ['dossier', 'plak-titel', 'plak-tekst', 'nieuw-waarde', 'terug-invoer', 'vervolg-invoer', 'ww-opslaan', 'ww-openen'];

function wisVelden() {
  for (const id of VELDEN) $(id).value = '';
  // The instruction goes back to the fresh session's own.
  $('instructie').value = S.instructie;
  renderTerug();
  renderVervolg();
}

// A fresh session in place of the current one, saved over it; the caller
// renders its view.
export function leegSessie() {
  vervangSessie(leeg());
  gewijzigd();
  vergeetOpgeslagen();
  wisVelden();
}
