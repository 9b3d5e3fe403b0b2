// Unsigned numbers of up to four bytes as image files store them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace verhulzen::platform {

// The `size` bytes at `at`, which the caller has checked lie within `bytes`.
inline std::uint32_t big_endian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

inline std::uint32_t little_endian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace verhulzen::platform
