// POSIX side of the starter.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <system_error>

#include "os.h"

extern char** environ;

namespace starter::os {
namespace fs = std::filesystem;

namespace {

constexpr const char* kLibraryPath = "LD_LIBRARY_PATH";
constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;

[[noreturn]] void cannot_make(const fs::path& folder) {
  throw std::system_error(errno, std::generic_category(),
                          "kan de map " + folder.string() + " niet aanmaken");
}

std::string of_another_user(const fs::path& folder) {
  return "de map " + folder.string() +
         " is van een andere gebruiker; Drovel Verhulzen gebruikt deze map daarom niet.";
}

// Parents that exist stay as they are (the home folder); the ones made here are
// the user's alone, also when the umask would leave others more.
void create_missing_parents(const fs::path& folder) {
  struct stat info {};
  if (folder.empty() || stat(folder.c_str(), &info) == 0) return;
  create_missing_parents(folder.parent_path());
  if (mkdir(folder.c_str(), kPrivateFolder) != 0) {
    if (errno == EEXIST) return;
    cannot_make(folder);
  }
  if (chmod(folder.c_str(), kPrivateFolder) != 0) cannot_make(folder);
}

// What ends a program: passed on to the child, never ending the starter first.
sigset_t end_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD}) sigaddset(&signals, s);
  return signals;
}

// The mask the starter was started with, for the second process; set once the
// end signals are held.
sigset_t original_mask;
bool holding = false;

void release_end_signals() {
  sigprocmask(SIG_SETMASK, &original_mask, nullptr);
  holding = false;
}

int exit_status(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return 1;
}

// A new lock file appears under its name already locked: made without a name,
// locked, then linked in. Created under its name and then locked, another
// starter could take it in between for the lock of a folder nobody owns.
int create_locked(const fs::path& path) {
  const int fd = open(path.parent_path().c_str(), O_TMPFILE | O_RDWR, kPrivateFile);
  if (fd < 0) {
    // A file system without unnamed files: the short window stays open.
    return errno == EOPNOTSUPP || errno == EISDIR
               ? open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CREAT | O_EXCL, kPrivateFile)
               : -1;
  }
  fchmod(fd, kPrivateFile);  // the umask may have taken bits of it
  const std::string unnamed = "/proc/self/fd/" + std::to_string(fd);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

fs::path library_name() { return "verhulzen_app.so"; }

fs::path own_executable() { return fs::read_symlink("/proc/self/exe"); }

// Relative, the variable is no folder to go by.
fs::path local_app_data() {
  if (auto data = environment("XDG_DATA_HOME"); data && data->starts_with('/'))
    return fs::path(*data);
  const auto home = environment("HOME");
  return fs::path(home ? *home : "/") / ".local" / "share";
}

std::uint32_t process_id() { return static_cast<std::uint32_t>(getpid()); }

// Another user, or anyone who may write the folder, could replace the library or
// the page before they are loaded.
void create_private_folder(const fs::path& folder) {
  create_missing_parents(folder.parent_path());
  if (mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) cannot_make(folder);
  // A link that another user made could point elsewhere later: the link must be ours.
  struct stat entry {};
  if (lstat(folder.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode) && entry.st_uid != geteuid())
    throw std::runtime_error(of_another_user(folder));
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) cannot_make(folder);
  struct stat info {};
  const bool known = fstat(fd, &info) == 0;
  const bool own = known && info.st_uid == geteuid();
  const bool shared = known && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  const bool narrowed =
      own && !shared &&
      ((info.st_mode & 07777) == kPrivateFolder || fchmod(fd, kPrivateFolder) == 0);
  close(fd);
  if (known && !own) throw std::runtime_error(of_another_user(folder));
  if (shared) {
    throw std::runtime_error(
        "de map " + folder.string() +
        " kan door andere gebruikers worden gewijzigd; Drovel Verhulzen gebruikt "
        "deze map daarom niet. Controleer de inhoud en maak deze map alleen voor "
        "uzelf toegankelijk (chmod 700).");
  }
  if (!narrowed) cannot_make(folder);
}

bool is_link(const fs::path& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// libstdc++'s remove_all looks at each entry without following it and opens each
// folder it empties with O_NOFOLLOW: a link is removed as the link it is.
void remove_tree(const fs::path& path, std::error_code& error) { fs::remove_all(path, error); }

std::optional<std::string> environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());  // NOLINT(concurrency-mt-unsafe): one thread
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void unset_environment(const std::string& name) {
  unsetenv(name.c_str());  // NOLINT(concurrency-mt-unsafe): one thread
}

std::optional<FileLock> FileLock::take(const fs::path& path, bool create) {
  // Not close-on-exec: the second process holds the lock as long as it runs.
  const int fd = create ? create_locked(path) : open(path.c_str(), O_RDWR | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

FileLock::~FileLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

void add_library_folder(std::map<std::string, std::optional<std::string>>& changes,
                        const fs::path& folder) {
  const auto earlier = environment(kLibraryPath);
  changes[kLibraryPath] = folder.string() + (earlier && !earlier->empty() ? ":" + *earlier : "");
}

// The loader has read the search path at start; children such as the browser
// must not load the carried libraries.
void use_library_folder(const fs::path& folder) {
  auto path = environment(kLibraryPath).value_or("");
  const std::string own = folder.string();
  if (path == own) {
    unset_environment(kLibraryPath);
  } else if (path.starts_with(own + ":")) {
    setenv(kLibraryPath, path.substr(own.size() + 1).c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
  }
}

int run_again(char** argv, const std::map<std::string, std::optional<std::string>>& changes) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) env.emplace(entry.substr(0, eq), entry.substr(eq + 1));
  }
  for (const auto& [name, value] : changes) {
    if (value) {
      env[name] = *value;
    } else {
      env.erase(name);
    }
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  // Inherited as ignored, a child's end would raise no signal and leave no status.
  signal(SIGCHLD, SIG_DFL);
  const sigset_t signals = end_signals();
  hold_end_signals();
  const sigset_t earlier = original_mask;
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setsigmask(&attr, &earlier);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  pid_t child = 0;
  const std::string self = own_executable().string();
  const int error = posix_spawn(&child, self.c_str(), nullptr, &attr, argv, envp.data());
  posix_spawnattr_destroy(&attr);
  if (error != 0) {
    release_end_signals();
    throw std::system_error(error, std::generic_category(), "kan het programma niet starten");
  }

  for (;;) {
    siginfo_t info{};
    if (sigwaitinfo(&signals, &info) < 0) continue;
    if (info.si_signo != SIGCHLD) {
      // A terminal's interrupt reaches the child by itself; what was sent to the
      // starter alone is passed on.
      if (info.si_code == SI_USER || info.si_code == SI_QUEUE) kill(child, info.si_signo);
      continue;
    }
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) {
      release_end_signals();
      return exit_status(status);
    }
  }
}

void hold_end_signals() {
  if (holding) return;
  const sigset_t signals = end_signals();
  sigprocmask(SIG_BLOCK, &signals, &original_mask);
  holding = true;
}

std::string enter_library(const fs::path& library, int argc, char** argv) {
  void* handle = dlopen(library.c_str(), RTLD_NOW);
  if (handle == nullptr) return dlerror();  // NOLINT(concurrency-mt-unsafe): one thread
  using RunCode = int (*)(int, char**, const char*);
  auto run_code = reinterpret_cast<RunCode>(dlsym(handle, "run_code"));
  if (run_code == nullptr) return dlerror();  // NOLINT(concurrency-mt-unsafe): one thread
  std::exit(run_code(argc, argv, library.c_str()));
}

}  // namespace starter::os
