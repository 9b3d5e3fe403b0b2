#include "platform/sockets.h"

#include <poll.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace verhulzen::platform {

bool wait_for_socket(std::intptr_t socket, SocketReady ready, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  const short events = ready == SocketReady::to_read ? POLLIN : POLLOUT;
  pollfd entry{static_cast<int>(socket), events, 0};
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const int n = ::poll(&entry, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
    if (n > 0) return true;  // ready, or an error or hang-up that the next call reports
    if (n == 0) return false;
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
  }
}

void raise_descriptor_limit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace verhulzen::platform
