// The threads that serve the server's connections, at most a fixed number at once.
// A connection goes to a waiting thread, else to a new one while there is room, else
// into a queue of bounded length. A thread that has served one waits a while for the
// next instead of ending, since creating a thread and giving back its stack cost
// more than serving a page. Each waiting thread waits on a condition of its own: the
// shared lock is held only to take or give a connection, never while waiting.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace verhulzen {

// Shares the I/O context when moved as well as when copied: Windows' socket service
// unlinks even a moved-from socket under the context's lock when it is destroyed, so
// every socket object, moved from or not, keeps its context alive.
struct SharedContext {
  std::shared_ptr<asio::io_context> context;

  SharedContext(std::shared_ptr<asio::io_context> shared) : context(std::move(shared)) {}
  // Declared copies and no moves: a move copies.
  SharedContext(const SharedContext&) = default;
  SharedContext& operator=(const SharedContext&) = default;
  ~SharedContext() = default;
};

// An accepted socket with the I/O context it belongs to, which must outlive it, and
// what was read of its request while its head arrived.
struct Accepted {
  SharedContext context;
  asio::ip::tcp::socket socket;
  std::string received;
  bool peer_closed = false;
};

class ConnectionThreads : public std::enable_shared_from_this<ConnectionThreads> {
 public:
  using Serve = std::function<void(Accepted)>;

  struct Limits {
    std::size_t threads;  // connections served at once
    std::size_t queued;   // connections waiting for a thread
    std::chrono::milliseconds idle;
  };

  // The threads outlive the server that made them while they serve or wait.
  static std::shared_ptr<ConnectionThreads> create(Serve serve, Limits limits);

  // Hands the connection to a thread or the queue; closes it when both are full.
  // Throws std::system_error when no thread can be started.
  void serve(Accepted accepted);

  // Threads now serving or waiting for a connection.
  std::size_t threads();

  // No more connections come: waiting threads end now, and each serving one ends
  // once it has served what is queued, instead of waiting out its idle time.
  void end_waiting();

 private:
  struct Waiting {
    std::mutex lock;
    std::condition_variable handed;
    std::optional<Accepted> connection;
    bool end = false;
  };

  ConnectionThreads(Serve serve, Limits limits) : serve_(std::move(serve)), limits_(limits) {}
  void run(Accepted first);
  // The next connection for a thread that has served one; nullopt when it is to end.
  std::optional<Accepted> next(const std::shared_ptr<Waiting>& self);

  const Serve serve_;
  const Limits limits_;
  std::mutex lock_;
  std::vector<std::shared_ptr<Waiting>> waiting_;
  std::deque<Accepted> queued_;
  std::size_t threads_ = 0;
  bool ended_ = false;
};

}  // namespace verhulzen
