#include "platform/web_folder.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace verhulzen::platform {

namespace fs = std::filesystem;

// Windows has no open beneath a folder handle: the folder is resolved once and every
// path is checked against it with its links and short names resolved.
struct WebFolder::Handle {
  fs::path root;
};

WebFolder::WebFolder(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
WebFolder::WebFolder(WebFolder&&) noexcept = default;
WebFolder& WebFolder::operator=(WebFolder&&) noexcept = default;
WebFolder::~WebFolder() = default;

std::optional<WebFolder> WebFolder::open(const fs::path& folder) {
  std::error_code error;
  fs::path root = fs::canonical(folder, error);
  if (error || !fs::is_directory(root, error)) return std::nullopt;
  return WebFolder(std::make_unique<Handle>(Handle{std::move(root)}));
}

WebFolder::Found WebFolder::find(const fs::path& relative) const {
  const fs::path& root = handle_->root;
  std::error_code error;
  const fs::path real = fs::weakly_canonical(root / relative, error);
  // A file removed while it is resolved can leave no path and no error: missing.
  if (error || real.empty()) return {};
  if (std::mismatch(root.begin(), root.end(), real.begin(), real.end()).first != root.end()) {
    return {std::nullopt, false, true};
  }
  if (fs::is_directory(real, error)) return {std::nullopt, true};
  return {ReadOnlyFile::open(real), false};
}

}  // namespace verhulzen::platform
