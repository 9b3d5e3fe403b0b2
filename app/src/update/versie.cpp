#include "update/versie.h"

#include <algorithm>
#include <cctype>

namespace verhulzen {

namespace {

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

Versie versie_van_tekst(std::string_view text) {
  Versie result;
  for (std::size_t i = 0; i < text.size() && result.delen.size() < 3;) {
    if (!is_digit(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    std::string_view run = text.substr(start, i - start);
    while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
    result.delen.emplace_back(run);
  }
  return result;
}

}  // namespace

std::strong_ordering operator<=>(const Versie& a, const Versie& b) {
  return std::lexicographical_compare_three_way(
      a.delen.begin(), a.delen.end(), b.delen.begin(), b.delen.end(),
      [](const std::string& x, const std::string& y) {
        if (const auto by_length = x.size() <=> y.size(); std::is_neq(by_length)) return by_length;
        return x <=> y;
      });
}

Versie versie(const Json& v) { return versie_van_tekst(is_empty(v) ? "0" : text_of(v)); }

}  // namespace verhulzen
