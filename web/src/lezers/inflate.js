// Raw deflate through the platform's decompression stream, so the module needs
// no library of its own. A stream that does not decompress rejects; one that
// grows past `max` bytes is stopped there and rejects with `teGroot`.
import { joinBytes } from './bytes.js';

export const TE_GROOT = 'ZIP_TE_GROOT';

export function teGroot(message) {
  return Object.assign(new Error(message), { code: TE_GROOT });
}

export async function inflate(data, max = Infinity) {
  const reader = new Blob([data]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > max) {
      await reader.cancel().catch(() => {});
      throw teGroot(`uitgepakt groter dan ${max} bytes`);
    }
    chunks.push(value);
  }
  return joinBytes(chunks);
}
