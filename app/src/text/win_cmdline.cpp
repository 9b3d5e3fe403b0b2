#include "text/win_cmdline.h"

namespace verhulzen {

// Arguments are separated by one blank. One that holds a blank or a tab, or is
// empty, is quoted whole. A double quote becomes \", and a run of backslashes
// right before a double quote, or before the closing quote, is doubled.
std::string windows_command_line(const std::vector<std::string>& argv) {
  std::string line;
  for (const auto& arg : argv) {
    if (!line.empty()) line += ' ';
    bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
    if (quote) line += '"';
    std::size_t backslashes = 0;
    for (char c : arg) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      if (c == '"') {
        line.append(backslashes * 2, '\\');
        line += "\\\"";
      } else {
        line.append(backslashes, '\\');
        line += c;
      }
      backslashes = 0;
    }
    line.append(quote ? backslashes * 2 : backslashes, '\\');
    if (quote) line += '"';
  }
  return line;
}

}  // namespace verhulzen
