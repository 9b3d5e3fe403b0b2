#include "platform/sockets.h"

#include <winsock2.h>

#include <algorithm>
#include <system_error>

namespace verhulzen::platform {

bool wait_for_socket(std::intptr_t socket, SocketReady ready, std::chrono::milliseconds timeout) {
  WSAPOLLFD entry{};
  entry.fd = static_cast<SOCKET>(socket);
  entry.events = ready == SocketReady::to_read ? POLLRDNORM : POLLWRNORM;
  const int n = WSAPoll(&entry, 1, static_cast<INT>(std::max<std::int64_t>(timeout.count(), 0)));
  if (n < 0) throw std::system_error(WSAGetLastError(), std::system_category(), "WSAPoll");
  return n > 0;  // ready, or an error or hang-up that the next call reports
}

// Windows sets no small limit on the sockets a process may hold.
void raise_descriptor_limit() {}

}  // namespace verhulzen::platform
