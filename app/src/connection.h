// One accepted connection, read and written with a time-out on every wait, so that a
// stalled peer holds only its own thread and only for a while.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace verhulzen {

inline constexpr std::chrono::seconds IDLE_TIMEOUT{30};

struct ConnectionTimeout : std::runtime_error {
  ConnectionTimeout() : std::runtime_error("connection timed out") {}
};

class Connection {
 public:
  Connection(std::unique_ptr<asio::io_context> context, asio::ip::tcp::socket socket);

  // The next line with its line end; at most `limit` bytes, so a longer line comes
  // back cut to `limit` bytes without its end. Empty when the peer has closed.
  std::string read_line(std::size_t limit);
  // Exactly `count` bytes, or fewer when the peer closes first.
  std::string read_bytes(std::size_t count);
  void write(std::string_view bytes);
  void close();

 private:
  // Waits for more bytes from the peer; false when it has closed.
  bool fill();
  template <typename Start>
  std::size_t wait_for(Start start);

  std::unique_ptr<asio::io_context> context_;
  asio::ip::tcp::socket socket_;
  std::string buffer_;
  std::size_t consumed_ = 0;
};

}  // namespace verhulzen
