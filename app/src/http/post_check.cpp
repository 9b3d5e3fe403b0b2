#include "http/post_check.h"

#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "http/request_origin.h"
#include "routes/launcher_routes.h"
#include "text/ascii_text.h"

namespace verhulzen {

namespace {

// A decimal integer with an optional sign and blanks around it; saturates far beyond
// every limit, so that a huge value is refused as too large, not as no number.
std::optional<std::int64_t> parse_length(std::string_view text) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (!all_digits(text)) return std::nullopt;
  constexpr std::int64_t kCeiling = std::numeric_limits<std::int64_t>::max() / 10;
  std::int64_t value = 0;
  for (const char c : text) {
    if (value < kCeiling) value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::variant<ReadBody, Refuse> check_post(const Request& request, bool host_allowed) {
  const bool is_ocr = request.target == "/ocr";
  if (!host_allowed || (!is_ocr && request.target != "/kantoorlijst") ||
      names_other_origin(request)) {
    return Refuse{404};
  }
  // Without a length the body's end is unknown; reading it as empty would store an
  // empty office list in place of the one that was sent.
  if (request.header("Transfer-Encoding")) return Refuse{400};
  const std::string header = request.header("Content-Length").value_or("");
  std::int64_t lengte = 0;
  if (!trim(header).empty()) {
    const auto parsed = parse_length(header);
    if (!parsed) return Refuse{0};
    lengte = *parsed;
  }
  const std::int64_t maximum = is_ocr ? MAX_OCR_BODY : MAX_KANTOORLIJST_BODY;
  if (lengte < 0 || lengte > maximum || (is_ocr && lengte == 0)) return Refuse{413};
  return ReadBody{static_cast<std::uint64_t>(lengte)};
}

}  // namespace verhulzen
