// Windows side of the starter. The second process finds the carried DLLs
// through a DLL folder of its own, which no process it starts inherits.
#include <windows.h>
// These need windows.h before them.
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cwctype>
#include <system_error>

#include "os.h"
#include "utf8_path.h"

namespace starter::os {
namespace fs = std::filesystem;

namespace {

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  std::string text(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size,
                                                                nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), static_cast<int>(text.size()),
                      nullptr, nullptr);
  return text;
}

std::system_error last_error(const std::string& what) {
  return std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

// Environment names are the same in any case on Windows.
struct IgnoringCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
  }
};

// This process's environment with `changes` applied, as the block CreateProcessW takes.
std::wstring environment_block(const std::map<std::string, std::optional<std::string>>& changes) {
  std::map<std::wstring, std::wstring, IgnoringCase> env;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
      const std::wstring_view text(entry);
      // Names such as "=C:" begin with the sign itself.
      const auto eq = text.find(L'=', 1);
      if (eq != std::wstring_view::npos) {
        env.emplace(std::wstring(text.substr(0, eq)), std::wstring(text.substr(eq + 1)));
      }
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : changes) {
    if (value) {
      env[widen(name)] = widen(*value);
    } else {
      env.erase(widen(name));
    }
  }
  std::wstring block;
  for (const auto& [name, value] : env) block += name + L"=" + value + L'\0';
  block += L'\0';
  return block;
}

HANDLE inheritable(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

}  // namespace

fs::path library_name() { return "verhulzen_app.dll"; }

fs::path own_executable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw last_error("GetModuleFileNameW");
    if (length < path.size()) return fs::path(path.substr(0, length));
    path.resize(path.size() * 2);
  }
}

fs::path local_app_data() {
  if (auto data = environment("LOCALAPPDATA"); data && !data->empty()) return path_from_utf8(*data);
  PWSTR folder = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) != S_OK) {
    CoTaskMemFree(folder);
    throw std::runtime_error("de map met lokale programmagegevens is onbekend");
  }
  fs::path path(folder);
  CoTaskMemFree(folder);
  return path;
}

std::uint32_t process_id() { return GetCurrentProcessId(); }

// The user's local application-data folder carries the user's own access list,
// which what is made in it inherits: nothing to narrow or refuse, unlike POSIX.
void create_private_folder(const fs::path& folder) { fs::create_directories(folder); }

bool is_link(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// std::filesystem here takes a junction, or a symbolic link to a folder, for the folder
// it points at, and remove_all would empty that folder: the reparse-point attribute,
// which the link itself carries, tells them apart.
void remove_tree(const fs::path& path, std::error_code& error) {
  error.clear();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD failure = GetLastError();
    if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND)
      error.assign(static_cast<int>(failure), std::system_category());
    return;
  }
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
      remove_tree(it->path(), error);
      if (error) return;
    }
    if (error) return;
  }
  // A link to a folder is a folder entry: RemoveDirectoryW takes the link itself away.
  if (!(folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())))
    error.assign(static_cast<int>(GetLastError()), std::system_category());
}

std::optional<std::string> environment(const std::string& name) {
  const std::wstring wide = widen(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) return narrow(std::wstring_view(value.data(), length));
    value.resize(length);
  }
}

void unset_environment(const std::string& name) {
  SetEnvironmentVariableW(widen(name).c_str(), nullptr);
}

std::optional<FileLock> FileLock::take(const fs::path& path, bool create) {
  // Opened without sharing, and inherited: the second process holds it as long as
  // it runs. Deleting stays allowed, so the folder's owner can remove it while held.
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, &inherit,
                  create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  return FileLock(reinterpret_cast<std::intptr_t>(file));
}

FileLock::~FileLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

// Nothing to hand on: the second process adds the folder to its own DLL search.
void add_library_folder(std::map<std::string, std::optional<std::string>>& /*environment*/,
                        const fs::path& /*folder*/) {}

void use_library_folder(const fs::path& folder) {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  AddDllDirectory(folder.c_str());
}

// The starter has no console of its own; what ends it ends it at once, and the
// second process runs on to its own end.
// A window program without a console gets no console interrupt to hold.
void hold_end_signals() {}

int run_again(char** /*argv*/, const std::map<std::string, std::optional<std::string>>& changes) {
  std::wstring block = environment_block(changes);
  std::wstring command_line = GetCommandLineW();
  const std::wstring self = own_executable().wstring();

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.hStdInput = inheritable(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable(STD_OUTPUT_HANDLE);
  startup.hStdError = inheritable(STD_ERROR_HANDLE);
  if (startup.hStdInput || startup.hStdOutput || startup.hStdError)
    startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(self.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                      CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
    throw last_error("kan het programma niet starten");
  }
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(info.hProcess, &status);
  CloseHandle(info.hProcess);
  return static_cast<int>(status);
}

// The arguments come from the wide command line: the narrow argv of main has
// lost every character outside the code page.
std::string enter_library(const fs::path& library, int /*argc*/, char** /*argv*/) {
  const HMODULE module =
      LoadLibraryExW(library.c_str(), nullptr,
                     LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr) return last_error("kan " + utf8_of(library) + " niet laden").what();
  using RunCode = int (*)(int, char**, const char*);
  const auto run_code =
      reinterpret_cast<RunCode>(reinterpret_cast<void*>(GetProcAddress(module, "run_code")));
  if (run_code == nullptr) return last_error("run_code ontbreekt in " + utf8_of(library)).what();

  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return last_error("CommandLineToArgvW").what();
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i]));
  LocalFree(wide);
  std::vector<char*> pointers;
  for (auto& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  std::exit(run_code(count, pointers.data(), utf8_of(library).c_str()));
}

}  // namespace starter::os
