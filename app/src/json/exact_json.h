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

// The text of a number kept as text, as its own shortest text: as write_json writes
// the double or 64-bit integer that holds it (1.30 is "1.3", 1E0 "1.0", 1e2 "100.0",
// -0 "0"); an integer beyond 64 bits or a number beyond a double's range (1e999) as
// it was written, its only exact text. nullopt for every other value.
std::optional<std::string> kept_number_text(const Json& value);

// The value of any number, a number kept as text too, as a double; infinite beyond
// a double's range. nullopt for a value that is no number.
std::optional<double> number_value(const Json& value);

}  // namespace verhulzen
