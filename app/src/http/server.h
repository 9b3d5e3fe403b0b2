// The local web server: HTTP/1.0 on 127.0.0.1, one request per connection, every
// connection on a thread of its own and with no descriptor beyond its socket.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <memory>
#include <thread>

#include "http/connection_threads.h"
#include "shell/config.h"

namespace verhulzen {

class Server {
 public:
  // Binds to a free port of 127.0.0.1 and starts accepting on a thread of its own.
  explicit Server(const Config& config);
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  std::uint16_t port() const { return port_; }

  // Stops accepting and returns when the accept loop has ended. Connections being
  // served go on until their answer is sent.
  void shutdown();

 private:
  void accept_next();
  // Accepts again after a pause: the system may for a while lack the descriptors
  // or memory that a new connection needs.
  void accept_later();

  std::shared_ptr<const Config> config_;
  // Shared with the connections' sockets, which may outlive the server.
  std::shared_ptr<asio::io_context> context_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer pause_;
  std::uint16_t port_ = 0;
  std::shared_ptr<ConnectionThreads> threads_;
  std::thread accept_thread_;
};

struct StartedServer {
  std::unique_ptr<Server> server;
  std::uint16_t port;
};

StartedServer start_server(const Config& config);

}  // namespace verhulzen
