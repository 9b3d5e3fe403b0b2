// One page server and one browser per test file: started before its tests,
// closed after them.
import { mkdirSync } from 'node:fs';
import { after, before } from 'node:test';
import { launchBrowser } from './chromium.js';
import { servePage } from './page-server.js';

export function paginaOmgeving() {
  const omgeving = { browser: null, origin: null, server: null };
  before(async () => {
    const { server, origin } = await servePage();
    Object.assign(omgeving, { server, origin, browser: await launchBrowser() });
    mkdirSync('test-results', { recursive: true });
  });
  after(async () => {
    await omgeving.browser?.close();
    omgeving.server?.close();
  });
  return omgeving;
}
