// The library-free readers: one object, AnonLezers, on the global object of
// whatever loads this (the page's window, or globalThis elsewhere). No page
// document, storage or network.
import { docxExtra, wordAlineas } from './docx-extra.js';
import { zipBestanden } from './zip.js';

const AnonLezers = { zipBestanden, docxExtra, wordAlineas };

(typeof window !== 'undefined' ? window : globalThis).AnonLezers = AnonLezers;
// Loaded by require(), the served bundle runs inside CommonJS's module wrapper.
if (typeof module === 'object' && module) module['exports'] = AnonLezers;
