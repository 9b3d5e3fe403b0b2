// Processes, the browser search, the profile-in-use probe, message boxes,
// console interrupts and standard streams: the operating-system side of the
// desktop shell. Everything above this header is the same on every platform.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace verhulzen::platform {

// A process started by start_process. Asking whether it has ended never blocks.
// Copies name the same process and may be used from different threads.
class ChildProcess {
 public:
  bool has_ended();
  // Asks the process to end and waits up to `grace` for it; one that still runs
  // then is ended forcibly.
  void end(std::chrono::milliseconds grace);

 private:
  friend ChildProcess start_process(const std::vector<std::string>& argv);
  struct State;
  explicit ChildProcess(std::intptr_t native);

  std::shared_ptr<State> state_;
};

// Starts argv[0] with the arguments that follow, without a shell, in the current
// folder and environment, handing on none of this process's descriptors or
// standard streams. Throws std::system_error when the program cannot be started.
ChildProcess start_process(const std::vector<std::string>& argv);

// Where the browser is looked for, in this order: first the fixed install
// locations (the first that exists wins), then the commands on the search path.
struct BrowserSearch {
  std::vector<std::filesystem::path> locations;
  std::vector<std::string> commands;
};
BrowserSearch browser_search();

// The full path of command in the folders of PATH, or nothing.
std::optional<std::filesystem::path> find_on_path(const std::string& command);

// Arguments this platform's browser needs beyond the window's own.
std::vector<std::string> extra_browser_arguments();

// True when a running browser holds the lock of the profile folder. A lock left
// behind by a browser that no longer runs is removed and counts as free.
bool profile_in_use(const std::filesystem::path& profile);

// Shows text in a modal information box with an OK button and returns the
// button pressed, or nothing when no box can be shown here.
std::optional<int> message_box(const std::string& caption, const std::string& text);

// Opens url in the user's default browser without waiting for it.
void open_default_browser(const std::string& url);

// When standard output or standard error is missing, points both at the null
// device so that writing to either never fails.
void ensure_standard_streams();

// From now on a console interrupt (or a request to terminate or quit, or the end of
// the terminal) runs on_interrupt
// and ends the process with interrupt_exit_status. Call before any other thread
// is started, so that every thread leaves the signals to the handler.
void on_console_interrupt(std::function<void()> on_interrupt);
extern const int interrupt_exit_status;

}  // namespace verhulzen::platform
