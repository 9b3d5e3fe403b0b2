#include "http/request_origin.h"

#include <optional>
#include <string>

namespace verhulzen {

bool names_other_origin(const Request& request) {
  const std::optional<std::string> herkomst = request.header("Origin");
  const std::string eigen = "http://" + request.header("Host").value_or("");
  return herkomst && !herkomst->empty() && *herkomst != eigen;
}

bool from_other_site(const Request& request) {
  const std::optional<std::string> site = request.header("Sec-Fetch-Site");
  return names_other_origin(request) || site == "cross-site" || site == "same-site";
}

}  // namespace verhulzen
