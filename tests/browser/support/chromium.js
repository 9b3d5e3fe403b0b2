// Starts Debian's Chromium through Playwright, headless, with nothing reaching
// out to the network, and serves the built web folder on the loopback address.
import { chromium } from 'playwright-core';
import { startStaticServer } from '../../../scripts/serve-web.mjs';

const FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export async function launchBrowser() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: FLAGS });
}

// The hosted edition: the built web folder on a free loopback port.
export async function serveHosted() {
  const server = await startStaticServer(0);
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}
