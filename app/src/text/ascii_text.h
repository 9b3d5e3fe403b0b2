// Case and blanks of ASCII text, as protocol names, suffixes and numbers use them.
#pragma once

#include <string>
#include <string_view>

namespace verhulzen {

// Space, tab, line ends, vertical tab or form feed.
bool is_blank(char c);

// Without the blanks at either end.
std::string_view trim(std::string_view text);

// One or more of the digits 0 to 9 and nothing else.
bool all_digits(std::string_view text);

std::string ascii_lower(std::string_view text);

bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace verhulzen
