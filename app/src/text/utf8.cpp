#include "text/utf8.h"

#include <cstddef>
#include <optional>

namespace verhulzen {

namespace {

// The bytes from `i` that form a sequence or the valid beginning of one (at least
// one byte), and whether they form a whole sequence.
struct Sequence {
  std::size_t length;
  bool whole;
};

Sequence sequence_at(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {1, true};
  std::size_t length = 0;
  unsigned char low = 0x80;   // bounds of the second byte, which exclude overlong forms,
  unsigned char high = 0xBF;  // surrogates and code points above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {1, false};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k == s.size() || byte(i + k) < low || byte(i + k) > high) return {k, false};
    low = 0x80;
    high = 0xBF;
  }
  return {length, true};
}

// Length of the valid sequence starting at `i`, or 0 when none starts there.
std::size_t valid_sequence_length(std::string_view s, std::size_t i) {
  const Sequence sequence = sequence_at(s, i);
  return sequence.whole ? sequence.length : 0;
}

std::optional<int> hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = valid_sequence_length(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string replace_invalid_utf8(std::string_view bytes) {
  std::string result;
  result.reserve(bytes.size());
  // A cut-off beginning of a sequence is one replacement character, as decoders
  // of the Unicode standard's practice write it.
  for (std::size_t i = 0; i < bytes.size();) {
    const Sequence sequence = sequence_at(bytes, i);
    if (sequence.whole) {
      result.append(bytes.substr(i, sequence.length));
    } else {
      result.append("\xEF\xBF\xBD");
    }
    i += sequence.length;
  }
  return result;
}

std::string first_code_points(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size() && seen < count; ++seen) {
    const std::size_t length = valid_sequence_length(text, end);
    end += length == 0 ? 1 : length;
  }
  return std::string(text.substr(0, end));
}

std::string percent_decode(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const auto high = hex_value(text[i + 1]);
      const auto low = hex_value(text[i + 2]);
      if (high && low) {
        result.push_back(static_cast<char>(*high * 16 + *low));
        i += 2;
        continue;
      }
    }
    result.push_back(text[i]);
  }
  return result;
}

std::filesystem::path path_from_utf8(std::string_view text) {
  return {std::u8string(text.begin(), text.end())};
}

std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace verhulzen
