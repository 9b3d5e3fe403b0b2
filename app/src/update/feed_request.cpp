#include "update/feed_request.h"

#include "platform/http_client.h"
#include "shell/config.h"

namespace verhulzen {

std::variant<FeedAnswer, std::string> vraag_feed(const std::string& url,
                                                 std::chrono::milliseconds wait,
                                                 std::chrono::milliseconds deadline) {
  platform::HttpRequest request;
  request.url = url;
  // The request's own headers are exactly User-Agent and Cache-Control; the
  // client's Accept is removed, and the body is asked for uncompressed.
  request.headers = {"Cache-Control: no-cache", "Accept:", "Accept-Encoding: identity"};
  request.user_agent = "DrovelVerhulzen/" + std::string(APP_VERSION);
  request.body_limit = FEED_LIMIT;
  request.connect_timeout = wait;
  request.idle_timeout = wait;
  request.total_timeout = deadline;

  auto result = platform::http_request(request);
  if (auto* error = std::get_if<std::string>(&result)) return std::move(*error);
  auto& answer = std::get<platform::HttpResponse>(result);
  return FeedAnswer{answer.status, std::move(answer.body), answer.header("date")};
}

}  // namespace verhulzen
