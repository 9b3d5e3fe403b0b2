// The checks of a POST before any of its body is read: from the page itself, to
// one of the two POST targets, with a length within that target's limit.
#pragma once

#include <cstdint>
#include <variant>

#include "http/http_request.h"

namespace verhulzen {

// A POST that may go on: the body of this many bytes is to be read.
struct ReadBody {
  std::uint64_t length;
};
// A POST refused before its body is read; code 0 means no answer at all.
struct Refuse {
  int code;
};

// Checks the request line and headers of a POST.
std::variant<ReadBody, Refuse> check_post(const Request& request, bool host_allowed);

}  // namespace verhulzen
