// Items into a list one by one: a spread into push() overflows the stack from
// about a hundred thousand items, and a long body or document has more.
export function append(list, items) {
  for (const item of items) list.push(item);
}
