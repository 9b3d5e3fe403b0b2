// Connections under clients that stall, trickle or half-close: each costs one
// descriptor and its thread only for a bounded time.
#include "http/connection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "http/http_request.h"
#include "http/server.h"
#include "support.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::open_descriptors;
using testing::RawAnswer;
using testing::wait_for_descriptors;

const asio::ip::address_v4 kLoopback = asio::ip::make_address_v4("127.0.0.1");

// What the server sends until it closes, or what came before `limit` passed.
std::string read_for(asio::ip::tcp::socket& socket, std::chrono::milliseconds limit) {
  auto& context = static_cast<asio::io_context&>(socket.get_executor().context());
  std::string received;
  asio::async_read(socket, asio::dynamic_buffer(received),
                   [](const std::error_code&, std::size_t) {});
  context.restart();
  context.run_for(limit);
  return received;
}

struct Served {
  testing::TempDir dir;
  std::unique_ptr<Server> server;
  Served() {
    dir.write("index.html", "<!doctype html>");
    Config config;
    config.WEB_DIR = dir.path();
    server = std::move(start_server(config).server);
  }
  std::uint16_t port() const { return server->port(); }
};

// A request whose last line has no line end, followed a little later by the end of
// the client's sending side: the end of input ends the request at once.
TEST(Connection, AHalfCloseAfterAPauseEndsTheRequestAtOnce) {
  Served served;
  struct Case {
    std::string sent;
    std::string answer;
  };
  for (const Case& c : {Case{"GET / HTTP/1.0", "HTTP/1.0 404 Not Found\r\n"},
                        Case{"GET / HTTP/1.0\r\nHost: localhost", "HTTP/1.0 200 OK\r\n"},
                        Case{"GET / HTTP/1.0\r\nHost: localhost\r\n", "HTTP/1.0 200 OK\r\n"},
                        Case{"GET /", "HTTP/1.0 400 Bad request syntax ('GET /')\r\n"}}) {
    asio::io_context context;
    asio::ip::tcp::socket client(context);
    client.connect({kLoopback, served.port()});
    asio::write(client, asio::buffer(c.sent));
    std::this_thread::sleep_for(200ms);
    client.shutdown(asio::ip::tcp::socket::shutdown_send);
    EXPECT_TRUE(read_for(client, 5s).starts_with(c.answer)) << c.sent;
  }
}

// A connection of the server owns its socket and nothing else.
TEST(Connection, CostsOneDescriptorOnTheServerSide) {
  Served served;
  asio::io_context context;
  std::vector<asio::ip::tcp::socket> slow;
  const int before = open_descriptors();
  for (int i = 0; i < 50; ++i) {
    slow.emplace_back(context).connect({kLoopback, served.port()});
    asio::write(slow.back(), asio::buffer(std::string_view("GET / HTTP/1.0\r\n")));
  }
  // Our end and the server's for each, once it has accepted them all; and our reactor.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (open_descriptors() - before < 2 * 50 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(20ms);
  EXPECT_LE(open_descriptors() - before, 2 * 50 + 5);
  EXPECT_EQ(testing::raw_request(served.port(), "GET / HTTP/1.0\r\nHost: localhost\r\n\r\n").code(),
            200);
  slow.clear();
  wait_for_descriptors(before + 5);
}

// Two hundred slow clients in another process, under a soft limit of 256
// descriptors: the page is still served.
TEST(Connection, ManySlowClientsLeaveRoomForTheNextRequest) {
  Served served;
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit lowered{256, limit.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);

  const int before = open_descriptors();
  const pid_t clients = fork();
  if (clients == 0) {
    // Only system calls here: the forked copy of a threaded process.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(served.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    static const char partial[] = "GET / HTTP/1.0\r\nHost: localhost\r\n";
    for (int i = 0; i < 200; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
      if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        ::write(fd, partial, sizeof partial - 1);
      }
    }
    for (;;) ::pause();
  }
  ASSERT_GT(clients, 0);
  for (int i = 0; i < 200 && open_descriptors() < before + 200; ++i) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_GE(open_descriptors(), before + 200) << "the slow clients were all accepted";

  for (int i = 0; i < 10; ++i) {
    asio::io_context context;
    asio::ip::tcp::socket client(context);
    client.connect({kLoopback, served.port()});
    asio::write(client,
                asio::buffer(std::string_view("GET / HTTP/1.0\r\nHost: localhost\r\n\r\n")));
    EXPECT_TRUE(read_for(client, 5s).starts_with("HTTP/1.0 200 OK\r\n")) << "request " << i;
  }
  ::kill(clients, SIGKILL);
  ::waitpid(clients, nullptr, 0);
  wait_for_descriptors(before + 5);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
}

// A client that sends one header line after another, each within the idle
// time-out, is cut off when the whole head has taken too long.
TEST(Connection, TheWholeRequestHeadHasADeadline) {
  asio::io_context context;
  asio::ip::tcp::acceptor acceptor(context, {kLoopback, 0});
  asio::ip::tcp::socket client(context);
  client.connect(acceptor.local_endpoint());
  Connection connection(acceptor.accept(), {.idle = 1s, .head = 1s, .body = 1s, .linger = 1s});

  std::atomic<bool> cut_off{false};
  std::thread trickle([&] {
    std::error_code ignored;
    asio::write(client, asio::buffer(std::string_view("GET / HTTP/1.0\r\n")), ignored);
    for (int i = 0; i < 100 && !cut_off; ++i) {
      std::this_thread::sleep_for(100ms);
      asio::write(client, asio::buffer(std::string_view("X-Trickle: 1\r\n")), ignored);
    }
  });
  int lines = 0;
  EXPECT_THROW(
      for (;;) {
        connection.read_line(MAX_LINE);
        ++lines;
      },
      ConnectionTimeout);
  cut_off = true;
  trickle.join();
  EXPECT_LT(lines, 50);
}

int process_threads() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++count;
  return count;
}

// Idle connections wait for their head without a thread; past the number that may
// wait, the oldest of them is closed, so a request that comes last is still served.
TEST(Connection, ThousandsOfIdleConnectionsLeaveThreadsBoundedAndThePageServed) {
  Served served;
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit raised{std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(limit.rlim_max, 6000)),
                      limit.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &raised), 0);
  ASSERT_GE(raised.rlim_cur, 5000u) << "too few descriptors for this test";

  const int before = open_descriptors();
  const int threads_before = process_threads();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(served.port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<int> idle;
  for (int i = 0; i < 2000; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    idle.push_back(fd);
  }
  const RawAnswer page =
      testing::raw_request(served.port(), "GET / HTTP/1.0\r\nHost: localhost\r\n\r\n");
  EXPECT_EQ(page.code(), 200);
  EXPECT_LE(served.server->threads(), 1u);
  EXPECT_LE(process_threads() - threads_before, 2);
  for (const int fd : idle) ::close(fd);
  wait_for_descriptors(before + 5);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
}

// A thread that has served waits for the next connection; once the server is shut
// down none comes, so the thread ends at once and lets go of the web folder (its
// serve function holds it) instead of holding it through its idle time. Counted by
// descriptors, since the sanitizers start threads of their own.
TEST(Connection, AShutDownServerLeavesNoWaitingThreadBehind) {
  const int before = open_descriptors();
  {
    Served served;
    EXPECT_EQ(
        testing::raw_request(served.port(), "GET / HTTP/1.0\r\nHost: localhost\r\n\r\n").code(),
        200);
  }
  const auto deadline = std::chrono::steady_clock::now() + 5s;  // half the idle time
  while (open_descriptors() > before && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(open_descriptors(), before);
}

// A head of many lines, each within the limit of a line, is refused when it grows
// past the limit of a whole head.
TEST(Connection, AHeadPastItsTotalLimitIsRefused) {
  Served served;
  std::string request = "GET / HTTP/1.0\r\nHost: localhost\r\n";
  const std::string line = "X-Opvulling: " + std::string(4000, 'x') + "\r\n";
  while (request.size() <= MAX_HEAD) request += line;
  EXPECT_EQ(testing::raw_request(served.port(), request + "\r\n").status_line,
            "HTTP/1.0 431 Request Header Fields Too Large");
  // Just within the limit it is served.
  request.resize(request.size() - 2 * line.size());
  EXPECT_EQ(testing::raw_request(served.port(), request + "\r\n").code(), 200);
}

// A body sent a byte at a time, each byte within the idle time-out, is cut off when
// the whole body has taken too long.
TEST(Connection, AWholeBodyHasADeadline) {
  asio::io_context context;
  asio::ip::tcp::acceptor acceptor(context, {kLoopback, 0});
  asio::ip::tcp::socket client(context);
  client.connect(acceptor.local_endpoint());
  Connection connection(acceptor.accept(), {.idle = 5s, .head = 5s, .body = 1s, .linger = 1s});

  std::atomic<bool> cut_off{false};
  std::thread trickle([&] {
    std::error_code ignored;
    for (int i = 0; i < 100 && !cut_off; ++i) {
      asio::write(client, asio::buffer(std::string_view("x")), ignored);
      std::this_thread::sleep_for(100ms);
    }
  });
  EXPECT_THROW(connection.read(1000), ConnectionTimeout);
  cut_off = true;
  trickle.join();
}

}  // namespace
}  // namespace verhulzen
