// Interrupting the program while its Chromium window is open, in an X server of
// its own: every interrupt ends the browser and removes the profile and the
// instance record before the program ends.
import assert from 'node:assert/strict';
import { existsSync, lstatSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { browserProces, installeer, leesInstance, start, wachtOp } from './support.mjs';

const kan = existsSync('/usr/bin/chromium') && existsSync('/usr/bin/xvfb-run');

const heeftSlot = (profiel) => {
  try {
    return lstatSync(join(profiel, 'SingletonLock')).isSymbolicLink();
  } catch {
    return false;
  }
};

// Ctrl+C and a closed terminal reach the whole process group, the browser too;
// kill(1) and a quit reach the program alone.
const gevallen = [
  { signaal: 'SIGINT', groep: true },
  { signaal: 'SIGHUP', groep: true },
  { signaal: 'SIGTERM', groep: false },
  { signaal: 'SIGQUIT', groep: false },
];

for (const { signaal, groep } of gevallen) {
  test(`${signaal} to the ${groep ? 'process group' : 'program alone'} cleans up`, { skip: !kan && 'no Chromium or xvfb-run' }, async (t) => {
    const app = installeer();
    t.after(app.opruimen);
    // A session of its own, so the program and its browser form one process group.
    // Its status is noted apart: xvfb-run gives its own when its clean-up fails.
    const status = join(app.root, 'status');
    const { klaar } = start(app, {
      voor: ['xvfb-run', '-a', 'sh', '-c', `setsid -w "$@"; echo $? >${status}`, 'sh'],
    });
    let record = null;
    t.after(async () => {
      const pid = record && browserProces(record.profiel);
      if (pid) process.kill(pid, 'SIGKILL');
      await klaar;
    });

    record = await leesInstance(app);
    await wachtOp(() => heeftSlot(record.profiel), { ms: 60000, wat: 'the browser taking its profile' });
    // The program looks at the profile once a second; let it see the window open.
    await new Promise((r) => setTimeout(r, 2500));
    process.kill(groep ? -record.pid : record.pid, signaal);

    const einde = await klaar;
    // A browser left running would write into its profile again meanwhile.
    await new Promise((r) => setTimeout(r, 1500));
    assert.equal(readFileSync(status, 'utf8').trim(), '130', einde.stderr);
    assert.equal(existsSync(app.instance), false, 'instance.json removed');
    assert.equal(existsSync(record.profiel), false, 'no profile left behind');
    assert.equal(browserProces(record.profiel), null, 'the browser has ended');
  });
}
