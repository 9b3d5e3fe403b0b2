// The threads that serve the server's connections. Every accepted connection gets
// a thread of its own at once; a thread that has served one waits a while for the
// next instead of ending, since creating a thread and giving back its stack cost
// more than serving a page.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace verhulzen {

// An accepted socket with the I/O context it belongs to, which must outlive it.
struct Accepted {
  std::shared_ptr<asio::io_context> context;
  asio::ip::tcp::socket socket;
};

class ConnectionThreads : public std::enable_shared_from_this<ConnectionThreads> {
 public:
  using Serve = std::function<void(asio::ip::tcp::socket)>;

  // The threads outlive the server that made them while they serve or wait.
  static std::shared_ptr<ConnectionThreads> create(Serve serve, std::chrono::milliseconds idle);

  // Hands the connection to a waiting thread, or to a new one when none waits.
  // Throws std::system_error when no thread can be started.
  void serve(Accepted accepted);

 private:
  ConnectionThreads(Serve serve, std::chrono::milliseconds idle)
      : serve_(std::move(serve)), idle_(idle) {}
  void run();

  const Serve serve_;
  const std::chrono::milliseconds idle_;
  std::mutex lock_;
  std::condition_variable handed_over_;
  std::deque<Accepted> waiting_;
  std::size_t idle_threads_ = 0;
};

}  // namespace verhulzen
