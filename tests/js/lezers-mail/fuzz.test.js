// Mutated sample mails never make the readers throw anything but their own messages.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { check, generator, mutate, samples } from './mutate.js';

const ROUNDS = 1500;

test('mutated samples are read without a stray error', () => {
  const files = samples();
  const rnd = generator(20240611);
  for (let i = 0; i < ROUNDS; i++) {
    const input = mutate(files[i % files.length].bytes, files[rnd(files.length)].bytes, rnd);
    const fault = check(input);
    assert.equal(fault, null, `round ${i} (${files[i % files.length].name})`);
  }
});
