#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include "platform/environment.h"

namespace verhulzen::platform {

struct ReadOnlyFile::Handle {
  explicit Handle(int descriptor) : fd(descriptor) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { ::close(fd); }
  int fd;
};

ReadOnlyFile::ReadOnlyFile(std::unique_ptr<Handle> handle, std::uint64_t size, double modified)
    : handle_(std::move(handle)), size_(size), modified_(modified) {}
ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&&) noexcept = default;
ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&&) noexcept = default;
ReadOnlyFile::~ReadOnlyFile() = default;

std::optional<ReadOnlyFile> ReadOnlyFile::open(const std::filesystem::path& path) {
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // NOLINT(cppcoreguidelines-pro-type-vararg)
  if (fd < 0) return std::nullopt;
  auto handle = std::make_unique<Handle>(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const double modified =
      static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) / 1e9;
  return ReadOnlyFile(std::move(handle), static_cast<std::uint64_t>(info.st_size), modified);
}

std::size_t ReadOnlyFile::read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t n = ::read(handle_->fd, buffer, capacity);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "read");
  }
}

namespace {

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool replace_file(const std::filesystem::path& path, std::string_view bytes) {
  // A name of its own per process and call, so concurrent writers never share one.
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = path;
  temporary += "." + std::to_string(process_id()) + "-" + std::to_string(++counter) + ".tmp";

  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);  // NOLINT
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace verhulzen::platform
