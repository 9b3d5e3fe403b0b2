// Bundle entry: attaches the core to the page's window, or to the host's
// global object outside a browser, and to module.exports under require.
import { AnonCore } from './exports.js';

const root = typeof window !== 'undefined' ? window : globalThis;
root.AnonCore = AnonCore;
const host = typeof module === 'object' ? module : null;
if (host?.exports) host.exports = AnonCore;
