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

namespace verhulzen {

inline constexpr std::chrono::seconds IDLE_TIMEOUT{30};
// How long the whole request head may take: a peer that keeps sending a little
// every while must not hold its thread for ever.
inline constexpr std::chrono::seconds HEAD_TIMEOUT{30};
// How long a closing connection waits for the peer to finish sending.
inline constexpr std::chrono::seconds LINGER_TIMEOUT{2};

struct ConnectionTimeout : std::runtime_error {
  ConnectionTimeout() : std::runtime_error("connection timed out") {}
};

struct ConnectionTimeouts {
  std::chrono::milliseconds idle = IDLE_TIMEOUT;
  std::chrono::milliseconds head = HEAD_TIMEOUT;
  std::chrono::milliseconds linger = LINGER_TIMEOUT;
};

class Connection {
 public:
  explicit Connection(asio::ip::tcp::socket socket, const ConnectionTimeouts& timeouts = {});

  // The next line of the request head with its line end; at most `limit` bytes, so a
  // longer line comes back cut to `limit` bytes without its end. Whatever is left
  // when the peer has closed its side; empty when nothing is.
  std::string read_line(std::size_t limit);
  // The next `count` bytes; fewer only when the peer closes first.
  std::string read(std::size_t count);
  // Collects small writes, so that a head and a small file leave in one segment.
  void write(std::string_view bytes);
  // Sends what is left of the answer, ends it and waits briefly for the peer to close its side:
  // closing a socket with unread input resets the connection, and the peer could lose the answer.
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
  std::string output_;
};

}  // namespace verhulzen
