#include "http/server.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "http/handler.h"
#include "http/http_request.h"

namespace verhulzen {

namespace {

// How long a thread that has served a connection waits for the next one.
constexpr std::chrono::seconds kThreadIdle{10};

}  // namespace

struct Server::Arriving {
  Arriving(asio::ip::tcp::socket s, asio::io_context& context)
      : socket(std::move(s)), deadline(context) {}
  asio::ip::tcp::socket socket;
  asio::steady_timer deadline;
  std::string received;
  HeadScan scan;
  bool timed = false;
  std::list<std::shared_ptr<Arriving>>::iterator place;
};

// The system picks the free port while binding, so no other program can take it
// between choosing and listening.
Server::Server(const Config& config, const ServerLimits& limits)
    : config_(std::make_shared<const Config>(config)),
      limits_(limits),
      web_folder_(std::make_shared<const std::optional<platform::WebFolder>>(
          platform::WebFolder::open(config.WEB_DIR))),
      context_(std::make_shared<asio::io_context>()),
      acceptor_(*context_, asio::ip::tcp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0)),
      pause_(*context_),
      port_(acceptor_.local_endpoint().port()),
      threads_(ConnectionThreads::create(
          [config = config_, folder = web_folder_, limits](Accepted accepted) {
            try {
              Connection connection(std::move(accepted.socket), limits.timeouts,
                                    std::move(accepted.received), accepted.peer_closed);
              Handler(connection, *config, *folder, limits.ocr_wait).serve();
            } catch (const std::system_error& failure) {
              std::fprintf(stderr, "verhulzen: connection dropped: %s\n", failure.what());
            }
          },
          {limits.threads, limits.waiting, kThreadIdle})) {
  accept_next();
  accept_thread_ = std::thread([this] { context_->run(); });
}

Server::~Server() { shutdown(); }

// Accepting may fail for a while when the system lacks descriptors or memory.
void Server::accept_next() {
  acceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (!acceptor_.is_open()) return;  // shut down
    if (error) return accept_later();
    std::error_code failed;
    socket.non_blocking(true, failed);
    if (!failed) {
      if (arriving_.size() >= limits_.waiting) drop(arriving_.front());
      auto arriving = std::make_shared<Arriving>(std::move(socket), *context_);
      arriving->place = arriving_.insert(arriving_.end(), arriving);
      read_head(arriving);  // most clients have sent their request by now
    }
    accept_next();
  });
}

// The head's deadline runs from the first wait: most requests need none.
void Server::wait_for_head(const std::shared_ptr<Arriving>& arriving) {
  if (!arriving->timed) {
    arriving->timed = true;
    arriving->deadline.expires_after(limits_.timeouts.head);
    arriving->deadline.async_wait(
        [this, weak = std::weak_ptr(arriving)](const std::error_code& cancelled) {
          if (auto late = weak.lock(); late && !cancelled) drop(late);
        });
  }
  arriving->socket.async_wait(asio::socket_base::wait_read,
                              [this, weak = std::weak_ptr(arriving)](const std::error_code& error) {
                                const auto ready = weak.lock();
                                if (!ready) return;
                                if (error) return drop(ready);
                                read_head(ready);
                              });
}

void Server::read_head(const std::shared_ptr<Arriving>& arriving) {
  std::array<char, 16384> chunk;  // NOLINT(*-member-init): filled by the read
  for (;;) {
    const std::size_t room = MAX_HEAD + 1 - arriving->received.size();
    std::error_code error;
    const std::size_t n =
        arriving->socket.read_some(asio::buffer(chunk.data(), std::min(room, chunk.size())), error);
    if (error == asio::error::eof) return hand_over(arriving, true);
    if (would_block(error)) return wait_for_head(arriving);
    if (error) return drop(arriving);
    arriving->received.append(chunk.data(), n);
    if (arriving->scan.complete(arriving->received)) return hand_over(arriving, false);
  }
}

void Server::hand_over(const std::shared_ptr<Arriving>& arriving, bool peer_closed) {
  if (arriving->timed) arriving->deadline.cancel();
  Accepted accepted{context_, std::move(arriving->socket), std::move(arriving->received),
                    peer_closed};
  arriving_.erase(arriving->place);
  try {
    // When every thread is busy and the queue is full, the connection closes here.
    threads_->serve(std::move(accepted));
  } catch (const std::system_error& failure) {
    std::fprintf(stderr, "verhulzen: connection dropped: %s\n", failure.what());
  }
}

void Server::drop(
    std::shared_ptr<Arriving> arriving) {  // NOLINT(performance-unnecessary-value-param):
                                           // kept alive while its entry goes
  std::error_code ignored;
  if (arriving->timed) arriving->deadline.cancel();
  arriving->socket.close(ignored);
  arriving_.erase(arriving->place);
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
    arriving_.clear();
  });
  accept_thread_.join();
  threads_->end_waiting();
}

StartedServer start_server(const Config& config, const ServerLimits& limits) {
  auto server = std::make_unique<Server>(config, limits);
  const std::uint16_t port = server->port();
  return {std::move(server), port};
}

}  // namespace verhulzen
