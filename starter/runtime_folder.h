// The fresh folder the starter unpacks into, under DrovelVerhulzen/runtime in
// the user's local application-data folder, and the removal of old ones.
#pragma once

#include <filesystem>
#include <optional>

#include "os.h"

namespace starter {

class RuntimeFolder {
 public:
  // Creates the folder, named after this process's id and start time, holding
  // its lock first so that no other starter takes it for an old one.
  static RuntimeFolder create(const std::filesystem::path& root);

  const std::filesystem::path& path() const { return path_; }

  // Removes the folder (up to 20 attempts 100 ms apart) and then its lock file;
  // false when the folder stayed, which a later start then removes.
  bool remove();

 private:
  RuntimeFolder(std::filesystem::path path, os::FileLock lock)
      : path_(std::move(path)), lock_(std::move(lock)) {}
  std::filesystem::path path_;
  std::optional<os::FileLock> lock_;
};

// Creates the runtime folder `root` for this user alone. A link in its place (on
// Windows a junction too) is refused with std::runtime_error and the message for
// the user: followed, the clean-up would remove what lies where it points.
void create_runtime_root(const std::filesystem::path& root);

// Removes the folders under `root` that no running starter or program holds. A link
// is never followed: neither `root` nor anything in it.
void remove_stale_folders(const std::filesystem::path& root);

}  // namespace starter
