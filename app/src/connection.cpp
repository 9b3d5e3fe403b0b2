#include "connection.h"

#include <system_error>

namespace verhulzen {

Connection::Connection(std::unique_ptr<asio::io_context> context, asio::ip::tcp::socket socket)
    : context_(std::move(context)), socket_(std::move(socket)) {}

// Runs one asynchronous operation on this connection's own context until it completes
// or the time-out passes.
template <typename Start>
std::size_t Connection::wait_for(Start start, std::chrono::steady_clock::duration timeout) {
  std::error_code result = asio::error::would_block;
  std::size_t transferred = 0;
  start([&](const std::error_code& error, std::size_t n) {
    result = error;
    transferred = n;
  });
  context_->restart();
  context_->run_for(timeout);
  if (result == asio::error::would_block) {
    std::error_code ignored;
    socket_.close(ignored);
    context_->restart();
    context_->run();
    throw ConnectionTimeout();
  }
  if (result && result != asio::error::eof) throw std::system_error(result);
  return transferred;
}

std::size_t Connection::receive(Chunk& chunk, std::chrono::steady_clock::duration timeout) {
  return wait_for(
      [&](auto handler) { socket_.async_read_some(asio::buffer(chunk), std::move(handler)); },
      timeout);
}

bool Connection::fill() {
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  Chunk chunk{};
  const std::size_t n = receive(chunk);
  buffer_.append(chunk.data(), n);
  return n > 0;
}

std::string Connection::read_line(std::size_t limit) {
  for (;;) {
    const std::string_view pending = std::string_view(buffer_).substr(consumed_);
    const std::size_t end = pending.find('\n');
    if (end != std::string_view::npos && end < limit) {
      std::string line(pending.substr(0, end + 1));
      consumed_ += end + 1;
      return line;
    }
    if (pending.size() >= limit || !fill()) {
      const std::string_view rest = std::string_view(buffer_).substr(consumed_);
      std::string line(rest.substr(0, limit));
      consumed_ += line.size();
      return line;
    }
  }
}

std::string Connection::read(std::size_t count) {
  while (buffer_.size() - consumed_ < count && fill()) {
  }
  std::string bytes = buffer_.substr(consumed_, count);
  consumed_ += bytes.size();
  return bytes;
}

void Connection::write(std::string_view bytes) {
  wait_for(
      [&](auto handler) { asio::async_write(socket_, asio::buffer(bytes), std::move(handler)); });
}

void Connection::close() {
  std::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  const auto deadline = std::chrono::steady_clock::now() + LINGER_TIMEOUT;
  try {
    Chunk chunk{};
    while (receive(chunk, deadline - std::chrono::steady_clock::now()) > 0) {
    }
  } catch (const std::exception&) {
    // The peer went on sending or stayed silent until the deadline; it is cut off.
  }
  socket_.close(ignored);
}

}  // namespace verhulzen
