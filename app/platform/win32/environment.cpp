#include "platform/environment.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "wide_text.h"

namespace verhulzen::platform {

namespace {

constexpr LONG kNoPackage = 15700;  // APPMODEL_ERROR_NO_PACKAGE

}  // namespace

std::optional<std::string> environment_variable(const std::string& name) {
  const std::wstring wide_name = widen(name);
  std::vector<wchar_t> value(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) return narrow(std::wstring_view(value.data(), length));
    value.resize(length);
  }
}

// Looked up at run time: a process without package identity gets nothing, and
// so does a system without the function.
std::optional<std::string> package_family_name() {
  using Query = LONG(WINAPI*)(UINT32*, PWSTR);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto query = kernel ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                                  GetProcAddress(kernel, "GetCurrentPackageFamilyName")))
                            : nullptr;
  if (query == nullptr) return std::nullopt;
  UINT32 length = 0;
  if (query(&length, nullptr) != ERROR_INSUFFICIENT_BUFFER || length == 0) return std::nullopt;
  std::wstring name(length, L'\0');
  const LONG result = query(&length, name.data());
  if (result == kNoPackage || result != ERROR_SUCCESS) return std::nullopt;
  name.resize(length > 0 ? length - 1 : 0);  // without the closing null
  return narrow(name);
}

namespace {

std::filesystem::path home_folder() {
  if (auto profile = environment_variable("USERPROFILE"); profile && !profile->empty()) {
    return std::filesystem::path(widen(*profile));
  }
  PWSTR folder = nullptr;
  std::filesystem::path home = L"C:\\";
  if (SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &folder) == S_OK) home = folder;
  CoTaskMemFree(folder);
  return home;
}

}  // namespace

// LOCALAPPDATA counts whenever it exists; empty, it makes the folders relative.
std::filesystem::path local_app_data_folder() {
  if (auto local = environment_variable("LOCALAPPDATA"))
    return std::filesystem::path(widen(*local));
  return home_folder();
}

std::optional<std::filesystem::path> earlier_local_app_data_folder() { return std::nullopt; }

std::uint32_t process_id() { return GetCurrentProcessId(); }

}  // namespace verhulzen::platform
