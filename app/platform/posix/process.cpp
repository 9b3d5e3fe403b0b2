// POSIX side of the desktop shell's processes, browser search, profile lock,
// message boxes, interrupts and standard streams.
#include "platform/process.h"

#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/environment.h"

namespace verhulzen::platform {
namespace fs = std::filesystem;

const int interrupt_exit_status = 130;  // 128 + SIGINT, as shells report it

namespace {

// The signals that on_console_interrupt takes over.
sigset_t interrupt_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  sigaddset(&signals, SIGQUIT);
  return signals;
}

// The child gets /dev/null for its standard streams, no other descriptor of
// ours, default handling of the signals that on_console_interrupt blocks here,
// and an empty signal mask.
pid_t spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  const sigset_t defaults = interrupt_signals();
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  int err = posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (err != 0) throw std::system_error(err, std::generic_category(), "starten van " + argv[0]);
  return pid;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool non_empty_env(const char* name) {
  auto value = environment_variable(name);
  return value && !value->empty();
}

// A zombie still answers kill(pid, 0), but a browser that has ended holds
// nothing: without this a crashed child of ours would hold its lock forever.
bool is_running(pid_t pid) {
  if (kill(pid, 0) != 0 && errno != EPERM) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;  // no /proc here: trust kill
  auto name_end = line.rfind(')');
  return name_end == std::string::npos || name_end + 2 >= line.size() || line[name_end + 2] != 'Z';
}

// Chromium's lock is a symbolic link whose target reads "hostname-pid".
bool names_live_process_here(std::string_view target) {
  auto dash = target.rfind('-');
  if (dash == std::string_view::npos) return false;
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0 || target.substr(0, dash) != host) return false;
  std::string_view digits = target.substr(dash + 1);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
  return pid > 0 && is_running(pid);
}

}  // namespace

struct ChildProcess::State {
  std::mutex lock;
  pid_t pid;
  bool ended = false;

  // Call with the lock held. A process that is no longer our child (-1) has ended too.
  bool reaped(int options) {
    int status = 0;
    if (!ended) ended = waitpid(pid, &status, options) != 0;
    return ended;
  }
};

ChildProcess::ChildProcess(std::intptr_t native) : state_(std::make_shared<State>()) {
  state_->pid = static_cast<pid_t>(native);
}

bool ChildProcess::has_ended() {
  const std::lock_guard guard(state_->lock);
  return state_->reaped(WNOHANG);
}

void ChildProcess::end(std::chrono::milliseconds grace) {
  const auto deadline = std::chrono::steady_clock::now() + grace;
  {
    const std::lock_guard guard(state_->lock);
    if (state_->reaped(WNOHANG)) return;
    kill(state_->pid, SIGTERM);
  }
  while (!has_ended()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      const std::lock_guard guard(state_->lock);
      if (!state_->reaped(WNOHANG)) kill(state_->pid, SIGKILL);
      state_->reaped(0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

ChildProcess start_process(const std::vector<std::string>& argv) {
  return ChildProcess(spawn(argv));
}

BrowserSearch browser_search() {
  return {
      {"/opt/microsoft/msedge/msedge", "/opt/google/chrome/chrome", "/usr/bin/chromium",
       "/snap/bin/chromium"},
      {"microsoft-edge", "microsoft-edge-stable", "google-chrome", "google-chrome-stable",
       "chromium", "chromium-browser"},
  };
}

std::optional<fs::path> find_on_path(const std::string& command) {
  const auto path = environment_variable("PATH");
  if (!path) return std::nullopt;
  std::string_view rest(*path);
  while (true) {
    auto colon = rest.find(':');
    std::string_view dir = rest.substr(0, colon);
    fs::path candidate = fs::path(dir.empty() ? "." : std::string(dir)) / command;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
      return fs::absolute(candidate, ec);
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

std::vector<std::string> extra_browser_arguments() {
  // A throw-away profile keeps no passwords; without this a locked desktop
  // keyring would ask for its password before the window opens.
  std::vector<std::string> args{"--password-store=basic"};
  // Chromium refuses to run as root with its sandbox.
  if (geteuid() == 0) args.emplace_back("--no-sandbox");
  return args;
}

bool profile_in_use(const fs::path& profile) {
  fs::path lock = profile / "SingletonLock";
  char target[PATH_MAX];
  ssize_t n = readlink(lock.c_str(), target, sizeof target);
  if (n < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    if (errno != EINVAL) return true;  // cannot look: assume a browser has it
    // EINVAL: something else than the browser's link stands there; remove it.
  } else if (names_live_process_here(std::string_view(target, static_cast<size_t>(n)))) {
    return true;
  }
  return !(unlink(lock.c_str()) == 0 || errno == ENOENT);
}

std::optional<int> message_box(const std::string& caption, const std::string& text) {
  if (!non_empty_env("DISPLAY") && !non_empty_env("WAYLAND_DISPLAY")) return std::nullopt;
  std::vector<std::string> argv;
  if (auto zenity = find_on_path("zenity")) {
    argv = {zenity->string(), "--info", "--no-markup", "--title=" + caption, "--text=" + text};
  } else if (auto kdialog = find_on_path("kdialog")) {
    argv = {kdialog->string(), "--title", caption, "--msgbox", text};
  } else {
    return std::nullopt;
  }
  int status;
  try {
    status = wait_for(spawn(argv));
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  // 0 is OK, 1 the box closed otherwise: both count as OK, as with a single
  // button. Anything else means the box could not be shown.
  if (status != 0 && status != 1) return std::nullopt;
  return 1;
}

void open_default_browser(const std::string& url) {
  if (auto opener = find_on_path("xdg-open")) {
    try {
      // Waited for aside, so that an opened link leaves no ended process behind.
      std::thread([pid = spawn({opener->string(), url})] { wait_for(pid); }).detach();
    } catch (const std::system_error&) {
    }
  }
}

void ensure_standard_streams() {
  auto missing = [](int fd) { return fcntl(fd, F_GETFD) == -1; };
  if (!missing(STDOUT_FILENO) && !missing(STDERR_FILENO)) return;
  int null = open("/dev/null", O_WRONLY);
  if (null < 0) return;
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  if (null > STDERR_FILENO) close(null);
}

void on_console_interrupt(std::function<void()> on_interrupt) {
  const sigset_t signals = interrupt_signals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals, on_interrupt = std::move(on_interrupt)] {
    int sig = 0;
    sigwait(&signals, &sig);
    try {
      on_interrupt();
    } catch (...) {
    }
    std::fflush(nullptr);
    _exit(interrupt_exit_status);
  }).detach();
}

}  // namespace verhulzen::platform
