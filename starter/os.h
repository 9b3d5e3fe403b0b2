// What the starter asks of the operating system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace starter::os {

std::filesystem::path own_executable();

// The application library's file name here.
std::filesystem::path library_name();

// The user's local application-data folder.
std::filesystem::path local_app_data();

std::uint32_t process_id();

// Creates `folder` with its missing parents for this user alone (0700 on POSIX,
// whatever the umask) and narrows an existing folder of this user to the same.
// Throws std::runtime_error, with the message for the user, when the folder
// belongs to another user or others may write it, or cannot be made.
void create_private_folder(const std::filesystem::path& folder);

// Whether `path` is itself a link to somewhere else: a symbolic link, or on Windows
// any reparse point, a junction too (std::filesystem there takes either for the
// folder it points at).
bool is_link(const std::filesystem::path& path);

// Removes `path` with everything in it, never following a link: one met on the way
// is removed itself, and what it points at stays as it was.
void remove_tree(const std::filesystem::path& path, std::error_code& error);

std::optional<std::string> environment(const std::string& name);

// An exclusive lock on a file, held while the object lives and by the child
// processes the starter starts; the system lets go of it when they all end.
class FileLock {
 public:
  // Creates the file when `create`; nothing when it is missing or locked by another.
  static std::optional<FileLock> take(const std::filesystem::path& path, bool create);
  FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
  FileLock& operator=(FileLock&&) = delete;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

// The library's search path for a child whose carried libraries lie in `folder`,
// and in that child itself: the carried libraries load for it alone, never for
// the processes it starts in turn, such as the browser.
void add_library_folder(std::map<std::string, std::optional<std::string>>& environment,
                        const std::filesystem::path& folder);
void use_library_folder(const std::filesystem::path& folder);

// From now on a request to end the starter waits until the program runs, which
// then gets it: the unpacked folder is never left half-made.
void hold_end_signals();

// Starts this executable again with the same arguments and `changes` to the
// environment (nothing: removed), waits for it and returns its exit status.
// Requests to end the starter are passed on to it. Throws std::system_error
// when it cannot be started.
int run_again(char** argv, const std::map<std::string, std::optional<std::string>>& changes);

// Loads the application library and enters it with the program's arguments as
// UTF-8; returns only on failure, with a description of it.
std::string enter_library(const std::filesystem::path& library, int argc, char** argv);

void unset_environment(const std::string& name);

}  // namespace starter::os
