// The payload that the packaging appends to the starter's executable: the
// compressed files, an index of them and a trailer at the very end.
//
//   [executable][file data ...][index][trailer]
//
// Every byte is checked: the executable by the trailer's CRC-32 of it, the file
// data (which follows it without gaps, in index order) by each file's size and
// CRC-32, the index by its CRC-32 and the trailer by its magic and sizes.
//
// Index entry: u32 path length, the path (relative, '/' between its parts),
// u64 data offset, u64 compressed size, u64 size, u32 CRC-32 of the uncompressed
// bytes. Numbers are little-endian. Every file is unpacked for its user alone.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace starter {

inline constexpr std::array<char, 8> kMagic{'D', 'V', 'P', 'A', 'K', 'E', 'T', '2'};

struct Trailer {
  std::uint64_t index_offset = 0;  // from the start of the executable file
  std::uint64_t index_size = 0;
  std::uint32_t index_crc = 0;
  std::uint32_t entry_count = 0;
  std::uint64_t code_size = 0;  // the starter's executable, where the file data begins
  std::uint32_t code_crc = 0;
};
inline constexpr std::size_t kTrailerSize = 8 + 8 + 4 + 4 + 8 + 4 + 8;

struct Entry {
  std::string path;
  std::uint64_t offset = 0;
  std::uint64_t compressed_size = 0;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
};

// A path as the index may hold it: relative, no empty, "." or ".." parts, no
// backslash or NUL, so that unpacking cannot leave the folder.
bool safe_entry_path(std::string_view path);

std::string encode_trailer(const Trailer& trailer);
std::string encode_entry(const Entry& entry);

}  // namespace starter
