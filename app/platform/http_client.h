// The desktop side's HTTP client: the update check's feed request and the
// requests to our own server on the loopback address.
#pragma once

#include <chrono>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace verhulzen::platform {

struct HttpRequest {
  std::string url;
  std::optional<std::string> body;  // set: a POST of these bytes
  // Extra header lines, "Name: value"; "Name:" drops a header the client would send.
  std::vector<std::string> headers;
  std::string user_agent;  // empty: none
  std::chrono::milliseconds connect_timeout{5000};
  // The longest wait for data once connected.
  std::chrono::milliseconds idle_timeout{5000};
  // The whole exchange, so that a peer that trickles its answer cannot hold it for
  // ever; none when unset.
  std::optional<std::chrono::milliseconds> total_timeout;
  // At most this much of the body is read; the rest is never received.
  std::size_t body_limit = std::numeric_limits<std::size_t>::max();
  // A request to this machine's own server: plain HTTP also after redirects, no
  // proxy, and the path sent exactly as written. Otherwise HTTP or HTTPS with the
  // system's certificates and proxy.
  bool local = false;
};

struct HttpResponse {
  long status = 0;  // of the final answer, after redirects
  std::string reason;
  std::vector<std::pair<std::string, std::string>> headers;  // of the final answer, in order
  std::string body;

  // The first header of that name, in any case.
  std::optional<std::string> header(std::string_view name) const;
};

// The answer, or the text of what went wrong (connection, TLS, time-out).
std::variant<HttpResponse, std::string> http_request(const HttpRequest& request);

}  // namespace verhulzen::platform
