// The folder of web files, resolved and opened once when the server starts: every
// file is opened beneath it, so that neither a ".." nor a link leads a request out.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/files.h"

namespace verhulzen::platform {

class WebFolder {
 public:
  // nullopt when the folder cannot be opened.
  static std::optional<WebFolder> open(const std::filesystem::path& folder);

  WebFolder(WebFolder&&) noexcept;
  WebFolder& operator=(WebFolder&&) noexcept;
  ~WebFolder();

  struct Found {
    std::optional<ReadOnlyFile> file;  // a regular file beneath the folder
    bool is_folder = false;            // a folder beneath it, the folder itself included
    bool outside = false;              // a link on the way leads out of the folder
  };
  // What `relative` (segments below the folder, none of them "." or "..") names;
  // none of them when it is missing, unreadable or of another kind.
  Found find(const std::filesystem::path& relative) const;

 private:
  struct Handle;
  explicit WebFolder(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
};

}  // namespace verhulzen::platform
