#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
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

// The writer's process id in a temporary name "<file>.<pid>-<n>.tmp", or 0.
pid_t writer_of(std::string_view temporary, std::string_view file) {
  if (!temporary.starts_with(file) || !temporary.ends_with(".tmp")) return 0;
  temporary = temporary.substr(file.size(), temporary.size() - file.size() - 4);
  const std::size_t dash = temporary.find('-');
  if (!temporary.starts_with('.') || dash == std::string_view::npos) return 0;
  const std::string_view pid = temporary.substr(1, dash - 1);
  const std::string_view n = temporary.substr(dash + 1);
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == s.npos;
  };
  return digits(pid) && digits(n) ? static_cast<pid_t>(std::stol(std::string(pid))) : 0;
}

// A write killed between creating its temporary file and renaming it leaves that
// file behind; once its process is gone nobody else will remove it.
void remove_stale_temporaries(const std::filesystem::path& path) {
  const std::string file = path.filename().string();
  std::error_code error;
  for (std::filesystem::directory_iterator it(path.parent_path(), error), end; !error && it != end;
       it.increment(error)) {
    const pid_t writer = writer_of(it->path().filename().string(), file);
    if (writer > 0 && ::kill(writer, 0) != 0 && errno == ESRCH) ::unlink(it->path().c_str());
  }
}

}  // namespace

bool replace_file(const std::filesystem::path& path, std::string_view bytes) {
  // Through a rename, a file that may not be written would be replaced anyway.
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && ::access(path.c_str(), W_OK) != 0) return false;
  remove_stale_temporaries(path);

  // A name of its own per process and call, so concurrent writers never share one.
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = path;
  temporary += "." + std::to_string(process_id()) + "-" + std::to_string(++counter) + ".tmp";

  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);  // NOLINT
  if (fd < 0) return false;
  const bool kept_mode = !exists || ::fchmod(fd, existing.st_mode & 07777) == 0;
  const bool written = kept_mode && write_all(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace verhulzen::platform
