#include "routes/launcher_routes.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "json/json_text.h"
#include "ocr/ocr_service.h"
#include "platform/files.h"
#include "platform/process.h"
#include "status/huidige_status.h"
#include "text/utf8.h"
#include "update/update_check.h"
#include "update/veilige_link.h"

namespace verhulzen {

namespace {

constexpr std::size_t kFoutLength = 300;

bool is_scheme_character(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

std::string form_decode(std::string_view text) {
  std::string spaced(text);
  for (char& c : spaced) {
    if (c == '+') c = ' ';
  }
  return replace_invalid_utf8(percent_decode(spaced));
}

std::string first_value(std::string_view target, const std::string& name) {
  const auto query = parse_query(target);
  const auto found = query.find(name);
  return found == query.end() ? std::string() : found->second.front();
}

RouteAnswer status_js(const Config& config) {
  return {200, status_script(huidige_status(config)), "text/javascript; charset=utf-8"};
}

RouteAnswer kantoorlijst(const Config& config) {
  return {200, platform::read_file(config.KANTOORLIJST).value_or("")};
}

RouteAnswer controleer(const Config& config) {
  controleer_online(config, true);
  return {302, "", "text/plain; charset=utf-8", "/"};
}

RouteAnswer extern_link(std::string_view target, const Config& config) {
  const std::string u = first_value(target, "u");
  const std::optional<std::string> link =
      config.STORE && u == STORE_URL ? std::optional<std::string>(u) : veilige_link(u);
  if (link) platform::open_default_browser(*link);
  return {204, ""};
}

RouteAnswer verberg(std::string_view target, const Config& config) {
  const std::string tekst = first_value(target, "b");
  if (!tekst.empty()) verberg_bericht(config, tekst);
  return {204, ""};
}

RouteAnswer store_kantoorlijst(std::string_view data, const Config& config) {
  if (!is_valid_utf8(data)) return {400, ""};
  try {
    platform::create_private_folder(config.DATA_DIR);
  } catch (const std::exception&) {
    return {400, ""};
  }
  if (!platform::replace_file(config.KANTOORLIJST, data)) return {400, ""};
  return {204, ""};
}

RouteAnswer ocr(std::string_view data) {
  constexpr std::string_view soort = "application/json; charset=utf-8";
  try {
    return {200, write_json(ocr_service::herken(data)), soort};
  } catch (const std::exception& failure) {
    const Json fout{{"fout", first_code_points(replace_invalid_utf8(failure.what()), kFoutLength)}};
    return {500, write_json(fout), soort};
  }
}

struct GetRoute {
  std::string_view path;
  RouteAnswer (*answer)(std::string_view target, const Config& config);
};

// The GET and HEAD routes, compared with the request's path in this order.
constexpr std::array<GetRoute, 5> kGetRoutes{{
    {"/status.js", [](std::string_view, const Config& c) { return status_js(c); }},
    {"/kantoorlijst", [](std::string_view, const Config& c) { return kantoorlijst(c); }},
    {"/controleer", [](std::string_view, const Config& c) { return controleer(c); }},
    {"/extern", extern_link},
    {"/verberg", verberg},
}};

const GetRoute* get_route(std::string_view target) {
  const std::string_view path = route_path(target);
  const auto found = std::find_if(kGetRoutes.begin(), kGetRoutes.end(),
                                  [path](const GetRoute& route) { return route.path == path; });
  return found == kGetRoutes.end() ? nullptr : &*found;
}

}  // namespace

std::string_view route_path(std::string_view target) {
  target = target.substr(0, target.find('#'));
  target = target.substr(0, target.find('?'));
  const std::size_t colon = target.find(':');
  if (colon != std::string_view::npos && colon > 0 &&
      std::isalpha(static_cast<unsigned char>(target.front()))) {
    const std::string_view scheme = target.substr(0, colon);
    if (std::all_of(scheme.begin(), scheme.end(), is_scheme_character)) {
      target.remove_prefix(colon + 1);
    }
  }
  if (target.starts_with("//")) {
    const std::size_t path = target.find('/', 2);
    target = path == std::string_view::npos ? std::string_view() : target.substr(path);
  }
  return target;
}

std::map<std::string, std::vector<std::string>> parse_query(std::string_view target) {
  target = target.substr(0, target.find('#'));
  const std::size_t question = target.find('?');
  std::map<std::string, std::vector<std::string>> values;
  if (question == std::string_view::npos) return values;
  const std::string_view query = target.substr(question + 1);
  for (std::size_t start = 0; start <= query.size();) {
    const std::size_t end = std::min(query.find('&', start), query.size());
    const std::string_view piece = query.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) continue;
    std::string value = form_decode(piece.substr(equals + 1));
    if (!value.empty()) values[form_decode(piece.substr(0, equals))].push_back(std::move(value));
  }
  return values;
}

std::optional<RouteAnswer> launcher_route(std::string_view target, const Config& config) {
  const GetRoute* route = get_route(target);
  if (!route) return std::nullopt;
  return route->answer(target, config);
}

bool is_launcher_route(std::string_view target) { return get_route(target) != nullptr; }

RouteAnswer post_answer(std::string_view target, std::string_view data, const Config& config) {
  return target == "/ocr" ? ocr(data) : store_kantoorlijst(data, config);
}

}  // namespace verhulzen
