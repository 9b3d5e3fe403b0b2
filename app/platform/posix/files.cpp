#include "platform/files.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>
#include <system_error>

#include "platform/environment.h"

namespace verhulzen::platform {

namespace {

// Non-blocking, so that a FIFO in the file's place is refused by adopt instead of
// holding the caller until some writer opens it; a regular file reads as ever.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

}  // namespace

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
  const int fd = ::open(path.c_str(), kReadFlags);  // NOLINT(cppcoreguidelines-pro-type-vararg)
  if (fd < 0) return std::nullopt;
  return adopt(fd);
}

std::optional<ReadOnlyFile> ReadOnlyFile::adopt(std::intptr_t native, bool* is_folder) {
  const int fd = static_cast<int>(native);
  auto handle = std::make_unique<Handle>(fd);
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  if (is_folder) *is_folder = known && S_ISDIR(info.st_mode);
  if (!known || !S_ISREG(info.st_mode)) return std::nullopt;
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

std::optional<std::size_t> ReadOnlyFile::send_to(std::intptr_t socket, std::uint64_t offset,
                                                 std::size_t count) {
  // sendfile has no MSG_NOSIGNAL: a peer gone away would end the process with SIGPIPE.
  // Blocked on this thread, the signal stays pending and the call fails with EPIPE.
  static thread_local const bool pipe_signal_blocked = [] {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    return ::pthread_sigmask(SIG_BLOCK, &pipe, nullptr) == 0;
  }();
  (void)pipe_signal_blocked;
  auto position = static_cast<off_t>(offset);
  for (;;) {
    const ssize_t n = ::sendfile(static_cast<int>(socket), handle_->fd, &position, count);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK) return std::nullopt;
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "sendfile");
  }
}

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;

struct Kind {
  std::string_view noun;      // "De map"
  std::string_view this_one;  // "deze map"
  std::string_view mode;      // what the user may set it to
};
constexpr Kind kFolder{"De map", "deze map", "700"};
constexpr Kind kFile{"Het bestand", "dit bestand", "600"};

// Why an entry with `info` may not be used: another user, or others, could have put
// in it what the program then runs, serves or reads.
std::optional<std::string> problem_of(const struct stat& info, const Kind& kind,
                                      const std::filesystem::path& path) {
  const std::string what = std::string(kind.noun) + " " + path.string();
  const std::string refused =
      "Drovel Verhulzen gebruikt " + std::string(kind.this_one) + " daarom niet";
  if (info.st_uid != ::geteuid()) return what + " is van een andere gebruiker. " + refused + ".";
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return what + " kan door andere gebruikers worden gewijzigd. " + refused +
           "; controleer de inhoud en maak " + std::string(kind.this_one) +
           " alleen voor uzelf toegankelijk (chmod " + std::string(kind.mode) + ").";
  }
  return std::nullopt;
}

[[noreturn]] void fail(const char* what, const std::filesystem::path& path) {
  throw std::filesystem::filesystem_error(what, path,
                                          std::error_code(errno, std::generic_category()));
}

// Parents that exist stay as they are (the home folder, /tmp); the ones made here
// are this user's alone, also when the umask would leave others more.
void create_missing_parents(const std::filesystem::path& folder) {
  struct stat info {};
  if (folder.empty() || ::stat(folder.c_str(), &info) == 0) return;
  create_missing_parents(folder.parent_path());
  if (::mkdir(folder.c_str(), kPrivateFolder) != 0) {
    if (errno == EEXIST) return;
    fail("kan de map niet aanmaken", folder);
  }
  if (::chmod(folder.c_str(), kPrivateFolder) != 0) fail("kan de map niet afschermen", folder);
}

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

void create_private_folder(const std::filesystem::path& folder) {
  create_missing_parents(folder.parent_path());
  if (::mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
    fail("kan de map niet aanmaken", folder);
  }
  // A link that another user made could point elsewhere later: the link must be ours.
  struct stat entry {};
  if (::lstat(folder.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode) &&
      entry.st_uid != ::geteuid()) {
    throw UnsafeLocation(*problem_of(entry, kFolder, folder));
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // NOLINT
  if (fd < 0) fail("kan de map niet openen", folder);
  struct stat info {};
  std::optional<std::string> problem;
  bool narrowed = true;
  if (::fstat(fd, &info) != 0) {
    narrowed = false;
  } else if (problem = problem_of(info, kFolder, folder); !problem) {
    narrowed = (info.st_mode & 07777) == kPrivateFolder || ::fchmod(fd, kPrivateFolder) == 0;
  }
  const int error = errno;
  ::close(fd);
  if (problem) throw UnsafeLocation(*problem);
  if (!narrowed) {
    errno = error;
    fail("kan de map niet afschermen", folder);
  }
}

std::optional<std::string> private_file_problem(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return std::nullopt;
  return problem_of(info, kFile, file);
}

bool is_link(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// libstdc++'s remove_all looks at each entry without following it and opens each
// folder it empties with O_NOFOLLOW: a link is removed as the link it is.
std::error_code remove_tree(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return error;
}

std::optional<ReadOnlyFile> open_own_file(const std::filesystem::path& path) {
  const int fd =
      ::open(path.c_str(), kReadFlags | O_NOFOLLOW);  // NOLINT(cppcoreguidelines-pro-type-vararg)
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
    ::close(fd);
    return std::nullopt;
  }
  return ReadOnlyFile::adopt(fd);  // closes what is no regular file
}

bool replace_file(const std::filesystem::path& path, std::string_view bytes) {
  // Through a rename, a file that may not be written would be replaced anyway.
  const bool exists = ::access(path.c_str(), F_OK) == 0;
  if (exists && (::access(path.c_str(), W_OK) != 0 || private_file_problem(path))) return false;
  remove_stale_temporaries(path);

  // A name of its own per process and call, so concurrent writers never share one.
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = path;
  temporary += "." + std::to_string(process_id()) + "-" + std::to_string(++counter) + ".tmp";

  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFile);  // NOLINT
  if (fd < 0) return false;
  // The umask may have taken bits of the mode asked for; never more.
  const bool written = ::fchmod(fd, kPrivateFile) == 0 && write_all(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace verhulzen::platform
