// Jumping to a word in the shown AI text: each click on the same word moves to
// its next occurrence.
import { A } from '../globals.js';
import { $, toast } from '../ui.js';

const sprong = { woord: null, index: -1 };

function tekstKnopen(box) {
  const knopen = [];
  let tekst = '';
  const walker = document.createTreeWalker(box, NodeFilter.SHOW_TEXT);
  for (let n = walker.nextNode(); n; n = walker.nextNode()) {
    knopen.push({ n, start: tekst.length });
    tekst += n.data;
  }
  return { knopen, tekst };
}

function plek(knopen, pos) {
  let k = knopen[0];
  for (const kandidaat of knopen) {
    if (kandidaat.start > pos) break;
    k = kandidaat;
  }
  return [k.n, pos - k.start];
}

export function springNaar(woord) {
  const box = $('ai-uitvoer');
  const { knopen, tekst } = tekstKnopen(box);
  const bron = A().escRe(A().normText(woord)).replace(/ /g, '\\s+');
  const treffers = bron ? [...tekst.matchAll(new RegExp(`(?<![\\p{L}\\p{N}])${bron}(?![\\p{L}\\p{N}])`, 'gu'))] : [];
  if (!treffers.length) {
    toast(`"${woord}" staat niet (meer) in deze tekst.`);
    return;
  }
  sprong.index = sprong.woord === woord ? (sprong.index + 1) % treffers.length : 0;
  sprong.woord = woord;
  const t = treffers[sprong.index];
  const range = document.createRange();
  range.setStart(...plek(knopen, t.index));
  range.setEnd(...plek(knopen, t.index + t[0].length));
  // The highlight leaves the text and the user's selection alone.
  if (globalThis.CSS?.highlights && globalThis.Highlight) {
    CSS.highlights.set('zoek', new Highlight(range));
  } else {
    getSelection().removeAllRanges();
    getSelection().addRange(range);
  }
  box.closest('.kaart').scrollIntoView({ behavior: 'smooth', block: 'start' });
  box.scrollTop += range.getBoundingClientRect().top - box.getBoundingClientRect().top - box.clientHeight / 2;
  if (treffers.length > 1) {
    toast(`"${woord}": plek ${sprong.index + 1} van ${treffers.length}. Klik nogmaals voor de volgende.`);
  }
}
