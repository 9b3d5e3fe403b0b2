// One accepted connection, read and written with blocking calls that wait at most
// until a deadline, so that a stalled peer holds only its own thread, only for a
// while, and no descriptor beyond its socket.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files.h"

namespace verhulzen {

inline constexpr std::chrono::seconds IDLE_TIMEOUT{30};
// How long the whole request head may take: a peer that keeps sending a little
// every while must not hold its thread for ever.
inline constexpr std::chrono::seconds HEAD_TIMEOUT{30};
// How long a whole body may take; 60 MiB on the loopback take well under a second.
inline constexpr std::chrono::seconds BODY_TIMEOUT{60};
// How long a closing connection with unread input waits for the peer to finish sending.
inline constexpr std::chrono::seconds LINGER_TIMEOUT{2};

struct ConnectionTimeout : std::runtime_error {
  ConnectionTimeout() : std::runtime_error("connection timed out") {}
};

struct ConnectionTimeouts {
  std::chrono::milliseconds idle = IDLE_TIMEOUT;
  std::chrono::milliseconds head = HEAD_TIMEOUT;
  std::chrono::milliseconds body = BODY_TIMEOUT;
  std::chrono::milliseconds linger = LINGER_TIMEOUT;
};

// A non-blocking socket that can take or give nothing now.
inline bool would_block(const std::error_code& error) {
  return error == asio::error::would_block || error == asio::error::try_again;
}

class Connection {
 public:
  // `received`: what was read from the socket before, while waiting for the head;
  // `peer_closed`: whether the peer has closed its sending side meanwhile.
  explicit Connection(asio::ip::tcp::socket socket, const ConnectionTimeouts& timeouts = {},
                      std::string received = {}, bool peer_closed = false);

  // The next line of the request head with its line end; at most `limit` bytes, so a
  // longer line comes back cut to `limit` bytes without its end. Whatever is left
  // when the peer has closed its side; empty when nothing is.
  std::string read_line(std::size_t limit);
  // The next `count` bytes, all within the body's deadline; fewer only when the
  // peer closes first.
  std::string read(std::size_t count);
  // Collects small writes, so that a head and a small answer leave in one segment.
  void write(std::string_view bytes);
  // Sends `count` bytes of the file after what was written; fewer when it has shrunk.
  void send_file(platform::ReadOnlyFile& file, std::uint64_t count);
  // The request has been read to its end: nothing more is expected from the peer.
  void mark_request_read() { request_read_ = true; }
  // Sends what is left of the answer and closes. With input left unread it first waits
  // briefly for the peer to finish: closing a socket with unread input resets the
  // connection, and the peer could lose the answer.
  void close();

 private:
  using Clock = std::chrono::steady_clock;

  // Reads more bytes from the peer; false once it has closed its side.
  bool fill(Clock::time_point deadline);
  void wait_until_ready(bool to_read, Clock::time_point deadline);
  void send(std::string_view bytes);
  void flush();

  asio::ip::tcp::socket socket_;
  ConnectionTimeouts timeouts_;
  Clock::time_point head_deadline_;
  std::string buffer_;
  std::size_t consumed_ = 0;
  bool peer_closed_ = false;
  bool request_read_ = false;
  std::string output_;
};

}  // namespace verhulzen
