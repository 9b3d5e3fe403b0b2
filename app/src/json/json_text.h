// JSON as the desktop side reads and writes it.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace verhulzen {

using Json = nlohmann::ordered_json;

// The one writer of the desktop side: members in the order they were added, ", " and
// ": " as separators, pure ASCII with \u escapes, on one line.
std::string write_json(const Json& value);

// Empty: null, false, the number 0 in any notation, an empty string, list or object.
bool is_empty(const Json& value);

// A string as it is; any other value as compact JSON with its characters as they
// are and each number as its own text, also one kept as written (kept_number_text).
std::string text_of(const Json& value);

// Parses a whole document of strict UTF-8 without byte-order mark; nullopt when it is
// not JSON, or nested so deeply that working on it could exhaust a thread's stack.
std::optional<Json> read_json(std::string_view text);

}  // namespace verhulzen
