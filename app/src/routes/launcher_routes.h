// What the page may ask of the desktop side: the GET and HEAD launcher routes and
// the two POST targets, as answers that the handler sends.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/config.h"

namespace verhulzen {

struct RouteAnswer {
  int code;
  std::string body;
  std::string_view soort = "text/plain; charset=utf-8";
  std::string locatie = {};
};

// The path of a request target: before its query and fragment, after a scheme and
// authority when it has them.
std::string_view route_path(std::string_view target);

// The query as form data: each name with its non-empty values in order.
std::map<std::string, std::vector<std::string>> parse_query(std::string_view target);

// The answer of a GET or HEAD launcher route, or nullopt when the path is none.
std::optional<RouteAnswer> launcher_route(std::string_view target, const Config& config);

// Whether the path of the target is one of the GET and HEAD launcher routes.
bool is_launcher_route(std::string_view target);

inline constexpr std::int64_t MAX_OCR_BODY = 62914560;
inline constexpr std::int64_t MAX_KANTOORLIJST_BODY = 1048576;

// The answer to a POST whose body has been read whole.
RouteAnswer post_answer(std::string_view target, std::string_view data, const Config& config);

}  // namespace verhulzen
