#include "support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <memory>

#include "platform/environment.h"
#include "text/ascii_text.h"

namespace verhulzen::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  path_ = fs::temp_directory_path() / ("verhulzen-test-" + std::to_string(platform::process_id()) +
                                       "-" + std::to_string(++counter));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const fs::path& relative, std::string_view content) const {
  const fs::path target = path_ / relative;
  fs::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary) << content;
}

int open_descriptors() {
#ifdef _WIN32
  return -1;
#else
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
#endif
}

void wait_for_descriptors(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (open_descriptors() > count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int RawAnswer::code() const {
  const std::size_t space = status_line.find(' ');
  return space == std::string::npos ? 0 : std::stoi(status_line.substr(space + 1, 3));
}

std::string RawAnswer::reason() const {
  return status_line.size() > 13 ? status_line.substr(13) : "";
}

std::optional<std::string> RawAnswer::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equal_ignoring_case(key, name)) return value;
  }
  return std::nullopt;
}

std::string read_until_closed(asio::ip::tcp::socket& socket) {
  std::string received;
  std::error_code error;
  std::array<char, 65536> chunk{};
  while (const std::size_t n = socket.read_some(asio::buffer(chunk), error))
    received.append(chunk.data(), n);
  return received;
}

RawAnswer raw_request(std::uint16_t port, std::string_view request) {
  asio::io_context context;
  asio::ip::tcp::socket socket(context);
  socket.connect({asio::ip::make_address_v4("127.0.0.1"), port});
  asio::write(socket, asio::buffer(request));
  socket.shutdown(asio::ip::tcp::socket::shutdown_send);
  const std::string received = read_until_closed(socket);

  RawAnswer answer;
  const std::size_t head_end = received.find("\r\n\r\n");
  const std::string head = received.substr(0, head_end);
  answer.body = head_end == std::string::npos ? "" : received.substr(head_end + 4);
  std::size_t start = 0;
  for (std::size_t end; start <= head.size(); start = end + 2) {
    end = std::min(head.find("\r\n", start), head.size());
    const std::string line = head.substr(start, end - start);
    if (start == 0) {
      answer.status_line = line;
    } else if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
      answer.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
  }
  return answer;
}

std::string run_command(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  std::array<char, 4096> chunk{};
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe.get()))
    output.append(chunk.data(), n);
  return output;
}

FeedServer::FeedServer(Responder responder)
    : responder_(std::move(responder)),
      acceptor_(context_, {asio::ip::make_address_v4("127.0.0.1"), 0}) {
  accept_next();
  thread_ = std::thread([this] { context_.run(); });
}

FeedServer::~FeedServer() {
  asio::post(context_, [this] {
    acceptor_.close();
    held_.clear();
  });
  thread_.join();
}

std::string FeedServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port()) +
         std::string(path);
}

std::vector<std::string> FeedServer::requests() const {
  const std::lock_guard guard(lock_);
  return requests_;
}

void FeedServer::accept_next() {
  acceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (error) return;
    std::string request;
    std::error_code ignored;
    const std::size_t head =
        asio::read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", ignored);
    // The body too, so that closing never meets unread bytes and resets the connection.
    if (const std::size_t at = ascii_lower(request.substr(0, head)).find("\r\ncontent-length:");
        !ignored && at != std::string::npos) {
      const std::size_t length =
          std::stoul(request.substr(at + 17, request.find('\r', at + 2) - at - 17));
      if (request.size() < head + length) {
        asio::read(socket, asio::dynamic_buffer(request),
                   asio::transfer_exactly(head + length - request.size()), ignored);
      }
    }
    {
      const std::lock_guard guard(lock_);
      requests_.push_back(request);
    }
    if (auto answer = responder_(request)) {
      asio::write(socket, asio::buffer(*answer), ignored);
      socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    } else {
      held_.push_back(std::move(socket));
    }
    accept_next();
  });
}

std::string http_answer(int code, std::string_view body, std::string_view headers) {
  return "HTTP/1.0 " + std::to_string(code) +
         " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + std::string(headers) +
         "\r\n" + std::string(body);
}

#ifndef _WIN32
bool ends_without_a_writer(const std::vector<fs::path>& pipes, const std::function<void()>& work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(30)) == std::future_status::ready) {
    done.get();
    return true;
  }
  while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    for (const fs::path& pipe : pipes) {
      // Succeeds only while a reader has the pipe open or waits for a writer.
      const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // NOLINT
      if (fd >= 0) ::close(fd);
    }
  }
  done.get();
  return false;
}
#endif

}  // namespace verhulzen::testing
