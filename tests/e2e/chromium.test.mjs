// The program with Debian's Chromium in an X server of its own: the app window
// loads the page from the program's server, and closing the browser ends the run.
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { test } from 'node:test';
import { browserProces, installeer, leesInstance, start, wachtOp } from './support.mjs';

const kan = existsSync('/usr/bin/chromium') && existsSync('/usr/bin/xvfb-run');

test('the window shows our page; closing the browser ends the program', { skip: !kan && 'no Chromium or xvfb-run' }, async (t) => {
  // The page cannot reach another origin but may navigate there: it reports its
  // own address to a listener of the test, which proves what it was loaded from.
  const gezien = [];
  const luisteraar = createServer((req, res) => { gezien.push(req.url); res.end('ok'); });
  await new Promise((r) => luisteraar.listen(0, '127.0.0.1', r));
  t.after(() => luisteraar.close());
  const terug = `http://127.0.0.1:${luisteraar.address().port}/gezien?van=`;

  const app = installeer({
    'index.html': '<!doctype html><title>Drovel Verhulzen</title><script src="meld.js"></script>',
    'meld.js': `location.href = ${JSON.stringify(terug)} + encodeURIComponent(location.href);`,
  });
  t.after(app.opruimen);
  const { klaar } = start(app, { voor: ['xvfb-run', '-a'] });
  let record = null;
  t.after(async () => {
    // A failed test must not leave the window open: closing it ends the program.
    const pid = record && browserProces(record.profiel);
    if (pid) process.kill(pid, 'SIGTERM');
    await klaar;
  });

  record = await leesInstance(app);
  const verwacht = `/gezien?van=${encodeURIComponent(`http://127.0.0.1:${record.port}/`)}`;
  await wachtOp(() => gezien.includes(verwacht), { ms: 60000, wat: 'the page in the window' });
  assert.equal(existsSync(record.profiel), true, 'the window uses its own profile folder');

  const pid = await wachtOp(() => browserProces(record.profiel), { wat: 'the browser process' });
  // The program looks at the profile once a second; let it see the window open.
  await new Promise((r) => setTimeout(r, 2500));
  process.kill(pid, 'SIGTERM');
  const einde = await klaar;
  assert.equal(einde.code, 0, einde.stderr);
  assert.equal(existsSync(record.profiel), false, 'no profile left behind');
  assert.equal(existsSync(app.instance), false);
});
