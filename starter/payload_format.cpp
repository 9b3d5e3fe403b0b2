#include "payload_format.h"

namespace starter {
namespace {

template <typename T>
void put(std::string& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

bool safe_entry_path(std::string_view path) {
  if (path.empty() || path.size() > 4096 || path.front() == '/') return false;
  if (path.find('\\') != std::string_view::npos || path.find('\0') != std::string_view::npos)
    return false;
  while (!path.empty()) {
    const auto slash = path.find('/');
    const auto part = path.substr(0, slash);
    if (part.empty() || part == "." || part == "..") return false;
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    if (slash != std::string_view::npos && path.empty()) return false;
  }
  return true;
}

std::string encode_trailer(const Trailer& trailer) {
  std::string out;
  put(out, trailer.index_offset);
  put(out, trailer.index_size);
  put(out, trailer.index_crc);
  put(out, trailer.entry_count);
  put(out, trailer.code_size);
  put(out, trailer.code_crc);
  out.append(kMagic.data(), kMagic.size());
  return out;
}

std::string encode_entry(const Entry& entry) {
  std::string out;
  put(out, static_cast<std::uint32_t>(entry.path.size()));
  out += entry.path;
  put(out, entry.offset);
  put(out, entry.compressed_size);
  put(out, entry.size);
  put(out, entry.crc);
  return out;
}

}  // namespace starter
