// The request handler: one object per connection, serving exactly one request.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "http/connection.h"
#include "http/http_request.h"
#include "platform/files.h"
#include "platform/web_folder.h"
#include "shell/config.h"

namespace verhulzen {

inline constexpr std::string_view SERVER_VERSION = "DrovelVerhulzen";
inline constexpr std::string_view SYS_VERSION;

// What follows an answer head: bytes from memory or an open file.
using Body = std::variant<std::string, platform::ReadOnlyFile>;

class Handler {
 public:
  // `web_folder`: `WEB_DIR` as opened when the server started; `ocr_wait`: how long
  // an OCR request waits for a recognition to end when as many run as may.
  Handler(Connection& connection, const Config& config,
          const std::optional<platform::WebFolder>& web_folder, std::chrono::milliseconds ocr_wait);

  // Reads one request and answers it; errors end the request, never the server.
  void serve();

 private:
  void answer_request();
  void handle(Request& request);
  bool toegestaan() const;
  Body antwoord(int code, std::string body = {},
                std::string_view soort = "text/plain; charset=utf-8",
                std::string_view locatie = {});
  std::optional<Body> launcher_route();
  std::optional<Body> send_head();
  void do_post();
  void answer_post(std::uint64_t length);
  // What a path under `WEB_DIR`, as `translate_path` gives it, names in the web folder.
  platform::WebFolder::Found find_in_web_folder(const std::filesystem::path& path) const;
  // The file answer for `path`, the request target translated under the web folder.
  std::optional<Body> send_file(const std::filesystem::path& path,
                                std::optional<platform::ReadOnlyFile> file);
  void send_error(int code, std::string_view message = {});

  void send_response(int code, std::string_view message = {});
  void send_header(std::string_view name, std::string_view value);
  void end_headers();
  void send_body(Body& body);

  Connection& connection_;
  const Config& config_;
  const std::optional<platform::WebFolder>& web_folder_;
  const std::chrono::milliseconds ocr_wait_;
  Request* request_ = nullptr;  // the request being answered, once its line has been read
  bool is_head_ = false;        // a HEAD request: its answers, errors too, go without body
  std::string head_;
};

}  // namespace verhulzen
