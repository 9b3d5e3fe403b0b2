// What the server sends with the web folder's files: the content-security policy
// of every answer, the content type per suffix, and the names that are never served.
#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "http/content_security_policy.h"

namespace verhulzen {

// Content type per lower-case file suffix; anything else is application/octet-stream.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 9> MIME{{
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".png", "image/png"},
    {".ico", "image/x-icon"},
    {".json", "application/json"},
    {".svg", "image/svg+xml"},
    {".woff2", "font/woff2"},
    {".txt", "text/plain; charset=utf-8"},
}};

// File-name endings that are never served.
inline constexpr std::array<std::string_view, 3> NIET_SERVEREN{".py", ".md", ".htaccess"};

}  // namespace verhulzen
