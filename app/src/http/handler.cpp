#include "http/handler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

#include "http/post_check.h"
#include "http/request_origin.h"
#include "http/serving_rules.h"
#include "http/static_files.h"
#include "json/json_text.h"
#include "ocr/recognition_slots.h"
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

constexpr std::array<Status, 14> kStatuses{{
    {200, "OK", "Request fulfilled, document follows"},
    {204, "No Content", "Request fulfilled, nothing follows"},
    {302, "Found", "Object moved temporarily -- see URI list"},
    {304, "Not Modified", "Document has not changed since given time"},
    {400, "Bad Request", "Bad request syntax or unsupported method"},
    {403, "Forbidden", "Request forbidden -- authorization will not help"},
    {404, "Not Found", "Nothing matches the given URI"},
    {413, "Request Entity Too Large", "Entity is too large"},
    {414, "Request-URI Too Long", "URI is too long"},
    {431, "Request Header Fields Too Large",
     "The server refused this request because the request header fields are too large"},
    {500, "Internal Server Error", "Server got itself in trouble"},
    {501, "Not Implemented", "Server does not support this operation"},
    {503, "Service Unavailable", "The server cannot process the request due to a high load"},
    {505, "HTTP Version Not Supported", "Cannot fulfill request"},
}};

// On every answer, whoever writes it. Cross-Origin-Resource-Policy keeps pages of
// other sites from including what the server answers.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kSecurityHeaders{{
    {"Content-Security-Policy", CSP},
    {"Referrer-Policy", "no-referrer"},
    {"X-Content-Type-Options", "nosniff"},
    {"Cache-Control", "no-store"},
    {"Cross-Origin-Resource-Policy", "same-origin"},
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

Handler::Handler(Connection& connection, const Config& config,
                 const std::optional<platform::WebFolder>& web_folder,
                 std::chrono::milliseconds ocr_wait)
    : connection_(connection), config_(config), web_folder_(web_folder), ocr_wait_(ocr_wait) {}

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

  std::size_t head_size = line.size();
  for (std::size_t count = 0;; ++count) {
    const std::string header = connection_.read_line(MAX_LINE + 1);
    if (header.size() > MAX_LINE) return send_error(431, "Line too long");
    head_size += header.size();
    const std::string_view content = without_line_end(header);
    if (content.empty()) break;
    if (count == MAX_HEADERS) return send_error(431, "Too many headers");
    if (head_size > MAX_HEAD) return send_error(431);
    add_header_line(request, content);
  }
  // A GET or HEAD brings no body; one that declares a body leaves it unread.
  if (request.method != "POST" && !request.header("Content-Length") &&
      !request.header("Transfer-Encoding")) {
    connection_.mark_request_read();
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
  if (request_->target != "/ocr") return answer_post(length);
  // The body is read only once a recognition may start, so that waiting requests
  // hold no image.
  const auto slot = ocr_service::wait_for_recognition(ocr_wait_);
  if (!slot) {
    const Json fout{{"fout",
                     "De tekstherkenning is bezet. Probeer het over enkele ogenblikken "
                     "opnieuw."}};
    Body body = antwoord(503, write_json(fout), "application/json; charset=utf-8");
    return send_body(body);
  }
  answer_post(length);
}

void Handler::answer_post(std::uint64_t length) {
  const std::string data = connection_.read(length);
  // A body cut short is never taken for the whole: it would replace the office list.
  if (data.size() < length) return send_error(400);
  connection_.mark_request_read();
  auto answer = post_answer(request_->target, data, config_);
  Body body = antwoord(answer.code, std::move(answer.body), answer.soort, answer.locatie);
  send_body(body);
}

std::optional<Body> Handler::send_head() {
  if (!toegestaan()) {
    send_error(404);
    return std::nullopt;
  }
  // What the routes tell or do is for our own page alone.
  if (is_launcher_route(request_->target) && from_other_site(*request_)) {
    send_error(403);
    return std::nullopt;
  }
  if (auto routed = launcher_route()) return routed;

  fs::path path = translate_path(request_->target, config_.WEB_DIR);
  platform::WebFolder::Found found = find_in_web_folder(path);
  if (found.is_folder) {
    const std::string_view asked =
        std::string_view(request_->target).substr(0, request_->target.find('?'));
    if (!asked.empty() && asked != "/") {
      send_error(404);
      return std::nullopt;
    }
    request_->target = "/index.html";
    path = translate_path(request_->target, config_.WEB_DIR);
    found = find_in_web_folder(path);
  }
  if (is_refused_name(path) || found.outside) {
    send_error(404);
    return std::nullopt;
  }
  return send_file(path, std::move(found.file));
}

platform::WebFolder::Found Handler::find_in_web_folder(const fs::path& path) const {
  if (!web_folder_) return {};
  return web_folder_->find(path.lexically_relative(config_.WEB_DIR));
}

std::optional<Body> Handler::send_file(const fs::path& path,
                                       std::optional<platform::ReadOnlyFile> file) {
  const std::string_view type = guess_type(path);
  if (!path.has_filename() || !file) {
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
  for (const auto& [name, value] : kSecurityHeaders) send_header(name, value);
  head_ += "\r\n";
  connection_.write(head_);
  head_.clear();
}

void Handler::send_body(Body& body) {
  if (auto* bytes = std::get_if<std::string>(&body)) return connection_.write(*bytes);
  // No more than the Content-Length sent, also when the file has grown since it was opened.
  auto& file = std::get<platform::ReadOnlyFile>(body);
  connection_.send_file(file, file.size());
}

}  // namespace verhulzen
