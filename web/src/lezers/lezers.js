// The library-free readers: one object, AnonLezers, on the global object of
// whatever loads this (the page's window, or globalThis elsewhere). No page
// document, storage or network.
import { adressen } from './adressen.js';
import { docxExtra, wordAlineas } from './docx-extra.js';
import { leesEml } from './eml.js';
import { htmlNaarTekst } from './html-tekst.js';
import { kopDecoderen } from './kop-decoderen.js';
import { leesMsg } from './msg.js';
import { rtfNaarTekst } from './rtf-tekst.js';
import { rtfUitpakken } from './rtf.js';
import { zipBestanden, zipControle } from './zip.js';

const AnonLezers = {
  leesEml, leesMsg, htmlNaarTekst, rtfUitpakken, rtfNaarTekst, zipBestanden, zipControle, docxExtra, wordAlineas, adressen, kopDecoderen,
};

(typeof window !== 'undefined' ? window : globalThis).AnonLezers = AnonLezers;
// Loaded by require(), the served bundle runs inside CommonJS's module wrapper.
if (typeof module === 'object' && module) module['exports'] = AnonLezers;
