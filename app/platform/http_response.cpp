#include "platform/http_client.h"
#include "text/ascii_text.h"

namespace verhulzen::platform {

std::optional<std::string> HttpResponse::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equal_ignoring_case(key, name)) return value;
  }
  return std::nullopt;
}

}  // namespace verhulzen::platform
