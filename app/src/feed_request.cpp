#include "feed_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string_view>

#include "ascii_text.h"
#include "config.h"

namespace verhulzen {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds FEED_WAIT{5};

struct Transfer {
  FeedAnswer answer;
  bool limit_reached = false;
  // When the connection was made or the feed last sent something; unset while
  // connecting, which has a time-out of its own.
  std::optional<Clock::time_point> last_data;
};

int on_connected(void* user, char* /*ip*/, char* /*local_ip*/, int /*port*/, int /*local_port*/) {
  static_cast<Transfer*>(user)->last_data = Clock::now();
  return CURL_PREREQFUNC_OK;
}

// Any wait for data longer than FEED_WAIT ends the request; a slow exchange as a
// whole does not.
int on_progress(void* user, curl_off_t /*dltotal*/, curl_off_t /*dlnow*/, curl_off_t /*ultotal*/,
                curl_off_t /*ulnow*/) {
  const auto& last_data = static_cast<Transfer*>(user)->last_data;
  return last_data && Clock::now() - *last_data > FEED_WAIT ? 1 : 0;
}

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  transfer.last_data = Clock::now();
  const std::size_t length = size * count;
  const std::size_t room = FEED_LIMIT - transfer.answer.body.size();
  transfer.answer.body.append(data, std::min(length, room));
  if (length > room) {
    transfer.limit_reached = true;
    return 0;  // ends the transfer: nothing beyond the limit is read
  }
  return length;
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  transfer.last_data = Clock::now();
  auto& answer = transfer.answer;
  const std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    answer.date.reset();  // a new answer after a redirect: only the final one counts
  } else if (const std::size_t colon = line.find(':'); colon == 4 && !answer.date) {
    if (equal_ignoring_case(line.substr(0, colon), "date")) {
      answer.date = std::string(trim(line.substr(colon + 1)));
    }
  }
  return size * count;
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

std::variant<FeedAnswer, std::string> vraag_feed(const std::string& url) {
  static std::once_flag global_init;
  std::call_once(global_init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) return std::string("curl_easy_init failed");

  // The request's own headers are exactly User-Agent and Cache-Control; libcurl's
  // Accept is removed, and the body is asked for uncompressed.
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const char* header : {"Cache-Control: no-cache", "Accept:", "Accept-Encoding: identity"}) {
    headers.reset(curl_slist_append(headers.release(), header));
  }
  const std::string user_agent = "DrovelVerhulzen/" + std::string(APP_VERSION);

  Transfer transfer;
  char error[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, user_agent.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  // The feed decides what the page shows; no one on the network may redirect it to
  // an unprotected address.
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
  curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, on_connected);
  curl_easy_setopt(c, CURLOPT_PREREQDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);

  const CURLcode result = curl_easy_perform(c);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && transfer.limit_reached)) {
    return std::string(curl_easy_strerror(result)) + (error[0] ? std::string(": ") + error : "");
  }
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &transfer.answer.status);
  return std::move(transfer.answer);
}

}  // namespace verhulzen
