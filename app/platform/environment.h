// What the desktop side asks of the operating system about its own process and user.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace verhulzen::platform {

// The value of an environment variable as UTF-8, or nullopt when it does not exist.
// An existing variable with an empty value gives the empty text.
std::optional<std::string> environment_variable(const std::string& name);

// The family name of the Store package the process runs from, or nullopt without
// package identity. Never fails.
std::optional<std::string> package_family_name();

// The user's local application-data folder: on Windows LOCALAPPDATA whenever it
// exists (also empty), else the home folder; on POSIX $XDG_DATA_HOME when it is an
// absolute path, else ~/.local/share, as the starter takes it.
std::filesystem::path local_app_data_folder();

// The folder in which earlier versions kept their data folder, where that differs
// from local_app_data_folder: the home folder on POSIX, nothing on Windows.
std::optional<std::filesystem::path> earlier_local_app_data_folder();

std::uint32_t process_id();

}  // namespace verhulzen::platform
