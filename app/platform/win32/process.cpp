// Windows side of the desktop shell's processes, browser search, profile lock,
// message boxes, console control events and standard streams.
#include "platform/process.h"

#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <cstdio>
#include <mutex>
#include <string_view>
#include <system_error>

#include "platform/environment.h"
#include "text/utf8.h"
#include "text/win_cmdline.h"
#include "wide_text.h"

namespace verhulzen::platform {
namespace fs = std::filesystem;

// STATUS_CONTROL_C_EXIT, as Windows reports a process ended by Ctrl+C.
const int interrupt_exit_status = static_cast<int>(0xC000013AU);

namespace {

constexpr std::string_view kEdge = "Microsoft/Edge/Application/msedge.exe";
constexpr std::string_view kChrome = "Google/Chrome/Application/chrome.exe";

std::function<void()>& interrupt_handler() {
  static std::function<void()> handler;
  return handler;
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI on_control_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  static std::once_flag once;
  std::call_once(once, [] {
    try {
      interrupt_handler()();
    } catch (...) {
    }
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(interrupt_exit_status));
  });
  return TRUE;
}

bool is_file(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The suffixes that make a command of a file name, as the command line tries them.
std::vector<std::wstring> executable_suffixes() {
  const std::string list = environment_variable("PATHEXT").value_or(".COM;.EXE;.BAT;.CMD");
  std::vector<std::wstring> suffixes;
  std::string_view rest(list);
  while (!rest.empty()) {
    const auto semicolon = rest.find(';');
    if (const auto suffix = rest.substr(0, semicolon); !suffix.empty()) {
      suffixes.push_back(widen(suffix));
    }
    if (semicolon == std::string_view::npos) break;
    rest.remove_prefix(semicolon + 1);
  }
  return suffixes;
}

}  // namespace

struct ChildProcess::State {
  std::mutex lock;
  HANDLE process = nullptr;
  bool ended = false;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (process != nullptr) CloseHandle(process);
  }

  // Call with the lock held.
  bool finished(DWORD wait_ms) {
    if (!ended) ended = WaitForSingleObject(process, wait_ms) != WAIT_TIMEOUT;
    return ended;
  }
};

ChildProcess::ChildProcess(std::intptr_t native) : state_(std::make_shared<State>()) {
  state_->process = reinterpret_cast<HANDLE>(native);
}

bool ChildProcess::has_ended() {
  const std::lock_guard guard(state_->lock);
  return state_->finished(0);
}

namespace {

// Asks every top-level window of the process to close, as its close box would.
BOOL CALLBACK close_window_of(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

void ChildProcess::end(std::chrono::milliseconds grace) {
  const std::lock_guard guard(state_->lock);
  if (state_->finished(0)) return;
  EnumWindows(close_window_of, static_cast<LPARAM>(GetProcessId(state_->process)));
  if (!state_->finished(static_cast<DWORD>(grace.count()))) {
    TerminateProcess(state_->process, 1);
    state_->finished(INFINITE);
  }
}

ChildProcess start_process(const std::vector<std::string>& argv) {
  std::wstring command_line = widen(windows_command_line(argv));
  const std::wstring program = widen(argv.at(0));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // No inherited handles: the child gets none of ours, standard streams included.
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &info)) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "starten van " + argv[0]);
  }
  CloseHandle(info.hThread);
  return ChildProcess(reinterpret_cast<std::intptr_t>(info.hProcess));
}

BrowserSearch browser_search() {
  BrowserSearch search;
  for (const char* base : {"ProgramFiles(x86)", "ProgramFiles", "LOCALAPPDATA"}) {
    const auto folder = environment_variable(base);
    if (!folder || folder->empty()) continue;
    for (const auto below : {kEdge, kChrome}) {
      search.locations.push_back(
          (path_from_utf8(*folder) / path_from_utf8(below)).make_preferred());
    }
  }
  search.commands = {"msedge", "chrome"};
  return search;
}

std::optional<fs::path> find_on_path(const std::string& command) {
  const auto path = environment_variable("PATH");
  if (!path) return std::nullopt;
  const fs::path name = path_from_utf8(command);
  const bool has_suffix = name.has_extension();
  const auto suffixes = executable_suffixes();
  std::string_view rest(*path);
  while (true) {
    const auto semicolon = rest.find(';');
    const std::string_view folder = rest.substr(0, semicolon);
    if (!folder.empty()) {
      const fs::path base = path_from_utf8(folder) / name;
      if (has_suffix && is_file(base)) return base;
      for (const auto& suffix : suffixes) {
        fs::path candidate = base;
        candidate += suffix;
        if (is_file(candidate)) return candidate;
      }
    }
    if (semicolon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(semicolon + 1);
  }
}

std::vector<std::string> extra_browser_arguments() { return {}; }

// The browser keeps "lockfile" open without delete sharing while the profile is
// in use; after it ends the file can be deleted, or is gone.
bool profile_in_use(const fs::path& profile) {
  const fs::path lock = profile / "lockfile";
  if (DeleteFileW(lock.c_str())) return false;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::optional<int> message_box(const std::string& caption, const std::string& text) {
  constexpr UINT kInformation = MB_ICONINFORMATION | MB_OK;
  const int button =
      MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(), kInformation);
  if (button == 0) return std::nullopt;
  return button;
}

void open_default_browser(const std::string& url) {
  ShellExecuteW(nullptr, L"open", widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ensure_standard_streams() {
  auto missing = [](DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
  };
  if (!missing(STD_OUTPUT_HANDLE) && !missing(STD_ERROR_HANDLE)) return;
  if (std::freopen("NUL", "w", stdout) == nullptr) return;
  std::freopen("NUL", "w", stderr);
}

void on_console_interrupt(std::function<void()> on_interrupt) {
  interrupt_handler() = std::move(on_interrupt);
  SetConsoleCtrlHandler(on_control_event, TRUE);
}

}  // namespace verhulzen::platform
