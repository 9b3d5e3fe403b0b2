// UTF-8 checks and decoding, and paths written as UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace verhulzen {

// Strict UTF-8: no overlong forms, no encoded surrogates, nothing above U+10FFFF and
// no sequence cut off at the end.
bool is_valid_utf8(std::string_view bytes);

// The same bytes with every invalid sequence replaced by U+FFFD.
std::string replace_invalid_utf8(std::string_view bytes);

// The text cut after its first `count` code points; a shorter text stays whole.
std::string first_code_points(std::string_view text, std::size_t count);

// Decodes %XX escapes to bytes; a "%" without two hexadecimal digits stays as it is.
std::string percent_decode(std::string_view text);

// Paths and their names as UTF-8, on every platform.
std::filesystem::path path_from_utf8(std::string_view text);
std::string utf8_of(const std::filesystem::path& path);

}  // namespace verhulzen
