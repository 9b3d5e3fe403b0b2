// The local web server: HTTP/1.0 on 127.0.0.1, one request per connection. A
// connection waits for its request head without a thread, on the accept loop's own;
// then a thread of its own serves it, with no descriptor beyond its socket.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <thread>

#include "http/connection.h"
#include "http/connection_threads.h"
#include "platform/web_folder.h"
#include "shell/config.h"

namespace verhulzen {

struct ServerLimits {
  ConnectionTimeouts timeouts;
  // Requests served at once; more wait for a thread.
  std::size_t threads = 32;
  // Connections whose head is on its way; past this the oldest of them is closed, so
  // that idle connections cannot keep a request out. As many again wait for a thread
  // with their head read; past that a connection is closed at once.
  std::size_t waiting = 512;
  // How long an OCR request waits for one of the recognitions that run at once.
  std::chrono::milliseconds ocr_wait = HEAD_TIMEOUT;
};

class Server {
 public:
  // Binds to a free port of 127.0.0.1 and starts accepting on a thread of its own.
  explicit Server(const Config& config, const ServerLimits& limits = {});
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  std::uint16_t port() const { return port_; }
  // Threads now serving connections or waiting for one.
  std::size_t threads() const { return threads_->threads(); }

  // Stops accepting and returns when the accept loop has ended. Connections being
  // served go on until their answer is sent.
  void shutdown();

 private:
  struct Arriving;
  void accept_next();
  // Accepts again after a pause: the system may for a while lack the descriptors
  // or memory that a new connection needs.
  void accept_later();
  void wait_for_head(const std::shared_ptr<Arriving>& arriving);
  void read_head(const std::shared_ptr<Arriving>& arriving);
  void hand_over(const std::shared_ptr<Arriving>& arriving, bool peer_closed);
  // Closes the connection unless it has been handed over already.
  void drop(std::shared_ptr<Arriving> arriving);

  std::shared_ptr<const Config> config_;
  ServerLimits limits_;
  std::shared_ptr<const std::optional<platform::WebFolder>> web_folder_;
  // Shared with the connections' sockets, which may outlive the server.
  std::shared_ptr<asio::io_context> context_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer pause_;
  std::uint16_t port_ = 0;
  std::shared_ptr<ConnectionThreads> threads_;
  // Oldest first; only the accept loop's thread touches it. The handlers of an entry
  // hold it weakly: one that is gone has been handed over or closed.
  std::list<std::shared_ptr<Arriving>> arriving_;
  std::thread accept_thread_;
};

struct StartedServer {
  std::unique_ptr<Server> server;
  std::uint16_t port;
};

StartedServer start_server(const Config& config, const ServerLimits& limits = {});

}  // namespace verhulzen
