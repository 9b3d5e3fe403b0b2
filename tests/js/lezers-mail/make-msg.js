// Writes small compound files (and Outlook messages in them) for the tests:
// streams under 4096 bytes in the mini stream, the rest in sectors of their own,
// FAT sectors past 109 through DIFAT sectors.
const FREE = 0xffffffff;
const END = 0xfffffffe;
const FAT_MARK = 0xfffffffd;
const DIFAT_MARK = 0xfffffffc;
const MINI = 64;
const CUTOFF = 4096;

const bytesOf = (data) => (typeof data === 'string' ? new TextEncoder().encode(data) : data);

// Tree: { name, children } for a storage, { name, data } for a stream.
export function makeCfb(root, { shift = 9 } = {}) {
  const size = 2 ** shift;
  const entries = [];
  const add = (node, type) => {
    const e = { node, type, index: entries.length, left: FREE, right: FREE, child: FREE, start: END, size: 0 };
    entries.push(e);
    if (node.children) {
      const kids = node.children.map((c) => add(c, c.children ? 1 : 2));
      kids.forEach((k, i) => { k.right = kids[i + 1]?.index ?? FREE; });
      e.child = kids[0]?.index ?? FREE;
    } else e.data = bytesOf(node.data);
    return e;
  };
  add(root, 5);
  const small = entries.filter((e) => e.data && e.data.length < CUTOFF);
  const big = entries.filter((e) => e.data && e.data.length >= CUTOFF);
  let mini = new Uint8Array(0);
  const miniFat = [];
  for (const e of small) {
    e.size = e.data.length;
    if (!e.size) continue;
    const count = Math.ceil(e.size / MINI);
    e.start = miniFat.length;
    for (let i = 0; i < count; i++) miniFat.push(i === count - 1 ? END : e.start + i + 1);
    const grown = new Uint8Array(mini.length + count * MINI);
    grown.set(mini);
    grown.set(e.data, mini.length);
    mini = grown;
  }
  const sectorsFor = (n) => Math.ceil(n / size);
  const streams = [
    { name: 'dir', data: new Uint8Array(entries.length * 128) },
    { name: 'minifat', data: new Uint8Array(miniFat.length * 4) },
    { name: 'mini', data: mini },
    ...big.map((e) => ({ e, data: e.data })),
  ];
  const dataSectors = streams.reduce((n, s) => n + sectorsFor(s.data.length), 0);
  let fat = 1;
  let difat = 0;
  for (;;) {
    difat = Math.ceil(Math.max(0, fat - 109) / (size / 4 - 1));
    const need = Math.ceil((fat + difat + dataSectors) / (size / 4));
    if (need <= fat) break;
    fat = need;
  }
  const table = new Uint32Array(fat * (size / 4)).fill(FREE);
  let next = 0;
  const fatSectors = [];
  for (let i = 0; i < fat; i++) { fatSectors.push(next); table[next++] = FAT_MARK; }
  const difatSectors = [];
  for (let i = 0; i < difat; i++) { difatSectors.push(next); table[next++] = DIFAT_MARK; }
  for (const s of streams) {
    const count = sectorsFor(s.data.length);
    s.start = count ? next : END;
    for (let i = 0; i < count; i++, next++) table[next] = i === count - 1 ? END : next + 1;
    if (s.e) { s.e.start = s.start; s.e.size = s.data.length; }
  }
  const [dir, minifat, ministream] = streams;
  entries[0].start = ministream.start;
  entries[0].size = mini.length;
  const out = new Uint8Array(size * (1 + next));
  const view = new DataView(out.buffer);
  out.set([0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1]);
  view.setUint16(0x1a, 3, true);
  view.setUint16(0x1c, 0xfffe, true);
  view.setUint16(0x1e, shift, true);
  view.setUint16(0x20, 6, true);
  view.setUint32(0x2c, fat, true);
  view.setUint32(0x30, dir.start, true);
  view.setUint32(0x38, CUTOFF, true);
  view.setUint32(0x3c, miniFat.length ? minifat.start : END, true);
  view.setUint32(0x40, miniFat.length ? sectorsFor(minifat.data.length) : 0, true);
  view.setUint32(0x44, difat ? difatSectors[0] : END, true);
  view.setUint32(0x48, difat, true);
  for (let i = 0; i < 109; i++) view.setUint32(0x4c + 4 * i, fatSectors[i] ?? FREE, true);
  const at = (n) => (n + 1) * size;
  for (let d = 0; d < difat; d++) {
    const per = size / 4 - 1;
    for (let i = 0; i < per; i++) view.setUint32(at(difatSectors[d]) + 4 * i, fatSectors[109 + d * per + i] ?? FREE, true);
    view.setUint32(at(difatSectors[d]) + 4 * per, difatSectors[d + 1] ?? END, true);
  }
  fatSectors.forEach((n, k) => out.set(new Uint8Array(table.buffer, k * size, size), at(n)));
  const dv = new DataView(dir.data.buffer);
  for (const e of entries) {
    const o = e.index * 128;
    const name = e.node.name;
    for (let i = 0; i < name.length; i++) dv.setUint16(o + 2 * i, name.charCodeAt(i), true);
    dv.setUint16(o + 0x40, (name.length + 1) * 2, true);
    dir.data[o + 0x42] = e.type;
    dv.setUint32(o + 0x44, e.left, true);
    dv.setUint32(o + 0x48, e.right, true);
    dv.setUint32(o + 0x4c, e.child, true);
    dv.setUint32(o + 0x74, e.start, true);
    dv.setUint32(o + 0x78, e.size, true);
  }
  new Uint8Array(minifat.data.buffer).set(new Uint8Array(Uint32Array.from(miniFat).buffer));
  for (const s of streams) if (s.data.length) out.set(s.data, at(s.start));
  return out;
}

// Outlook message layout on top of the compound file.
const utf16 = (text) => new Uint8Array(Buffer.from(`${text}`, 'utf16le'));
const ID = /^[0-9A-F]{4}$/;

// Fixed properties: { '0C15': 2 } or { '0039': { type: 0x40, laag, hoog } }.
function fixed(props, header) {
  const list = Object.entries(props);
  const out = new Uint8Array(header + 16 * list.length);
  const dv = new DataView(out.buffer);
  list.forEach(([id, v], i) => {
    const o = header + 16 * i;
    const { type = 0x0003, laag = v, hoog = 0 } = typeof v === 'object' ? v : {};
    dv.setUint32(o, ((parseInt(id, 16) << 16) | type) >>> 0, true);
    dv.setUint32(o + 8, laag >>> 0, true);
    dv.setUint32(o + 12, hoog >>> 0, true);
  });
  return out;
}

// A message: { props: { '0037': 'text' | bytes (8 hex digits key) }, fixed, recipients, attachments }.
export function msgStorage(message, header = 32) {
  const children = [];
  for (const [key, value] of Object.entries(message.props || {})) {
    const name = ID.test(key) ? `__substg1.0_${key}001F` : `__substg1.0_${key}`;
    children.push({ name, data: ID.test(key) ? utf16(value) : value });
  }
  children.push({ name: '__properties_version1.0', data: fixed(message.fixed || {}, header) });
  (message.recipients || []).forEach((r, i) => children.push({
    name: `__recip_version1.0_#${String(i).padStart(8, '0')}`,
    children: [
      ...Object.entries(r.props || {}).map(([id, v]) => ({ name: `__substg1.0_${id}001F`, data: utf16(v) })),
      { name: '__properties_version1.0', data: fixed(r.fixed || {}, 8) },
    ],
  }));
  (message.attachments || []).forEach((a, i) => {
    const kids = Object.entries(a.props || {}).map(([k, v]) => ({
      name: ID.test(k) ? `__substg1.0_${k}001F` : `__substg1.0_${k}`, data: ID.test(k) ? utf16(v) : v,
    }));
    if (a.data) kids.push({ name: '__substg1.0_37010102', data: a.data });
    if (a.message) kids.push({ ...msgStorage(a.message, 24), name: '__substg1.0_3701000D' });
    kids.push({ name: '__properties_version1.0', data: fixed(a.fixed || {}, 8) });
    children.push({ name: `__attach_version1.0_#${String(i).padStart(8, '0')}`, children: kids });
  });
  return { name: 'Root Entry', children };
}

export const makeMsg = (message, options) => makeCfb(msgStorage(message), options);
