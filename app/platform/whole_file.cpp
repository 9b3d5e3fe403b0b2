// read_file on every platform, through the platform's ReadOnlyFile.
#include <system_error>

#include "platform/files.h"

namespace verhulzen::platform {

std::optional<std::string> read_file(const std::filesystem::path& path) {
  auto file = ReadOnlyFile::open(path);
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  try {
    while (const std::size_t n = file->read(buffer, sizeof buffer)) content.append(buffer, n);
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  return content;
}

}  // namespace verhulzen::platform
