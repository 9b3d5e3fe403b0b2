// UTF-8 and the UTF-16 of the Windows API, for the Windows platform layer.
#pragma once

#include <string>
#include <string_view>

namespace verhulzen::platform {

// Invalid sequences become U+FFFD either way.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace verhulzen::platform
