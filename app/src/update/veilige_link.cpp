#include "update/veilige_link.h"

#include <algorithm>
#include <string_view>

#include "shell/config.h"

namespace verhulzen {

namespace {

bool is_label_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// Zero or more labels of [a-z0-9-], each followed by a dot, then the maker's domain.
bool is_maker_host(std::string_view host) {
  if (host == MAKER_DOMAIN) return true;
  const std::string suffix = "." + std::string(MAKER_DOMAIN);
  if (!host.ends_with(suffix)) return false;
  const std::string_view labels = host.substr(0, host.size() - suffix.size() + 1);
  std::size_t length = 0;
  for (const char c : labels) {
    if (c == '.') {
      if (length == 0) return false;
      length = 0;
    } else if (is_label_character(c)) {
      ++length;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> veilige_link(const Json& url) {
  if (!url.is_string()) return std::nullopt;
  const auto& link = url.get_ref<const std::string&>();
  constexpr std::string_view scheme = "https://";
  if (!link.starts_with(scheme)) return std::nullopt;
  // A link is handed to the system's opener as one argument: no blank, line break or
  // other control character may ride along in its path.
  if (std::any_of(link.begin(), link.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; })) {
    return std::nullopt;
  }
  const std::string_view rest = std::string_view(link).substr(scheme.size());
  if (!is_maker_host(rest.substr(0, rest.find('/')))) return std::nullopt;
  return link;
}

}  // namespace verhulzen
