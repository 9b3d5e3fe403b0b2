// read_file and read_own_file on every platform, through the platform's ReadOnlyFile.
#include <system_error>

#include "platform/files.h"

namespace verhulzen::platform {

namespace {

std::optional<std::string> read_to_end(std::optional<ReadOnlyFile> file) {
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

}  // namespace

std::optional<std::string> read_file(const std::filesystem::path& path) {
  return read_to_end(ReadOnlyFile::open(path));
}

std::optional<std::string> read_own_file(const std::filesystem::path& path) {
  return read_to_end(open_own_file(path));
}

}  // namespace verhulzen::platform
