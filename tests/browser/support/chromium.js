// Starts Debian's Chromium through Playwright, headless, with nothing reaching
// out to the network.
import { chromium } from 'playwright-core';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const EXECUTABLE = '/usr/bin/chromium';
const FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export async function launchBrowser() {
  return chromium.launch({ executablePath: EXECUTABLE, headless: true, args: FLAGS });
}

// A browser whose user blocks cookies, so that pages may use neither local
// nor session storage: a profile of its own with that setting.
export async function launchZonderCookies() {
  const profiel = mkdtempSync(join(tmpdir(), 'verhulzen-geen-cookies-'));
  mkdirSync(join(profiel, 'Default'));
  writeFileSync(join(profiel, 'Default', 'Preferences'), JSON.stringify({ profile: { default_content_setting_values: { cookies: 2 } } }));
  const context = await chromium.launchPersistentContext(profiel, {
    executablePath: EXECUTABLE, headless: true, args: FLAGS, viewport: { width: 1440, height: 900 },
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profiel, { recursive: true, force: true });
    },
  };
}
