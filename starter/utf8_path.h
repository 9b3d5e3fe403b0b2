// Paths as UTF-8 text, the way the environment and the library carry them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace starter {

inline std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

inline std::filesystem::path path_from_utf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace starter
