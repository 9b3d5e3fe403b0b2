#include "server.h"

#include <chrono>
#include <cstdio>
#include <system_error>

#include "connection.h"
#include "handler.h"

namespace verhulzen {

// The system picks the free port while binding, so no other program can take it
// between choosing and listening.
Server::Server(const Config& config)
    : config_(std::make_shared<const Config>(config)),
      acceptor_(context_, asio::ip::tcp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0)),
      pause_(context_),
      port_(acceptor_.local_endpoint().port()) {
  accept_next();
  accept_thread_ = std::thread([this] { context_.run(); });
}

Server::~Server() { shutdown(); }

void Server::accept_next() {
  // Each connection gets an I/O context of its own, run by its own thread. Setting it
  // up takes descriptors, which the system may lack for a while.
  try {
    auto connection_context = std::make_unique<asio::io_context>();
    asio::io_context& target = *connection_context;
    acceptor_.async_accept(
        target, [this, connection_context = std::move(connection_context)](
                    const std::error_code& error, asio::ip::tcp::socket socket) mutable {
          if (!acceptor_.is_open()) return;  // shut down
          if (error) return accept_later();
          try {
            std::thread([config = config_, context = std::move(connection_context),
                         socket = std::move(socket)]() mutable {
              Connection connection(std::move(context), std::move(socket));
              Handler(connection, *config).serve();
            }).detach();
          } catch (const std::system_error& failure) {
            std::fprintf(stderr, "verhulzen: connection dropped: %s\n", failure.what());
          }
          accept_next();
        });
  } catch (const std::system_error&) {
    accept_later();
  }
}

void Server::accept_later() {
  pause_.expires_after(std::chrono::milliseconds(100));
  pause_.async_wait([this](const std::error_code& error) {
    if (!error && acceptor_.is_open()) accept_next();
  });
}

void Server::shutdown() {
  if (!accept_thread_.joinable()) return;
  asio::post(context_, [this] {
    std::error_code ignored;
    acceptor_.close(ignored);
    pause_.cancel();
  });
  accept_thread_.join();
}

StartedServer start_server(const Config& config) {
  auto server = std::make_unique<Server>(config);
  const std::uint16_t port = server->port();
  return {std::move(server), port};
}

}  // namespace verhulzen
