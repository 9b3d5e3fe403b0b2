// The HTTP client on WinHTTP: the system's certificate store and proxy settings.
#include "platform/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

#include "text/ascii_text.h"
#include "wide_text.h"

namespace verhulzen::platform {
namespace {

struct HandleCloser {
  void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::string failure(const char* step) {
  const DWORD error = GetLastError();
  wchar_t* text = nullptr;
  const HMODULE module = GetModuleHandleW(L"winhttp.dll");
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                     FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 module, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = std::string(step) + " failed (" + std::to_string(error) + ")";
  if (text != nullptr) {
    message += ": " + std::string(trim(narrow(text)));
    LocalFree(text);
  }
  return message;
}

std::wstring query_text(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (size == 0) return {};
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(size / sizeof(wchar_t));
  return text;
}

// The raw head, "HTTP/1.1 200 OK\r\nName: value\r\n...", split into its lines.
void read_head(HINTERNET request, HttpResponse& answer) {
  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  answer.status = static_cast<long>(status);
  answer.reason = std::string(trim(narrow(query_text(request, WINHTTP_QUERY_STATUS_TEXT))));
  const std::string head = narrow(query_text(request, WINHTTP_QUERY_RAW_HEADERS_CRLF));
  std::string_view rest(head);
  bool status_line = true;
  while (!rest.empty()) {
    const auto end = rest.find("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    if (std::exchange(status_line, false)) continue;
    if (const auto colon = line.find(':'); colon != std::string_view::npos) {
      answer.headers.emplace_back(std::string(line.substr(0, colon)),
                                  std::string(trim(line.substr(colon + 1))));
    }
  }
}

}  // namespace

std::variant<HttpResponse, std::string> http_request(const HttpRequest& request) {
  const std::wstring url = widen(request.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return failure("WinHttpCrackUrl");
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  if (secure && request.local) return std::string("only http is allowed here");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  const std::wstring agent = widen(request.user_agent);
  const Handle session(WinHttpOpen(
      agent.empty() ? nullptr : agent.c_str(),
      request.local ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return failure("WinHttpOpen");

  const int connect = static_cast<int>(request.connect_timeout.count());
  const int idle = static_cast<int>(request.idle_timeout.count());
  const Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return failure("WinHttpConnect");
  // The path goes out as written: no escaping, no folding of "..".
  const DWORD flags = (secure ? WINHTTP_FLAG_SECURE : 0) | WINHTTP_FLAG_ESCAPE_DISABLE |
                      WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
  const Handle handle(WinHttpOpenRequest(connection.get(), request.body ? L"POST" : L"GET",
                                         path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
  if (!handle) return failure("WinHttpOpenRequest");
  HINTERNET req = handle.get();
  // Set on the request itself: the wait for the head has a time-out of its own.
  WinHttpSetTimeouts(req, connect, connect, idle, idle);
  DWORD head_wait = static_cast<DWORD>(idle);
  WinHttpSetOption(req, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &head_wait, sizeof head_wait);
  // Never from https down to plain http: the feed decides blocks and messages.
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
  WinHttpSetOption(req, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
  DWORD redirects = 10;
  WinHttpSetOption(req, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);

  for (const auto& header : request.headers) {
    const auto colon = header.find(':');
    // "Name:" drops the header; WinHTTP sends no Accept of its own anyway.
    if (colon != std::string::npos && trim(std::string_view(header).substr(colon + 1)).empty()) {
      continue;
    }
    const std::wstring line = widen(header);
    WinHttpAddRequestHeaders(req, line.c_str(), static_cast<DWORD>(line.size()),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
  }

  const DWORD body_size = request.body ? static_cast<DWORD>(request.body->size()) : 0;
  void* body = request.body ? const_cast<char*>(request.body->data()) : nullptr;
  if (!WinHttpSendRequest(req, WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, body_size, body_size, 0)) {
    return failure("WinHttpSendRequest");
  }
  if (!WinHttpReceiveResponse(req, nullptr)) return failure("WinHttpReceiveResponse");

  HttpResponse answer;
  read_head(req, answer);
  char buffer[16384];
  // WinHTTP times each wait only: the whole exchange is checked between reads.
  const auto started = std::chrono::steady_clock::now();
  while (answer.body.size() < request.body_limit) {
    if (request.total_timeout &&
        std::chrono::steady_clock::now() - started > *request.total_timeout) {
      return std::string("Operation timed out: the whole request took too long");
    }
    const DWORD wanted = static_cast<DWORD>(
        std::min<std::size_t>(sizeof buffer, request.body_limit - answer.body.size()));
    DWORD read = 0;
    if (!WinHttpReadData(req, buffer, wanted, &read)) return failure("WinHttpReadData");
    if (read == 0) break;
    answer.body.append(buffer, read);
  }
  return answer;
}

}  // namespace verhulzen::platform
