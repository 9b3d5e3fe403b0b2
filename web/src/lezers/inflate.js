// Raw deflate through the platform's decompression stream, so the module needs
// no library of its own. A stream that does not decompress rejects.
export async function inflate(data) {
  const stream = new Blob([data]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}
