// The desktop side's configuration: bound once at start from the environment, the
// package identity and the process id, and never changed afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace verhulzen {

inline constexpr std::string_view APP_NAME = "Drovel Verhulzen";
inline constexpr std::string_view APP_VERSION = "1.3.0";

inline constexpr std::string_view MAKER_DOMAIN = "drovel.nl";
inline constexpr std::string_view MAKER_UPDATE_URL = "https://drovel.nl/api/verhulzen.json";
inline constexpr std::string_view DOWNLOAD_URL = "https://drovel.nl/verhulzen_ai#download";
inline constexpr std::string_view STORE_URL = "ms-windows-store://downloadsandupdates";

// At most one start-up update check a day; the page may go a week without one.
inline constexpr double DAG = 86400;
inline constexpr double WEEK = 604800;

struct Config {
  std::filesystem::path WEB_DIR;
  std::optional<std::string> PAKKET;
  bool STORE = false;
  std::filesystem::path OUDE_DATA_DIR;
  std::filesystem::path DATA_DIR;
  // Where earlier versions kept the default data folder; its office list and status
  // file are taken over once.
  std::optional<std::filesystem::path> EARLIER_DATA_DIR;
  std::filesystem::path PROFIELEN;
  std::filesystem::path PROFIEL_DIR;
  std::filesystem::path OUD_PROFIEL;
  std::filesystem::path INSTANCE;
  std::string UPDATE_URL;
  std::filesystem::path STATUS;
  std::filesystem::path KANTOORLIJST;
};

// Everything the configuration is bound from, so that it can be bound from
// something other than the running process.
struct ConfigInputs {
  std::filesystem::path library;  // the file of the loaded application library
  std::function<std::optional<std::string>(const std::string&)> environment;
  std::optional<std::string> package;
  std::filesystem::path local_app_data;
  std::optional<std::filesystem::path> earlier_local_app_data;
  std::uint32_t process_id = 0;
};

Config bind_config(const ConfigInputs& inputs);

// The configuration of this process, whose application library is `library`.
Config load_config(const std::filesystem::path& library);

// The value of a variable that counts only when set to a non-empty value.
std::optional<std::string> non_empty(std::optional<std::string> value);

}  // namespace verhulzen
