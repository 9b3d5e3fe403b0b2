#include "platform/posix/exif_orientation.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/posix/byte_order.h"

namespace verhulzen::platform::ocr {

namespace {

using namespace std::string_view_literals;

constexpr std::uint16_t kOrientationTag = 0x0112;

// Reads the orientation from TIFF-structured data: the byte-order mark, the offset of
// the first directory and its twelve-byte entries.
int tiff_orientation(std::string_view tiff) {
  if (tiff.size() < 8) return 1;
  const bool little = tiff.starts_with("II*\0"sv);
  if (!little && !tiff.starts_with("MM\0*"sv)) return 1;
  const auto read = [&](std::size_t at, std::size_t bytes) -> std::optional<std::uint32_t> {
    if (at > tiff.size() || bytes > tiff.size() - at) return std::nullopt;
    return little ? little_endian(tiff, at, bytes) : big_endian(tiff, at, bytes);
  };
  const auto directory = read(4, 4);
  const auto count = directory ? read(*directory, 2) : std::nullopt;
  if (!count) return 1;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t entry = *directory + 2 + 12 * std::size_t{i};
    const auto tag = read(entry, 2);
    if (!tag) return 1;
    if (*tag != kOrientationTag) continue;
    const auto value = read(entry + 8, 2);
    return value && *value >= 1 && *value <= 8 ? static_cast<int>(*value) : 1;
  }
  return 1;
}

int jpeg_orientation(std::string_view file) {
  for (std::size_t at = 2; at + 4 <= file.size();) {
    if (static_cast<unsigned char>(file[at]) != 0xFF) return 1;
    const auto marker = static_cast<unsigned char>(file[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;  // image data begins: no EXIF before it
    const std::size_t length = big_endian(file, at + 2, 2);
    if (length < 2) return 1;
    const std::string_view segment = file.substr(at + 4, length - 2);
    if (marker == 0xE1 && segment.starts_with("Exif\0\0"sv))
      return tiff_orientation(segment.substr(6));
    at += 2 + length;
  }
  return 1;
}

int png_orientation(std::string_view file) {
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = big_endian(file, at, 4);
    const std::string_view type = file.substr(at + 4, 4);
    if (length > file.size() - at - 12) return 1;
    if (type == "eXIf") return tiff_orientation(file.substr(at + 8, length));
    if (type == "IEND") return 1;
    at += 12 + length;
  }
  return 1;
}

}  // namespace

int exif_orientation(std::string_view file) {
  using namespace std::string_view_literals;
  if (file.starts_with("\xFF\xD8"sv)) return jpeg_orientation(file);
  if (file.starts_with("\x89PNG\r\n\x1A\n"sv)) return png_orientation(file);
  return tiff_orientation(file);
}

}  // namespace verhulzen::platform::ocr
