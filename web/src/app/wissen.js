// A wiped or new session leaves no client data in the page's fields: not
// the texts typed or pasted, not the passwords, not the restored answer.
import { S } from './session.js';
import { renderTerug } from './terug/view.js';
import { renderVervolg } from './terug/vervolg.js';
import { $ } from './ui.js';

const VELDEN = ['dossier', 'plak-titel', 'plak-tekst', 'nieuw-waarde', 'terug-invoer', 'vervolg-invoer', 'ww-opslaan', 'ww-openen'];

export function wisVelden() {
  for (const id of VELDEN) $(id).value = '';
  // The instruction goes back to the fresh session's own.
  $('instructie').value = S.instructie;
  renderTerug();
  renderVervolg();
}
