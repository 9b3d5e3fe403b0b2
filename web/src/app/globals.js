// The page globals, read at call time: the classic scripts before app.js set
// them, and Node tests of the pure helpers set them on globalThis. The page
// reaches the core and the library-free readers only through these.
export const A = () => globalThis.AnonCore;
export const L = () => globalThis.AnonLezers;
export const CFG = () => globalThis.ANON_CONFIG || {};
export const esc = (s) => A().escHtml(String(s));
