// The test of links that may be opened: links on the maker's own site only.
#pragma once

#include <optional>
#include <string>

#include "json/json_text.h"

namespace verhulzen {

// The link itself when it is an https link on the maker's domain or a subdomain,
// written in lower case and free of blanks and control characters, else nullopt.
std::optional<std::string> veilige_link(const Json& url);

}  // namespace verhulzen
