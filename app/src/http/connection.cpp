#include "http/connection.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/sockets.h"

namespace verhulzen {

Connection::Connection(asio::ip::tcp::socket socket, const ConnectionTimeouts& timeouts)
    : socket_(std::move(socket)),
      timeouts_(timeouts),
      head_deadline_(Clock::now() + timeouts.head) {
  socket_.non_blocking(true);
  // Every answer is written whole before the close; nothing is gained by waiting
  // to fill a segment.
  socket_.set_option(asio::ip::tcp::no_delay(true));
}

namespace {
constexpr std::size_t kOutputLimit = 65536;
}  // namespace

void Connection::wait_until_ready(bool to_read, Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  const auto ready = to_read ? platform::SocketReady::to_read : platform::SocketReady::to_write;
  if (left.count() <= 0 || !platform::wait_for_socket(socket_.native_handle(), ready, left)) {
    throw ConnectionTimeout();
  }
}

bool Connection::fill(Clock::time_point deadline) {
  if (peer_closed_) return false;  // nothing more will come, however long we wait
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  std::array<char, 16384> chunk;  // NOLINT(*-member-init): filled by the read
  for (;;) {
    std::error_code error;
    const std::size_t n = socket_.read_some(asio::buffer(chunk), error);
    if (!error) {
      buffer_.append(chunk.data(), n);
      return true;
    }
    if (error == asio::error::eof) {
      peer_closed_ = true;
      return false;
    }
    if (error != asio::error::would_block && error != asio::error::try_again) {
      throw std::system_error(error);
    }
    wait_until_ready(true, deadline);
  }
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
    if (pending.size() >= limit || !fill(std::min(Clock::now() + timeouts_.idle, head_deadline_))) {
      const std::string_view rest = std::string_view(buffer_).substr(consumed_);
      std::string line(rest.substr(0, limit));
      consumed_ += line.size();
      return line;
    }
  }
}

std::string Connection::read(std::size_t count) {
  // The body has no deadline as a whole, only each wait for more of it.
  while (buffer_.size() - consumed_ < count && fill(Clock::now() + timeouts_.idle)) {
  }
  std::string bytes = buffer_.substr(consumed_, count);
  consumed_ += bytes.size();
  return bytes;
}

void Connection::write(std::string_view bytes) {
  if (output_.size() + bytes.size() <= kOutputLimit) {
    output_ += bytes;
    return;
  }
  flush();
  if (bytes.size() < kOutputLimit) {
    output_ = bytes;
  } else {
    send(bytes);
  }
}

void Connection::flush() {
  send(output_);
  output_.clear();
}

void Connection::send(std::string_view bytes) {
  while (!bytes.empty()) {
    std::error_code error;
    const std::size_t n = socket_.write_some(asio::buffer(bytes), error);
    if (!error) {
      bytes.remove_prefix(n);
    } else if (error == asio::error::would_block || error == asio::error::try_again) {
      wait_until_ready(false, Clock::now() + timeouts_.idle);
    } else {
      throw std::system_error(error);
    }
  }
}

void Connection::close() {
  flush();
  std::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  const auto deadline = Clock::now() + timeouts_.linger;
  try {
    while (fill(deadline)) consumed_ = buffer_.size();
  } catch (const std::exception&) {
    // The peer went on sending or stayed silent until the deadline; it is cut off.
  }
  socket_.close(ignored);
}

}  // namespace verhulzen
