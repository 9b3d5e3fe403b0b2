// Version texts as comparable tuples.
#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_text.h"

namespace verhulzen {

// Up to three non-negative integers of any size, compared element by element; when
// one is the beginning of the other, the shorter is the smaller.
struct Versie {
  std::vector<std::string> delen;  // decimal digits without leading zeros

  friend std::strong_ordering operator<=>(const Versie& a, const Versie& b);
  friend bool operator==(const Versie& a, const Versie& b) = default;
};

// The version of any value: its first three runs of digits, taken from its text. A
// missing, empty, zero or false value counts as "0".
Versie versie(const Json& v);

}  // namespace verhulzen
