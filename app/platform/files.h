// File access of the desktop side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace verhulzen::platform {

// A regular file opened for reading, with the size and modification time it had
// when it was opened; later renames or deletions do not affect what is read.
class ReadOnlyFile {
 public:
  // nullopt when the path names no regular file (a folder, a device, a named pipe)
  // or it cannot be opened; never waits for a pipe's writer.
  static std::optional<ReadOnlyFile> open(const std::filesystem::path& path);
  // Takes over an open descriptor (a HANDLE on Windows); nullopt, and closed, when
  // it is no regular file, with `is_folder` set when it is a folder.
  static std::optional<ReadOnlyFile> adopt(std::intptr_t native, bool* is_folder = nullptr);

  ReadOnlyFile(ReadOnlyFile&&) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&&) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  std::uint64_t size() const { return size_; }
  // Seconds since the Unix epoch, with fraction.
  double modified() const { return modified_; }

  // Reads up to `capacity` bytes; 0 at the end of the file. Throws on a read error.
  std::size_t read(char* buffer, std::size_t capacity);
  // Sends up to `count` bytes from `offset` to a non-blocking socket, without
  // passing them through our memory where the system can; nullopt when the socket
  // takes nothing now, 0 at the end of the file. Throws on an error.
  std::optional<std::size_t> send_to(std::intptr_t socket, std::uint64_t offset, std::size_t count);

 private:
  struct Handle;
  ReadOnlyFile(std::unique_ptr<Handle> handle, std::uint64_t size, double modified);

  std::unique_ptr<Handle> handle_;
  std::uint64_t size_ = 0;
  double modified_ = 0;
};

// The whole content of a regular file, or nullopt when it cannot be read or the
// path names anything else (see ReadOnlyFile::open).
std::optional<std::string> read_file(const std::filesystem::path& path);

// Replaces the file's content with `bytes` through a temporary file in the same
// folder, so that readers and a crash see either the old or the new content.
// The file is this user's alone afterwards (0600 on POSIX, whatever the umask); one
// that exists but may not be written, or that private_file_problem refuses, is left
// unchanged. Temporary files that killed writers left behind are removed first.
// Returns false when any step fails; the old file is then left as it was.
bool replace_file(const std::filesystem::path& path, std::string_view bytes);

// A folder or file that belongs to another user or that others may change: what
// the program keeps or runs there could be replaced behind its back.
class UnsafeLocation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Creates `folder` with its missing parents for this user alone (0700 on POSIX,
// whatever the umask) and narrows an existing folder of this user to the same.
// Throws UnsafeLocation, with the message for the user, when the folder belongs to
// another user or others may write it, and std::filesystem::filesystem_error when
// it cannot be made.
void create_private_folder(const std::filesystem::path& folder);

// Why an existing file may not be used (it belongs to another user or others may
// write it), in words for the user; nullopt for a missing file or one that is fine.
std::optional<std::string> private_file_problem(const std::filesystem::path& file);

// Whether `path` is itself a link to somewhere else: a symbolic link, or on Windows
// any reparse point, a junction too (std::filesystem there takes either for the
// folder it points at).
bool is_link(const std::filesystem::path& path);

// Removes `path` with everything in it, as std::filesystem::remove_all does, but
// never follows a link: one met on the way is removed itself, and what it points at
// stays as it was. The first failure ends the removal and is returned.
std::error_code remove_tree(const std::filesystem::path& path);

// Opens `path` for reading when it names, itself and not through a link, a regular
// file of this user; nullopt for anything else (a link, a pipe, a folder, a file of
// another user). Never waits on a pipe.
std::optional<ReadOnlyFile> open_own_file(const std::filesystem::path& path);

// The whole content of the file that open_own_file opens, or nullopt.
std::optional<std::string> read_own_file(const std::filesystem::path& path);

}  // namespace verhulzen::platform
