// One HTTP/1.0 request as the server reads it: request line and header lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace verhulzen {

inline constexpr std::size_t MAX_LINE = 65536;
inline constexpr std::size_t MAX_HEADERS = 100;
// The whole head, request line and header lines together: one line of the longest
// kind and then some, far more than a browser sends.
inline constexpr std::size_t MAX_HEAD = 131072;

struct Request {
  std::string method;
  // The request target as sent, with a leading run of "/" reduced to one.
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;

  // The first header of that name, compared without regard to case.
  std::optional<std::string> header(std::string_view name) const;
};

// A request that is refused before it is handled.
struct RequestError {
  int code;
  std::string message;  // reason phrase; empty for the standard one
  std::string method;   // the line's first word: a refused HEAD still gets no body
};

// Text from a request in single quotes, as an error's reason phrase quotes it:
// backslashes and control characters escaped, so that it cannot end the status line.
std::string in_quotes(std::string_view text);

// The request line (without its line end) split into method, target and version.
std::variant<Request, RequestError> parse_request_line(std::string_view line);

// Adds one header line (without its line end); a line that starts with a blank
// continues the previous header.
void add_header_line(Request& request, std::string_view line);

// Follows the bytes of a request as they arrive, until the handler can answer it
// without waiting for more: the head is complete, or it holds a fault that is
// answered at once (a bad request line, a line or a head too long, too many lines).
class HeadScan {
 public:
  // `received`: all bytes so far, the earlier ones unchanged.
  bool complete(std::string_view received);

 private:
  std::size_t line_start_ = 0;
  std::size_t lines_ = 0;
};

}  // namespace verhulzen
