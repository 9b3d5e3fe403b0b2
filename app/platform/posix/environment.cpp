#include "platform/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace verhulzen::platform {

std::optional<std::string> environment_variable(const std::string& name) {
  const char* value =
      std::getenv(name.c_str());  // NOLINT(concurrency-mt-unsafe): nothing sets variables
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// POSIX systems have no package identity.
std::optional<std::string> package_family_name() { return std::nullopt; }

namespace {

std::filesystem::path home_folder() {
  if (auto home = environment_variable("HOME")) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

std::filesystem::path local_app_data_folder() {
  if (auto data = environment_variable("XDG_DATA_HOME"); data && data->starts_with('/'))
    return *data;
  return home_folder() / ".local" / "share";
}

std::optional<std::filesystem::path> earlier_local_app_data_folder() { return home_folder(); }

std::uint32_t process_id() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace verhulzen::platform
