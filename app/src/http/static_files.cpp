#include "http/static_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "http/serving_rules.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace verhulzen {

namespace fs = std::filesystem;

namespace {

std::string_view path_of(std::string_view target) {
  target = target.substr(0, target.find('?'));
  return target.substr(0, target.find('#'));
}

// A segment that the file system would read as more than one name: a folder
// separator of any platform, a drive or stream colon, or a NUL that ends the name.
bool is_unsafe_segment(std::string_view segment) {
  return segment.find_first_of(std::string_view("\\:\0", 3)) != std::string_view::npos;
}

}  // namespace

fs::path translate_path(std::string_view target, const fs::path& directory) {
  const std::string_view path = path_of(target);
  const bool trailing_slash = trim(path).ends_with('/');

  const std::string decoded = replace_invalid_utf8(percent_decode(path));
  std::vector<std::string_view> segments;
  for (std::size_t start = 0; start <= decoded.size();) {
    const std::size_t slash = std::min(decoded.find('/', start), decoded.size());
    const std::string_view segment = std::string_view(decoded).substr(start, slash - start);
    start = slash + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      continue;
    }
    segments.push_back(segment);
  }

  fs::path result = directory;
  for (const std::string_view segment : segments) {
    if (is_unsafe_segment(segment)) continue;
    result /= path_from_utf8(segment);
  }
  if (trailing_slash) result /= "";
  return result;
}

std::string_view guess_type(const fs::path& path) {
  const std::string name = utf8_of(path.filename());
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0 && dot + 1 != name.size()) {
    const std::string suffix = ascii_lower(name.substr(dot));
    for (const auto& [known, type] : MIME) {
      if (known == suffix) return type;
    }
  }
  return "application/octet-stream";
}

bool is_refused_name(const fs::path& path) {
  std::string name = ascii_lower(utf8_of(path.filename()));
  // Windows opens "name.md." and "name.md " as "name.md".
  name.erase(name.find_last_not_of(". ") + 1);
  return std::any_of(NIET_SERVEREN.begin(), NIET_SERVEREN.end(),
                     [&](std::string_view ending) { return name.ends_with(ending); });
}

}  // namespace verhulzen
