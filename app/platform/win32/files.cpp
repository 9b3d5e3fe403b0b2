#include "platform/files.h"

#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "platform/environment.h"

namespace verhulzen::platform {

namespace {

// FILETIME counts 100 ns steps from 1601; the Unix epoch lies this many after it.
constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

double unix_seconds(FILETIME time) {
  const ULONGLONG ticks = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return (static_cast<double>(ticks) - static_cast<double>(kUnixEpoch)) / 1e7;
}

bool write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Others may rename or delete the file meanwhile; the handle reads on.
HANDLE open_for_reading(const std::filesystem::path& path, DWORD flags) {
  return CreateFileW(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     flags, nullptr);
}

// Moves the open file over `target` even while readers hold the old one open:
// they read on in what they opened, as on POSIX.
bool rename_over(HANDLE file, const std::filesystem::path& target) {
  const std::wstring name = target.wstring();
  std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  // Windows 10 widened the first member to flags; these headers show the old one.
  const DWORD flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
  std::memcpy(buffer.data(), &flags, sizeof flags);
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), info->FileNameLength);
  return SetFileInformationByHandle(file, kFileRenameInfoEx, info,
                                    static_cast<DWORD>(buffer.size()));
}

}  // namespace

struct ReadOnlyFile::Handle {
  explicit Handle(HANDLE h) : file(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { CloseHandle(file); }
  HANDLE file;
};

ReadOnlyFile::ReadOnlyFile(std::unique_ptr<Handle> handle, std::uint64_t size, double modified)
    : handle_(std::move(handle)), size_(size), modified_(modified) {}
ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&&) noexcept = default;
ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&&) noexcept = default;
ReadOnlyFile::~ReadOnlyFile() = default;

// Unlike POSIX, Windows has no named pipe inside a folder of the file system, and
// opening a device name (CON, NUL and the like name their device in every folder)
// does not wait: adopt then refuses the handle by its type before anything is read.
std::optional<ReadOnlyFile> ReadOnlyFile::open(const std::filesystem::path& path) {
  const HANDLE file = open_for_reading(path, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;  // folders too: they need backup semantics
  return adopt(reinterpret_cast<std::intptr_t>(file));
}

std::optional<ReadOnlyFile> ReadOnlyFile::adopt(std::intptr_t native, bool* is_folder) {
  const auto file = reinterpret_cast<HANDLE>(native);
  auto handle = std::make_unique<Handle>(file);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info);
  if (is_folder) *is_folder = known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      GetFileType(file) != FILE_TYPE_DISK) {
    return std::nullopt;
  }
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return ReadOnlyFile(std::move(handle), size, unix_seconds(info.ftLastWriteTime));
}

std::size_t ReadOnlyFile::read(char* buffer, std::size_t capacity) {
  DWORD n = 0;
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, 1U << 30));
  if (!ReadFile(handle_->file, buffer, chunk, &n, nullptr)) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "read");
  }
  return n;
}

// The per-user folders (LOCALAPPDATA and the package's LocalState) carry the
// user's own access list, which what is made in them inherits: nothing to narrow
// or refuse here, unlike POSIX with its umask and shared folders.
void create_private_folder(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
}

std::optional<std::string> private_file_problem(const std::filesystem::path& /*file*/) {
  return std::nullopt;
}

bool is_link(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// std::filesystem here takes a junction, or a symbolic link to a folder, for the folder
// it points at, and remove_all would empty that folder: the reparse-point attribute,
// which the link itself carries, tells them apart.
std::error_code remove_tree(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    return {static_cast<int>(error), std::system_category()};
  }
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
      if (const auto inner = remove_tree(it->path())) return inner;
    }
    if (error) return error;
  }
  // A link to a folder is a folder entry: RemoveDirectoryW takes the link itself away.
  if (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) return {};
  return {static_cast<int>(GetLastError()), std::system_category()};
}

// Under the user's own access list, as create_private_folder says: only a link is refused.
std::optional<ReadOnlyFile> open_own_file(const std::filesystem::path& path) {
  const HANDLE file = open_for_reading(path, FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    CloseHandle(file);
    return std::nullopt;
  }
  return ReadOnlyFile::adopt(reinterpret_cast<std::intptr_t>(file));
}

// Windows sends a file from our memory: read at the offset, then send what fits.
std::optional<std::size_t> ReadOnlyFile::send_to(std::intptr_t socket, std::uint64_t offset,
                                                 std::size_t count) {
  char chunk[65536];
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD n = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count, sizeof chunk));
  if (!ReadFile(handle_->file, chunk, wanted, &n, &at) && GetLastError() != ERROR_HANDLE_EOF) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "read");
  }
  if (n == 0) return 0;
  const int sent = ::send(static_cast<SOCKET>(socket), chunk, static_cast<int>(n), 0);
  if (sent >= 0) return static_cast<std::size_t>(sent);
  if (WSAGetLastError() == WSAEWOULDBLOCK) return std::nullopt;
  throw std::system_error(WSAGetLastError(), std::system_category(), "send");
}

bool replace_file(const std::filesystem::path& path, std::string_view bytes) {
  // A name of its own per process and call, so concurrent writers never share one.
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = path;
  temporary += "." + std::to_string(process_id()) + "-" + std::to_string(++counter) + ".tmp";

  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = write_all(file, bytes) && FlushFileBuffers(file);
  const bool renamed = written && rename_over(file, std::filesystem::absolute(path));
  const bool closed = CloseHandle(file);
  if (renamed && closed) return true;
  // Systems without the rename of an open file replace it by name.
  if (written && closed && !renamed &&
      MoveFileExW(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace verhulzen::platform
