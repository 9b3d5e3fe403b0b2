// The feed request as a whole has a deadline: a feed that sends its answer a byte
// at a time, each well within the wait for data, is cut off.
#include "update/feed_request.h"

#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <thread>

namespace verhulzen {
namespace {

using namespace std::chrono_literals;

TEST(FeedRequest, AFeedThatTricklesItsAnswerEndsAtTheDeadline) {
  asio::io_context context;
  asio::ip::tcp::acceptor acceptor(context, {asio::ip::make_address_v4("127.0.0.1"), 0});
  std::atomic<bool> done{false};
  std::thread feed([&] {
    asio::ip::tcp::socket socket = acceptor.accept();
    std::error_code ignored;
    std::string request;
    asio::read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", ignored);
    asio::write(socket, asio::buffer(std::string_view("HTTP/1.0 200 OK\r\n\r\n{")), ignored);
    for (int i = 0; i < 600 && !done && !ignored; ++i) {
      std::this_thread::sleep_for(50ms);
      asio::write(socket, asio::buffer(std::string_view(" ")), ignored);
    }
  });
  const auto started = std::chrono::steady_clock::now();
  const auto outcome = vraag_feed(
      "http://127.0.0.1:" + std::to_string(acceptor.local_endpoint().port()) + "/feed.json",
      FEED_WAIT, 500ms);
  const auto took = std::chrono::steady_clock::now() - started;
  done = true;
  feed.join();
  ASSERT_TRUE(std::holds_alternative<std::string>(outcome));
  EXPECT_NE(std::get<std::string>(outcome).find("imeout"), std::string::npos)
      << std::get<std::string>(outcome);
  EXPECT_LT(took, 20s);  // without the deadline it would last the feed's 30 s
}

}  // namespace
}  // namespace verhulzen
