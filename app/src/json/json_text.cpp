#include "json/json_text.h"

#include "json/exact_json.h"
#include "text/utf8.h"

namespace verhulzen {

namespace {

// How `write` lays a value out: its separators, and how it writes a scalar.
struct Layout {
  std::string_view comma;
  std::string_view colon;
  void (*scalar)(std::string& out, const Json& value);
};

void write_document_scalar(std::string& out, const Json& value) {
  if (write_exact_scalar(out, value)) return;  // what a feed kept exactly holds
  // nlohmann writes scalars as required: lower-case \u escapes of everything outside
  // printable ASCII, surrogate pairs above U+FFFF, the short escapes of \" \\ \b \f \n \r \t.
  out += value.dump(-1, ' ', true, Json::error_handler_t::replace);
}

void write_text_scalar(std::string& out, const Json& value) {
  if (const auto number = kept_number_text(value)) {
    out += *number;
    return;
  }
  out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The document as it is stored and sent.
constexpr Layout kDocument{", ", ": ", write_document_scalar};
// A value shown as text: compact, its characters as they are, each number as its text.
constexpr Layout kText{",", ":", write_text_scalar};

void write(std::string& out, const Json& value, const Layout& layout) {
  if (value.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [name, member] : value.items()) {
      if (!first) out += layout.comma;
      first = false;
      layout.scalar(out, Json(name));
      out += layout.colon;
      write(out, member, layout);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    bool first = true;
    for (const auto& element : value) {
      if (!first) out += layout.comma;
      first = false;
      write(out, element, layout);
    }
    out += ']';
  } else {
    layout.scalar(out, value);
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
  const auto number = number_value(v);
  return v.is_null() || (v.is_boolean() && !v.get<bool>()) || (number && *number == 0) ||
         (v.is_string() && v.get_ref<const std::string&>().empty()) ||
         (v.is_array() && v.empty()) || (v.is_object() && v.empty());
}

std::string text_of(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  std::string out;
  write(out, value, kText);
  return out;
}

std::string write_json(const Json& value) {
  std::string out;
  write(out, value, kDocument);
  return out;
}

}  // namespace verhulzen
