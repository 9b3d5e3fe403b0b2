// POSIX side of the session lock: an flock on a file in the user's runtime
// folder. The kernel drops the lock with the last descriptor, so a killed
// instance never leaves a guard behind.
#include "platform/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/environment.h"

namespace verhulzen::platform {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSessionNamespace = "Local\\";

// A folder only this user may enter: the runtime folder of the session, else
// one of our own under /tmp, refused when someone else owns it or may enter it.
std::optional<fs::path> runtime_folder() {
  if (auto runtime = environment_variable("XDG_RUNTIME_DIR"); runtime && !runtime->empty()) {
    return fs::path(*runtime);
  }
  fs::path folder = "/tmp/drovel-verhulzen-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & 0077) != 0) {
    return std::nullopt;
  }
  return folder;
}

}  // namespace

SessionLock create_session_lock(const std::string& name) {
  std::string_view file_name = name;
  if (file_name.substr(0, kSessionNamespace.size()) == kSessionNamespace) {
    file_name.remove_prefix(kSessionNamespace.size());
  }
  const auto folder = runtime_folder();
  if (!folder) return {};
  const fs::path path = *folder / (std::string(file_name) + ".lock");
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return {};
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return {fd, false};
  const bool held = errno == EWOULDBLOCK;
  close(fd);
  return {0, held};
}

}  // namespace verhulzen::platform
