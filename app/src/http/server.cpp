#include "http/server.h"

#include <chrono>
#include <cstdio>
#include <system_error>

#include "http/connection.h"
#include "http/connection_threads.h"
#include "http/handler.h"

namespace verhulzen {

namespace {

// How long a thread that has served a connection waits for the next one.
constexpr std::chrono::seconds kThreadIdle{10};

}  // namespace

// The system picks the free port while binding, so no other program can take it
// between choosing and listening.
Server::Server(const Config& config)
    : config_(std::make_shared<const Config>(config)),
      context_(std::make_shared<asio::io_context>()),
      acceptor_(*context_, asio::ip::tcp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0)),
      pause_(*context_),
      port_(acceptor_.local_endpoint().port()),
      threads_(ConnectionThreads::create(
          [config = config_](asio::ip::tcp::socket socket) {
            try {
              Connection connection(std::move(socket));
              Handler(connection, *config).serve();
            } catch (const std::system_error& failure) {
              std::fprintf(stderr, "verhulzen: connection dropped: %s\n", failure.what());
            }
          },
          kThreadIdle)) {
  accept_next();
  accept_thread_ = std::thread([this] { context_->run(); });
}

Server::~Server() { shutdown(); }

// Accepting may fail for a while when the system lacks descriptors or memory.
void Server::accept_next() {
  acceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (!acceptor_.is_open()) return;  // shut down
    if (error) return accept_later();
    try {
      threads_->serve({context_, std::move(socket)});
    } catch (const std::system_error& failure) {
      std::fprintf(stderr, "verhulzen: connection dropped: %s\n", failure.what());
    }
    accept_next();
  });
}

void Server::accept_later() {
  pause_.expires_after(std::chrono::milliseconds(100));
  pause_.async_wait([this](const std::error_code& error) {
    if (!error && acceptor_.is_open()) accept_next();
  });
}

void Server::shutdown() {
  if (!accept_thread_.joinable()) return;
  asio::post(*context_, [this] {
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
