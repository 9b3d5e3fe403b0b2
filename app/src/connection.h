// One accepted connection, read and written with a time-out on every wait, so that a
// stalled peer holds only its own thread and only for a while.
#pragma once

#include <array>
#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace verhulzen {

inline constexpr std::chrono::seconds IDLE_TIMEOUT{30};
// How long a closing connection waits for the peer to finish sending.
inline constexpr std::chrono::seconds LINGER_TIMEOUT{2};

struct ConnectionTimeout : std::runtime_error {
  ConnectionTimeout() : std::runtime_error("connection timed out") {}
};

class Connection {
 public:
  Connection(std::unique_ptr<asio::io_context> context, asio::ip::tcp::socket socket);

  // The next line with its line end; at most `limit` bytes, so a longer line comes
  // back cut to `limit` bytes without its end. Empty when the peer has closed.
  std::string read_line(std::size_t limit);
  // The next `count` bytes; fewer only when the peer closes first.
  std::string read(std::size_t count);
  void write(std::string_view bytes);
  // Ends the answer and waits briefly for the peer to close its side: closing a socket
  // with unread input resets the connection, and the peer could lose the answer.
  void close();

 private:
  using Chunk = std::array<char, 16384>;

  // Waits for more bytes from the peer; false when it has closed.
  bool fill();
  // The next bytes from the peer into `chunk`; 0 when it has closed.
  std::size_t receive(Chunk& chunk, std::chrono::steady_clock::duration timeout = IDLE_TIMEOUT);
  template <typename Start>
  std::size_t wait_for(Start start, std::chrono::steady_clock::duration timeout = IDLE_TIMEOUT);

  std::unique_ptr<asio::io_context> context_;
  asio::ip::tcp::socket socket_;
  std::string buffer_;
  std::size_t consumed_ = 0;
};

}  // namespace verhulzen
