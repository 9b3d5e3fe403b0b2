#include "json/exact_json.h"

#include <cstdint>
#include <limits>

#include "text/utf8.h"

namespace verhulzen {

namespace {

// Deeper than any document of ours, as read_json allows.
constexpr int kMaxNesting = 256;

// The code point encoded at `text[i]`, surrogates included, and its length; the
// text is UTF-8 apart from surrogates in three bytes.
std::pair<std::uint32_t, std::size_t> code_point_at(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[k]));
  };
  const std::uint32_t lead = byte(i);
  if (lead < 0x80) return {lead, 1};
  if (lead < 0xE0) return {((lead & 0x1F) << 6) | (byte(i + 1) & 0x3F), 2};
  if (lead < 0xF0)
    return {((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F), 3};
  return {((lead & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6) |
              (byte(i + 3) & 0x3F),
          4};
}

void append_code_point(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool is_high_surrogate(std::uint32_t cp) { return cp >= 0xD800 && cp <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t cp) { return cp >= 0xDC00 && cp <= 0xDFFF; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// UTF-8 that holds at least one surrogate in its three-byte form, as a lone
// surrogate escape reads.
bool is_utf8_with_surrogates(std::string_view text) {
  std::string rest;
  bool surrogates = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\xED' && i + 2 < text.size() && (text[i + 1] & 0xE0) == 0xA0 &&
        (text[i + 2] & 0xC0) == 0x80) {
      surrogates = true;
      rest += '?';
      i += 2;
    } else {
      rest += text[i];
    }
  }
  return surrogates && is_valid_utf8(rest);
}

// The source text of a number that the reader kept as text.
std::optional<std::string_view> kept_number_source(const Json& value) {
  if (!value.is_binary() || !value.get_binary().has_subtype() ||
      value.get_binary().subtype() != NUMBER_TEXT) {
    return std::nullopt;
  }
  const auto& bytes = value.get_binary();
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<Json> document() {
    auto value = this->value(0);
    skip_blanks();
    if (!value || pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool take(char c) {
    skip_blanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool take_word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<Json> value(int depth) {
    skip_blanks();
    if (pos_ == text_.size() || depth > kMaxNesting) return std::nullopt;
    const char c = text_[pos_];
    if (c == '{') return object(depth + 1);
    if (c == '[') return array(depth + 1);
    if (c == '"') return string();
    if (take_word("true")) return Json(true);
    if (take_word("false")) return Json(false);
    if (take_word("null")) return Json(nullptr);
    return number();
  }

  std::optional<Json> object(int depth) {
    ++pos_;
    Json result = Json::object();
    if (take('}')) return result;
    do {
      skip_blanks();
      auto name = string();
      if (!name || !take(':')) return std::nullopt;
      auto member = value(depth);
      if (!member) return std::nullopt;
      result[name->get<std::string>()] = std::move(*member);
    } while (take(','));
    if (!take('}')) return std::nullopt;
    return result;
  }

  std::optional<Json> array(int depth) {
    ++pos_;
    Json result = Json::array();
    if (take(']')) return result;
    do {
      auto element = value(depth);
      if (!element) return std::nullopt;
      result.push_back(std::move(*element));
    } while (take(','));
    if (!take(']')) return std::nullopt;
    return result;
  }

  std::optional<std::uint32_t> hex4() {
    if (pos_ + 4 > text_.size()) return std::nullopt;
    std::uint32_t cp = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = text_[pos_++];
      const int digit = is_digit(h)              ? h - '0'
                        : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                        : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                 : -1;
      if (digit < 0) return std::nullopt;
      cp = cp * 16 + static_cast<std::uint32_t>(digit);
    }
    return cp;
  }

  std::optional<Json> string() {
    if (pos_ == text_.size() || text_[pos_] != '"') return std::nullopt;
    ++pos_;
    std::string out;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return Json(std::move(out));
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ == text_.size()) return std::nullopt;
      const char e = text_[pos_++];
      static constexpr std::string_view kShort = "\"\\/bfnrt";
      static constexpr std::string_view kMeant = "\"\\/\b\f\n\r\t";
      if (const std::size_t k = kShort.find(e); k != std::string_view::npos) {
        out += kMeant[k];
        continue;
      }
      if (e != 'u') return std::nullopt;
      auto cp = hex4();
      if (!cp) return std::nullopt;
      if (is_high_surrogate(*cp) && text_.substr(pos_, 2) == "\\u") {
        const std::size_t after_high = pos_;
        pos_ += 2;
        auto low = hex4();
        if (!low) return std::nullopt;
        if (is_low_surrogate(*low)) {
          *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
        } else {
          pos_ = after_high;  // the next escape stands on its own
        }
      }
      append_code_point(out, *cp);
    }
    return std::nullopt;
  }

  std::optional<Json> number() {
    const std::size_t start = pos_;
    const auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && is_digit(text_[pos_])) ++pos_;
      return pos_ > from;
    };
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '0') {
      ++pos_;
    } else if (!digits()) {
      return std::nullopt;
    }
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!digits()) return std::nullopt;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return std::nullopt;
    }
    const std::string_view source = text_.substr(start, pos_ - start);
    Json parsed = Json::parse(source, nullptr, false);
    if (!parsed.is_discarded() && write_json(parsed) == source) return parsed;
    return Json::binary(std::vector<std::uint8_t>(source.begin(), source.end()), NUMBER_TEXT);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<Json> read_exact_json(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF") || !is_valid_utf8(text)) return std::nullopt;
  return Reader(text).document();
}

bool write_exact_scalar(std::string& out, const Json& value) {
  if (const auto source = kept_number_source(value)) {
    out += *source;
    return true;
  }
  if (!value.is_string() || !is_utf8_with_surrogates(value.get_ref<const std::string&>())) {
    return false;
  }
  // What nlohmann writes for valid text, and a lone surrogate as its escape.
  const auto& text = value.get_ref<const std::string&>();
  static constexpr char kHex[] = "0123456789abcdef";
  const auto escape = [&](std::uint32_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  };
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto [cp, length] = code_point_at(text, i);
    i += length;
    static constexpr std::string_view kMeant = "\"\\\b\f\n\r\t";
    static constexpr std::string_view kShort = "\"\\bfnrt";
    if (const std::size_t k =
            cp < 0x80 ? kMeant.find(static_cast<char>(cp)) : std::string_view::npos;
        k != std::string_view::npos) {
      out += '\\';
      out += kShort[k];
    } else if (cp >= 0x20 && cp < 0x7F) {
      out += static_cast<char>(cp);
    } else if (cp >= 0x10000) {
      escape(0xD800 + ((cp - 0x10000) >> 10));
      escape(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      escape(cp);
    }
  }
  out += '"';
  return true;
}

// Both below: nlohmann reads a kept number as the double or integer that holds it,
// an integer beyond 64 bits as a double, and refuses only one beyond a double's
// range, the reader having checked the grammar.
std::optional<std::string> kept_number_text(const Json& value) {
  const auto source = kept_number_source(value);
  if (!source) return std::nullopt;
  const Json number = Json::parse(*source, nullptr, false);
  const bool integer = source->find_first_of(".eE") == std::string_view::npos;
  if (number.is_discarded() || (integer && number.is_number_float())) return std::string(*source);
  return number.dump();
}

std::optional<double> number_value(const Json& value) {
  if (value.is_number()) return value.get<double>();
  const auto source = kept_number_source(value);
  if (!source) return std::nullopt;
  const Json number = Json::parse(*source, nullptr, false);
  if (!number.is_discarded()) return number.get<double>();
  const double infinite = std::numeric_limits<double>::infinity();
  return source->starts_with('-') ? -infinite : infinite;
}

}  // namespace verhulzen
