#include "json/json_text.h"

#include "json/exact_json.h"
#include "text/utf8.h"

namespace verhulzen {

namespace {

void write_scalar(std::string& out, const Json& value) {
  if (write_exact_scalar(out, value)) return;  // what a feed kept exactly holds
  // nlohmann writes scalars as required: lower-case \u escapes of everything outside
  // printable ASCII, surrogate pairs above U+FFFF, the short escapes of \" \\ \b \f \n \r \t.
  out += value.dump(-1, ' ', true, Json::error_handler_t::replace);
}

void write(std::string& out, const Json& value) {
  if (value.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [name, member] : value.items()) {
      if (!first) out += ", ";
      first = false;
      write_scalar(out, Json(name));
      out += ": ";
      write(out, member);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    bool first = true;
    for (const auto& element : value) {
      if (!first) out += ", ";
      first = false;
      write(out, element);
    }
    out += ']';
  } else {
    write_scalar(out, value);
  }
}

// Deeper than any document of ours; keeps recursive walks over a document safe.
constexpr int kMaxNesting = 256;

bool nesting_within_limit(std::string_view text) {
  int depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

std::optional<Json> read_json(std::string_view text) {
  // The parser would skip a byte-order mark; a document with one is refused instead.
  if (text.starts_with("\xEF\xBB\xBF") || !is_valid_utf8(text) || !nesting_within_limit(text)) {
    return std::nullopt;
  }
  Json value = Json::parse(text, nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

bool is_empty(const Json& v) {
  return v.is_null() || (v.is_boolean() && !v.get<bool>()) ||
         (v.is_number() && v.get<double>() == 0) ||
         (v.is_string() && v.get_ref<const std::string&>().empty()) ||
         (v.is_array() && v.empty()) || (v.is_object() && v.empty());
}

std::string text_of(const Json& value) {
  return value.is_string() ? value.get<std::string>()
                           : value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string write_json(const Json& value) {
  std::string out;
  write(out, value);
  return out;
}

}  // namespace verhulzen
