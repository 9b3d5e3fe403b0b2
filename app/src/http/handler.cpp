#include "http/handler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>

#include "http/post_check.h"
#include "http/serving_rules.h"
#include "http/static_files.h"
#include "routes/launcher_routes.h"
#include "text/ascii_text.h"
#include "text/http_date.h"

namespace verhulzen {

namespace fs = std::filesystem;

namespace {

struct Status {
  int code;
  std::string_view phrase;
  std::string_view explanation;
};

constexpr std::array<Status, 12> kStatuses{{
    {200, "OK", "Request fulfilled, document follows"},
    {204, "No Content", "Request fulfilled, nothing follows"},
    {302, "Found", "Object moved temporarily -- see URI list"},
    {304, "Not Modified", "Document has not changed since given time"},
    {400, "Bad Request", "Bad request syntax or unsupported method"},
    {404, "Not Found", "Nothing matches the given URI"},
    {413, "Request Entity Too Large", "Entity is too large"},
    {414, "Request-URI Too Long", "URI is too long"},
    {431, "Request Header Fields Too Large",
     "The server refused this request because the request header fields are too large"},
    {500, "Internal Server Error", "Server got itself in trouble"},
    {501, "Not Implemented", "Server does not support this operation"},
    {505, "HTTP Version Not Supported", "Cannot fulfill request"},
}};

const Status* status_of(int code) {
  for (const Status& status : kStatuses) {
    if (status.code == code) return &status;
  }
  return nullptr;
}

// The standard reason phrase of an HTTP status code.
std::string_view reason_phrase(int code) {
  const Status* status = status_of(code);
  return status ? status->phrase : "";
}

std::string html_escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string error_document(int code, std::string_view message, std::string_view explanation) {
  const std::string c = std::to_string(code);
  return "<!DOCTYPE HTML>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<title>Error response</title>\n</head>\n<body>\n<h1>Error response</h1>\n"
         "<p>Error code: " +
         c + "</p>\n<p>Message: " + html_escape(message) +
         ".</p>\n"
         "<p>Error code explanation: " +
         c + " - " + html_escape(explanation) +
         ".</p>\n"
         "</body>\n</html>\n";
}

std::string_view without_line_end(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// The modification time is compared in whole seconds, as HTTP dates carry no more.
bool not_modified_since(const Request& request, double modified) {
  const auto since = request.header("If-Modified-Since");
  if (!since || request.header("If-None-Match")) return false;
  const auto date = parse_mail_date(*since);
  if (!date || (date->offset && *date->offset != 0)) return false;
  return std::floor(modified) <= static_cast<double>(date->fields_as_utc());
}

}  // namespace

Handler::Handler(Connection& connection, const Config& config)
    : connection_(connection), config_(config) {}

void Handler::serve() {
  try {
    answer_request();
    connection_.close();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verhulzen: request ended: %s\n", error.what());
  }
}

void Handler::answer_request() {
  const std::string line = connection_.read_line(MAX_LINE + 1);
  if (line.empty()) return;
  if (line.size() > MAX_LINE) return send_error(414);

  auto parsed = parse_request_line(without_line_end(line));
  if (auto* error = std::get_if<RequestError>(&parsed)) {
    is_head_ = error->method == "HEAD";
    return send_error(error->code, error->message);
  }
  auto& request = std::get<Request>(parsed);
  request_ = &request;
  is_head_ = request.method == "HEAD";

  for (std::size_t count = 0;; ++count) {
    const std::string header = connection_.read_line(MAX_LINE + 1);
    if (header.size() > MAX_LINE) return send_error(431, "Line too long");
    const std::string_view content = without_line_end(header);
    if (content.empty()) break;
    if (count == MAX_HEADERS) return send_error(431, "Too many headers");
    add_header_line(request, content);
  }
  handle(request);
}

void Handler::handle(Request& request) {
  if (request.method == "GET" || request.method == "HEAD") {
    if (auto body = send_head(); body && request.method == "GET") send_body(*body);
  } else if (request.method == "POST") {
    do_post();
  } else {
    send_error(501, "Unsupported method (" + in_quotes(request.method) + ")");
  }
}

// Only a port may follow the name: "localhost:1@evil" names another host to any
// client that reads it as an authority.
bool Handler::toegestaan() const {
  const std::string host = request_->header("Host").value_or("");
  const std::size_t colon = host.rfind(':');
  const std::string name = host.substr(0, colon);
  const std::string_view port =
      colon == std::string::npos ? std::string_view() : std::string_view(host).substr(colon + 1);
  return (name == "127.0.0.1" || name == "localhost") && (port.empty() || all_digits(port));
}

Body Handler::antwoord(int code, std::string body, std::string_view soort,
                       std::string_view locatie) {
  send_response(code);
  send_header("Content-Type", soort);
  send_header("Content-Length", std::to_string(body.size()));
  if (!locatie.empty()) send_header("Location", locatie);
  end_headers();
  return body;
}

std::optional<Body> Handler::launcher_route() {
  auto answer = verhulzen::launcher_route(request_->target, config_);
  if (!answer) return std::nullopt;
  return antwoord(answer->code, std::move(answer->body), answer->soort, answer->locatie);
}

void Handler::do_post() {
  const auto checked = check_post(*request_, toegestaan());
  if (const auto* refused = std::get_if<Refuse>(&checked)) {
    if (refused->code != 0) send_error(refused->code);
    return;
  }
  const std::uint64_t length = std::get<ReadBody>(checked).length;
  const std::string data = connection_.read(length);
  // A body cut short is never taken for the whole: it would replace the office list.
  if (data.size() < length) return send_error(400);
  auto answer = post_answer(request_->target, data, config_);
  Body body = antwoord(answer.code, std::move(answer.body), answer.soort, answer.locatie);
  send_body(body);
}

std::optional<Body> Handler::send_head() {
  if (!toegestaan()) {
    send_error(404);
    return std::nullopt;
  }
  if (auto routed = launcher_route()) return routed;

  fs::path path = translate_path(request_->target, config_.WEB_DIR);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    const std::string_view asked =
        std::string_view(request_->target).substr(0, request_->target.find('?'));
    if (!asked.empty() && asked != "/") {
      send_error(404);
      return std::nullopt;
    }
    request_->target = "/index.html";
    path = translate_path(request_->target, config_.WEB_DIR);
  }
  if (is_refused_name(path) || !lies_within(path, config_.WEB_DIR)) {
    send_error(404);
    return std::nullopt;
  }
  return send_file(path);
}

std::optional<Body> Handler::send_file(const fs::path& path) {
  const std::string_view type = guess_type(path);
  if (!path.has_filename()) {
    send_error(404, "File not found");
    return std::nullopt;
  }
  auto file = platform::ReadOnlyFile::open(path);
  if (!file) {
    send_error(404, "File not found");
    return std::nullopt;
  }
  if (not_modified_since(*request_, file->modified())) {
    send_response(304);
    end_headers();
    return std::nullopt;
  }
  send_response(200);
  send_header("Content-type", type);
  send_header("Content-Length", std::to_string(file->size()));
  send_header("Last-Modified", format_http_date(file->modified()));
  end_headers();
  return std::move(*file);
}

void Handler::send_error(int code, std::string_view message) {
  const Status* status = status_of(code);
  const std::string_view phrase = message.empty() ? reason_phrase(code) : message;
  const std::string_view explanation = status ? status->explanation : "";
  const bool has_body = code >= 200 && code != 204 && code != 205 && code != 304;
  const std::string document = has_body ? error_document(code, phrase, explanation) : std::string();
  send_response(code, phrase);
  send_header("Connection", "close");
  send_header("Content-Type", "text/html;charset=utf-8");
  send_header("Content-Length", std::to_string(document.size()));
  end_headers();
  if (!is_head_) connection_.write(document);
}

void Handler::send_response(int code, std::string_view message) {
  head_ = "HTTP/1.0 " + std::to_string(code) + " ";
  head_ += message.empty() ? reason_phrase(code) : message;
  head_ += "\r\n";
  send_header("Server", std::string(SERVER_VERSION) + " " + std::string(SYS_VERSION));
  send_header("Date", format_http_date(epoch_seconds_now()));
}

void Handler::send_header(std::string_view name, std::string_view value) {
  head_ += name;
  head_ += ": ";
  head_ += value;
  head_ += "\r\n";
}

void Handler::end_headers() {
  send_header("Content-Security-Policy", CSP);
  send_header("Referrer-Policy", "no-referrer");
  send_header("X-Content-Type-Options", "nosniff");
  send_header("Cache-Control", "no-store");
  head_ += "\r\n";
  connection_.write(head_);
  head_.clear();
}

void Handler::send_body(Body& body) {
  if (auto* bytes = std::get_if<std::string>(&body)) return connection_.write(*bytes);
  // No more than the Content-Length sent, also when the file has grown since it was opened.
  auto& file = std::get<platform::ReadOnlyFile>(body);
  std::array<char, 65536> chunk;  // NOLINT(*-member-init): filled by the read
  for (std::uint64_t left = file.size(); left > 0;) {
    const std::size_t n = file.read(
        chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size())));
    if (n == 0) break;
    connection_.write({chunk.data(), n});
    left -= n;
  }
}

}  // namespace verhulzen
