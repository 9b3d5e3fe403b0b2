// Waiting on a connected socket with a time-out, and the number of descriptors the
// process may hold: what the web server asks of the operating system beyond Asio.
#pragma once

#include <chrono>
#include <cstdint>

namespace verhulzen::platform {

enum class SocketReady { to_read, to_write };

// Waits until the socket can be read (or has been closed by the peer) or written,
// at most `timeout`; false when the time-out passed first.
bool wait_for_socket(std::intptr_t socket, SocketReady ready, std::chrono::milliseconds timeout);

// Raises the soft limit of open descriptors to the hard limit, so that many slow
// clients at once do not leave the server without descriptors. Never fails.
void raise_descriptor_limit();

}  // namespace verhulzen::platform
