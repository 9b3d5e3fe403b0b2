#include "http/connection.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/sockets.h"

namespace verhulzen {

namespace {
constexpr std::size_t kOutputLimit = 65536;
// A body grows by at most this much ahead of what has arrived, so that a declared
// length costs memory only as its bytes come.
constexpr std::size_t kBodyStep = 1 << 20;
}  // namespace

Connection::Connection(asio::ip::tcp::socket socket, const ConnectionTimeouts& timeouts,
                       std::string received, bool peer_closed)
    : socket_(std::move(socket)),
      timeouts_(timeouts),
      head_deadline_(Clock::now() + timeouts.head),
      buffer_(std::move(received)),
      peer_closed_(peer_closed) {
  if (!socket_.non_blocking()) socket_.non_blocking(true);
  // Every answer is written whole before the close; nothing is gained by waiting
  // to fill a segment.
  socket_.set_option(asio::ip::tcp::no_delay(true));
}

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
    if (!would_block(error)) throw std::system_error(error);
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

// The bytes go from the socket straight into the one string that holds the body.
std::string Connection::read(std::size_t count) {
  const auto deadline = Clock::now() + timeouts_.body;
  std::string bytes = buffer_.substr(consumed_, count);
  consumed_ += bytes.size();
  std::size_t filled = bytes.size();
  while (filled < count && !peer_closed_) {
    bytes.resize(std::min(count, filled + kBodyStep));
    std::error_code error;
    const std::size_t n =
        socket_.read_some(asio::buffer(bytes.data() + filled, bytes.size() - filled), error);
    if (!error) {
      filled += n;
    } else if (error == asio::error::eof) {
      peer_closed_ = true;
    } else if (would_block(error)) {
      wait_until_ready(true, std::min(Clock::now() + timeouts_.idle, deadline));
    } else {
      throw std::system_error(error);
    }
  }
  bytes.resize(filled);
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

void Connection::send_file(platform::ReadOnlyFile& file, std::uint64_t count) {
  flush();
  for (std::uint64_t sent = 0; sent < count;) {
    const auto n = file.send_to(
        socket_.native_handle(), sent,
        static_cast<std::size_t>(std::min<std::uint64_t>(count - sent, std::uint64_t{1} << 30)));
    if (!n) {
      wait_until_ready(false, Clock::now() + timeouts_.idle);
    } else if (*n == 0) {
      return;
    } else {
      sent += *n;
    }
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
    } else if (would_block(error)) {
      wait_until_ready(false, Clock::now() + timeouts_.idle);
    } else {
      throw std::system_error(error);
    }
  }
}

void Connection::close() {
  flush();
  std::error_code ignored;
  if (!request_read_ || consumed_ < buffer_.size()) {
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    const auto deadline = Clock::now() + timeouts_.linger;
    try {
      while (fill(deadline)) consumed_ = buffer_.size();
    } catch (const std::exception&) {
      // The peer went on sending or stayed silent until the deadline; it is cut off.
    }
  }
  socket_.close(ignored);
}

}  // namespace verhulzen
