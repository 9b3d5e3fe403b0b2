// Starts Debian's Chromium through Playwright, headless, with nothing reaching
// out to the network.
import { chromium } from 'playwright-core';

const FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export async function launchBrowser() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: FLAGS });
}
