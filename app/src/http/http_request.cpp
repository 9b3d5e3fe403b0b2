#include "http/http_request.h"

#include <algorithm>

#include "text/ascii_text.h"

namespace verhulzen {

namespace {

std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && is_blank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !is_blank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool is_version_number(std::string_view s) { return s.size() <= 10 && all_digits(s); }

}  // namespace

std::string in_quotes(std::string_view text) {
  static constexpr std::string_view hex = "0123456789abcdef";
  std::string out = "'";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '\'') {
      out += '\\';
      out += c;
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xf];
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::optional<std::string> Request::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equal_ignoring_case(key, name)) return value;
  }
  return std::nullopt;
}

std::variant<Request, RequestError> parse_request_line(std::string_view line) {
  const std::vector<std::string_view> words = words_of(line);
  const std::string method = words.empty() ? "" : std::string(words[0]);
  if (words.size() >= 3) {
    const std::string_view version = words.back();
    const std::string_view number = version.substr(std::min<std::size_t>(5, version.size()));
    const std::size_t dot = number.find('.');
    if (!version.starts_with("HTTP/") || dot == std::string_view::npos ||
        !is_version_number(number.substr(0, dot)) || !is_version_number(number.substr(dot + 1))) {
      return RequestError{400, "Bad request version (" + in_quotes(version) + ")", method};
    }
    std::string_view major = number.substr(0, dot);
    while (major.size() > 1 && major.front() == '0') major.remove_prefix(1);
    if (major.size() > 1 || major.front() >= '2') {
      return RequestError{505, "Invalid HTTP version (" + std::string(number) + ")", method};
    }
  }
  if (words.size() != 3) {
    return RequestError{400, "Bad request syntax (" + in_quotes(trim(line)) + ")", method};
  }
  Request request;
  request.method = words[0];
  request.target = words[1];
  if (request.target.starts_with("//")) {
    const std::size_t first = request.target.find_first_not_of('/');
    request.target = "/" + (first == std::string::npos ? "" : request.target.substr(first));
  }
  request.version = words[2];
  return request;
}

bool HeadScan::complete(std::string_view received) {
  if (received.size() > MAX_HEAD) return true;
  for (;;) {
    const std::size_t end = received.find('\n', line_start_);
    if (end == std::string_view::npos) return received.size() - line_start_ > MAX_LINE;
    if (end + 1 - line_start_ > MAX_LINE || lines_ > MAX_HEADERS) return true;
    std::string_view content = received.substr(line_start_, end - line_start_);
    while (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    if (lines_ == 0 ? std::holds_alternative<RequestError>(parse_request_line(content))
                    : content.empty()) {
      return true;
    }
    ++lines_;
    line_start_ = end + 1;
  }
}

void add_header_line(Request& request, std::string_view line) {
  if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
    if (!request.headers.empty()) {
      std::string& value = request.headers.back().second;
      value += ' ';
      value += trim(line);
    }
    return;
  }
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  request.headers.emplace_back(std::string(line.substr(0, colon)),
                               std::string(trim(line.substr(colon + 1))));
}

}  // namespace verhulzen
