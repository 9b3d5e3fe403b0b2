// The update check: asks the maker's feed for version information and messages and
// keeps the outcome in the status file.
#pragma once

#include <chrono>

#include "shell/config.h"
#include "update/feed_request.h"

namespace verhulzen {

// True when the feed answered with a valid document or no request was due; false
// when the request failed. Without `forceer` it asks at most once a day. `wait` is
// the request's time-out; tests shorten it.
bool controleer_online(const Config& config, bool forceer = false,
                       std::chrono::milliseconds wait = FEED_WAIT);

}  // namespace verhulzen
