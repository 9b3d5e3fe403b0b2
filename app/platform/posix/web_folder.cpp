#include "platform/web_folder.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace verhulzen::platform {

namespace {

// Non-blocking, so that a FIFO planted in the folder cannot hold the request.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Kernels before 5.6, and sandboxes that filter it, lack openat2.
std::atomic<bool> has_openat2{true};

int open_with_openat2(int folder, const char* relative) {
  open_how how{};
  how.flags = kOpenFlags;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  for (;;) {
    const long fd = ::syscall(SYS_openat2, folder, relative, &how, sizeof how);
    if (fd >= 0 || errno != EINTR) return static_cast<int>(fd);
  }
}

// Without openat2: one component after another, following no link at all.
int open_step_by_step(int folder, const std::filesystem::path& relative) {
  int current = folder;
  for (const auto& part : relative) {
    const int next = ::openat(current, part.c_str(), kOpenFlags | O_NOFOLLOW);  // NOLINT
    const int failure = errno;
    if (current != folder) ::close(current);
    if (next < 0) {
      errno = failure;
      return -1;
    }
    current = next;
  }
  return current == folder ? ::dup(folder) : current;
}

}  // namespace

struct WebFolder::Handle {
  explicit Handle(int descriptor) : fd(descriptor) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { ::close(fd); }
  int fd;
};

WebFolder::WebFolder(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
WebFolder::WebFolder(WebFolder&&) noexcept = default;
WebFolder& WebFolder::operator=(WebFolder&&) noexcept = default;
WebFolder::~WebFolder() = default;

std::optional<WebFolder> WebFolder::open(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // NOLINT
  if (fd < 0) return std::nullopt;
  return WebFolder(std::make_unique<Handle>(fd));
}

WebFolder::Found WebFolder::find(const std::filesystem::path& relative) const {
  int fd = -1;
  if (relative.empty()) {
    fd = ::dup(handle_->fd);
  } else if (has_openat2.load(std::memory_order_relaxed)) {
    fd = open_with_openat2(handle_->fd, relative.c_str());
    if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
      has_openat2.store(false, std::memory_order_relaxed);
      fd = open_step_by_step(handle_->fd, relative);
    }
  } else {
    fd = open_step_by_step(handle_->fd, relative);
  }
  // Beneath: EXDEV for a link out, ELOOP for any link when step by step.
  if (fd < 0) return {std::nullopt, false, errno == EXDEV || errno == ELOOP};
  Found found;
  found.file = ReadOnlyFile::adopt(fd, &found.is_folder);
  return found;
}

}  // namespace verhulzen::platform
