// Trimming of blanks and tabs by hand: a regex such as /[ \t]+$/ takes quadratic
// time on a long run of them, and mail bodies come from anywhere.
const isBlank = (c) => c === 0x20 || c === 0x09;

export function trimBlanks(line, start = true) {
  let a = 0;
  let b = line.length;
  while (start && a < b && isBlank(line.charCodeAt(a))) a++;
  while (b > a && isBlank(line.charCodeAt(b - 1))) b--;
  return line.slice(a, b);
}

// Blanks and tabs before each line break go (and after it, when `around`);
// three or more line breaks become two; the whole is trimmed.
export function tidyLines(text, around) {
  return text.split('\n').map((line) => trimBlanks(line, around)).join('\n').replace(/\n{3,}/g, '\n\n').trim();
}
