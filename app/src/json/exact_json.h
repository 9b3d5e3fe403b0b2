// JSON read so that a document is kept exactly as received: every number keeps its
// value, also where a double cannot hold it, and a string may hold every \u escape
// the grammar allows, a lone surrogate too.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "json/json_text.h"

namespace verhulzen {

// Like read_json, but a number that write_json would not give back as it stood
// (beyond 64 bits, beyond a double's range or precision, "1E2", "-0") is kept as
// its source text, in a binary value of NUMBER_TEXT; a lone surrogate escape is
// kept in its three-byte form (as WTF-8 does).
std::optional<Json> read_exact_json(std::string_view text);

inline constexpr std::uint8_t NUMBER_TEXT = 'N';

// Writes what only read_exact_json makes: a number kept as text, and a string with
// a lone surrogate. False, writing nothing, for every other value.
bool write_exact_scalar(std::string& out, const Json& value);

}  // namespace verhulzen
