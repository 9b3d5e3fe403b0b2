// Interrupting the program while its Chromium window is open, in an X server of
// its own: every interrupt ends the browser and removes the profile and the
// instance record before the program ends.
import assert from 'node:assert/strict';
import { existsSync, lstatSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { browserProces, installeer, leesInstance, meldendePagina, profielProcessen, start, wachtOp } from './support.mjs';

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
    const { web, gezien } = await meldendePagina(t);
    const app = installeer(web);
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
    await wachtOp(() => gezien.length > 0 && heeftSlot(record.profiel), { ms: 60000, wat: 'the page in the window' });
    process.kill(groep ? -record.pid : record.pid, signaal);

    const einde = await klaar;
    assert.equal(browserProces(record.profiel), null, 'the browser has ended');
    // Its helpers may still be ending; one that wrote into the profile would bring it back.
    await wachtOp(() => profielProcessen(record.profiel).length === 0, { wat: 'the browser\'s helpers ending' });
    assert.equal(readFileSync(status, 'utf8').trim(), '130', einde.stderr);
    assert.equal(existsSync(app.instance), false, 'instance.json removed');
    assert.equal(existsSync(record.profiel), false, 'no profile left behind');
  });
}
