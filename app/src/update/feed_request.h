// The one request of the update check: a GET of the feed over HTTP(S).
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>

namespace verhulzen {

inline constexpr std::size_t FEED_LIMIT = 65536;
// The time-out on connecting and on each wait for data.
inline constexpr std::chrono::milliseconds FEED_WAIT{5000};
// The whole request, beside the 5 seconds of each wait: a feed that trickles its
// answer must not hold the start or the page's check.
inline constexpr std::chrono::seconds FEED_DEADLINE{15};

struct FeedAnswer {
  long status = 0;                  // of the final answer, after redirects
  std::string body;                 // at most FEED_LIMIT bytes; the rest is not read
  std::optional<std::string> date;  // the final answer's first Date header
};

// The answer, or the text of what went wrong (connection, TLS, time-out, a redirect
// to anything but https).
std::variant<FeedAnswer, std::string> vraag_feed(
    const std::string& url, std::chrono::milliseconds wait = FEED_WAIT,
    std::chrono::milliseconds deadline = FEED_DEADLINE);

}  // namespace verhulzen
