'use strict';
// The page's main script: binds the page once the document has been parsed.
import { bindAi } from './ai/view.js';
import { op, veilig } from './bind.js';
import { navBadges } from './change.js';
import { bindDocs, renderDocs } from './docs-view.js';
import { A } from './globals.js';
import { bindIntake } from './intake.js';
import { bindZwevend } from './marking/floating.js';
import { bindTerug } from './terug/view.js';
import { bindMarkeren } from './marking/view.js';
import { gaNaar, toonView, viewVanFragment } from './router.js';
import { laadKantoorlijst } from './sleutel/kantoorlijst-opslag.js';
import { bindSleutel } from './sleutel/view.js';
import { bindExtern } from './status/extern.js';
import { toonStatus } from './status/toon-status.js';
import { S, bewaar, laadSessie } from './session.js';
import { $, ICOON, bevestig, bindToast, toast } from './ui.js';
import { opDeBeurt } from './wachtrij.js';
import { leegSessie } from './wissen.js';

const MET_KOPIEER = ['btn-kopieer-ai', 'btn-kopieer-ai-instr', 'btn-kopieer-ai-boven', 'btn-kopieer-ai-instr-boven', 'btn-verslag',
  'btn-kopieer-plat', 'btn-kopieer-word', 'btn-kopieer-excel', 'btn-kopieer-md', 'btn-vervolg', 'btn-tabel-kopieer'];
const MET_PLAK = ['btn-klembord', 'btn-terug-plak', 'btn-vervolg-plak'];

function nieuweSessie() {
  leegSessie();
  renderDocs();
  toast('Nieuwe sessie gestart.');
}

function init() {
  laadSessie();
  $('nieuw-cat').innerHTML = Object.entries(A().CATS)
    .map(([key, { label }]) => `<option value="${key}">${label}</option>`).join('');
  bindIntake();
  bindToast();
  op($('dossier'), 'input', () => {
    S.dossier = $('dossier').value.trim();
    bewaar();
    navBadges();
  });
  bevestig($('btn-nieuw'), () => veilig(() => opDeBeurt(nieuweSessie)));
  for (const id of ['btn-naar-markeren', 'btn-nav-markeren']) op($(id), 'click', () => gaNaar('markeren'));
  bindDocs();
  bindMarkeren();
  bindZwevend();
  bindAi();
  bindTerug();
  for (const [ids, icoon] of [[MET_KOPIEER, ICOON.kopieer], [MET_PLAK, ICOON.plak]]) {
    for (const id of ids) $(id)?.insertAdjacentHTML('afterbegin', icoon);
  }
  bindSleutel();
  op(window, 'hashchange', () => toonView(viewVanFragment()));
  navBadges();
  const fragment = viewVanFragment();
  toonView(fragment || (S.docs.length ? 'markeren' : 'document'));
}

// The first scans already use the office list; the status shows once the page is bound.
const start = () => laadKantoorlijst().finally(() => {
  init();
  bindExtern();
  toonStatus();
});

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
else start();
