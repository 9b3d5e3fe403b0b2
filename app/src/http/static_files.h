// How a request target maps onto the folder of web files.
#pragma once

#include <filesystem>
#include <string_view>

namespace verhulzen {

// The file-system path that `target` names under `directory`: query and fragment cut
// off, percent escapes decoded, "." and ".." resolved without ever leaving
// `directory`, and segments that could name another folder or drive dropped. A
// target that ends with "/" gives a path without file name.
std::filesystem::path translate_path(std::string_view target,
                                     const std::filesystem::path& directory);

// The content type for a file, from the suffix of its name.
std::string_view guess_type(const std::filesystem::path& path);

// Whether the last component of `path` is a name that is never served.
bool is_refused_name(const std::filesystem::path& path);

}  // namespace verhulzen
