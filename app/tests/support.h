// Helpers of the tests: temporary folders, raw loopback requests, descriptor counts
// and a feed server.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace verhulzen::testing {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  void write(const std::filesystem::path& relative, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

struct RawAnswer {
  std::string status_line;
  std::vector<std::pair<std::string, std::string>> headers;  // in order
  std::string body;

  int code() const;
  std::string reason() const;
  std::optional<std::string> header(std::string_view name) const;
};

// Everything the peer sends until it closes the connection or it fails.
std::string read_until_closed(asio::ip::tcp::socket& socket);

// Sends `request` as it stands to 127.0.0.1:port, closes the sending side and reads
// until the server closes.
RawAnswer raw_request(std::uint16_t port, std::string_view request);

// The descriptors this process holds; -1 where they cannot be counted.
int open_descriptors();

// Waits, up to ten seconds, until the process holds no more than `count` descriptors:
// the server's connection threads outlive it while they still serve, and one still
// serving when the tests end would use what the process has already destroyed.
void wait_for_descriptors(int count);

// Runs a shell command and returns its standard output.
std::string run_command(const std::string& command);

// A one-thread HTTP server on 127.0.0.1 that answers each request with the raw bytes
// its responder returns; nullopt holds the connection open without answering.
class FeedServer {
 public:
  using Responder = std::function<std::optional<std::string>(const std::string& request)>;
  explicit FeedServer(Responder responder);
  FeedServer(const FeedServer&) = delete;
  FeedServer& operator=(const FeedServer&) = delete;
  ~FeedServer();

  std::string url(std::string_view path = "/verhulzen.json") const;
  std::vector<std::string> requests() const;

 private:
  void accept_next();

  Responder responder_;
  asio::io_context context_;
  asio::ip::tcp::acceptor acceptor_;
  std::vector<asio::ip::tcp::socket> held_;
  mutable std::mutex lock_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A whole HTTP/1.0 answer with the given status, extra header lines and body.
std::string http_answer(int code, std::string_view body, std::string_view headers = "");

#ifndef _WIN32
// Whether `work` ends while nothing opens the write end of the named pipes `pipes`.
// Should it still run after a generous bound, the pipes are opened for writing and
// closed again until it ends: a reader that waits for a writer then reads an empty
// file, and the test fails instead of hanging.
bool ends_without_a_writer(const std::vector<std::filesystem::path>& pipes,
                           const std::function<void()>& work);
#endif

}  // namespace verhulzen::testing
