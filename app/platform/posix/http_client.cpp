// The HTTP client on libcurl.
#include "platform/http_client.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "text/ascii_text.h"

namespace verhulzen::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Transfer {
  std::chrono::milliseconds idle_timeout;
  std::size_t body_limit;
  HttpResponse answer;
  bool limit_reached = false;
  // When the connection was made or the peer last sent something; unset while
  // connecting, which has a time-out of its own.
  std::optional<Clock::time_point> last_data;
};

int on_connected(void* user, char* /*ip*/, char* /*local_ip*/, int /*port*/, int /*local_port*/) {
  static_cast<Transfer*>(user)->last_data = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int on_progress(void* user, curl_off_t /*dltotal*/, curl_off_t /*dlnow*/, curl_off_t /*ultotal*/,
                curl_off_t /*ulnow*/) {
  const auto& transfer = *static_cast<Transfer*>(user);
  return transfer.last_data && Clock::now() - *transfer.last_data > transfer.idle_timeout ? 1 : 0;
}

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  transfer.last_data = Clock::now();
  const std::size_t length = size * count;
  const std::size_t room = transfer.body_limit - transfer.answer.body.size();
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
    answer.headers.clear();  // a new answer after a redirect: only the final one counts
    const auto code = line.find(' ');
    const auto reason = code == std::string_view::npos ? code : line.find(' ', code + 1);
    answer.reason =
        reason == std::string_view::npos ? "" : std::string(trim(line.substr(reason + 1)));
  } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
    answer.headers.emplace_back(std::string(line.substr(0, colon)),
                                std::string(trim(line.substr(colon + 1))));
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

std::variant<HttpResponse, std::string> http_request(const HttpRequest& request) {
  static std::once_flag global_init;
  std::call_once(global_init, [] {
    // A thread that made a request may end after the process's exit handlers have
    // run; OpenSSL's own clean-up among them would leave that thread's state behind.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    curl_global_init(CURL_GLOBAL_DEFAULT);
  });

  const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) return std::string("curl_easy_init failed");

  // libcurl's Expect would hold back a POST's body for a second.
  std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, "Expect:"));
  for (const auto& header : request.headers) {
    headers.reset(curl_slist_append(headers.release(), header.c_str()));
  }

  Transfer transfer{request.idle_timeout, request.body_limit, {}, false, std::nullopt};
  char error[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  if (!request.user_agent.empty())
    curl_easy_setopt(c, CURLOPT_USERAGENT, request.user_agent.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  if (request.local) {
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L);
  } else {
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // The feed decides blocks and messages: no one on the way may redirect it to plain http.
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  }
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(request.connect_timeout.count()));
  if (request.total_timeout) {
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(request.total_timeout->count()));
  }
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
  if (request.body) {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body->data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
  }

  const CURLcode result = curl_easy_perform(c);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && transfer.limit_reached)) {
    return std::string(curl_easy_strerror(result)) + (error[0] ? std::string(": ") + error : "");
  }
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &transfer.answer.status);
  return std::move(transfer.answer);
}

}  // namespace verhulzen::platform
