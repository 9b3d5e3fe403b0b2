// The program with Debian's Chromium in an X server of its own: the app window
// loads the page from the program's server, and closing the browser ends the run.
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import { test } from 'node:test';
import { browserProces, installeer, leesInstance, meldendePagina, start, wachtOp } from './support.mjs';

const kan = existsSync('/usr/bin/chromium') && existsSync('/usr/bin/xvfb-run');

test('the window shows our page; closing the browser ends the program', { skip: !kan && 'no Chromium or xvfb-run' }, async (t) => {
  // The address the page reports proves what it was loaded from.
  const { web, gezien } = await meldendePagina(t);
  const app = installeer(web);
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
