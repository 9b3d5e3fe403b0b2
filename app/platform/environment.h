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

// The user's home folder.
std::filesystem::path home_folder();

std::uint32_t process_id();

}  // namespace verhulzen::platform
