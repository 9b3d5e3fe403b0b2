// The longer fuzz run of the mail readers, by hand: node bench/fuzz-mail.mjs [count] [seed]
// Reports the count, any stray error, the slowest input and the largest memory use.
import { check, generator, mutate, samples } from '../tests/js/lezers-mail/mutate.js';

const count = Number(process.argv[2] ?? 100000);
const seed = Number(process.argv[3] ?? Date.now() % 0xffffffff);
const SLOW_MS = 1000;
const files = samples();
const rnd = generator(seed);
let faults = 0;
let slow = 0;
let slowest = 0;
let peak = 0;
const started = Date.now();
for (let i = 0; i < count; i++) {
  const input = mutate(files[i % files.length].bytes, files[rnd(files.length)].bytes, rnd);
  const t = performance.now();
  const fault = check(input);
  const ms = performance.now() - t;
  slowest = Math.max(slowest, ms);
  if (ms > SLOW_MS) slow++;
  if (fault) {
    faults++;
    if (faults <= 5) console.log(`input ${i}: ${fault}`);
  }
  if (i % 500 === 0) peak = Math.max(peak, process.memoryUsage().rss);
}
peak = Math.max(peak, process.memoryUsage().rss);
console.log(JSON.stringify({
  seed, inputs: count, faults, overOneSecond: slow, slowestMs: Math.round(slowest),
  peakRssMB: Math.round(peak / 2 ** 20), seconds: Math.round((Date.now() - started) / 1000),
}));
