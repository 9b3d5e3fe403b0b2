#include "shell/config.h"

#include <system_error>

#include "platform/environment.h"
#include "text/utf8.h"

namespace verhulzen {

namespace fs = std::filesystem;

std::optional<std::string> non_empty(std::optional<std::string> value) {
  if (value && value->empty()) return std::nullopt;
  return value;
}

namespace {

fs::path resolved_folder_of(const fs::path& file) {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::absolute(file, error), error);
  if (error) resolved = fs::absolute(file, error);
  return resolved.parent_path();
}

fs::path web_dir(const fs::path& here) {
  if (std::error_code error; fs::exists(here / "web" / "index.html", error)) return here / "web";
  // Not tested: the program-files check at start names this folder when it is missing.
  return here.parent_path() / "verhulzen";
}

}  // namespace

Config bind_config(const ConfigInputs& inputs) {
  const auto& env = inputs.environment;
  Config c;
  c.WEB_DIR = web_dir(resolved_folder_of(inputs.library));
  c.PAKKET = inputs.package;
  const bool packaged = c.PAKKET && !c.PAKKET->empty();
  c.STORE = packaged || env("VERHULZEN_STORE") == "1";

  const fs::path& local = inputs.local_app_data;
  c.OUDE_DATA_DIR = local / "DrovelVerhulzen";
  if (auto data_dir = non_empty(env("VERHULZEN_DATA_DIR"))) {
    c.DATA_DIR = path_from_utf8(*data_dir);
  } else if (packaged) {
    c.DATA_DIR = local / "Packages" / path_from_utf8(*c.PAKKET) / "LocalState";
  } else {
    c.DATA_DIR = c.OUDE_DATA_DIR;
    if (inputs.earlier_local_app_data && *inputs.earlier_local_app_data != local) {
      c.EARLIER_DATA_DIR = *inputs.earlier_local_app_data / "DrovelVerhulzen";
    }
  }

  c.PROFIELEN = c.DATA_DIR / "profielen";
  c.PROFIEL_DIR = c.PROFIELEN / ("sessie-" + std::to_string(inputs.process_id));
  c.OUD_PROFIEL = c.DATA_DIR / "browserprofiel";
  c.INSTANCE = c.DATA_DIR / "instance.json";
  c.UPDATE_URL = non_empty(env("VERHULZEN_UPDATE_URL")).value_or(std::string(MAKER_UPDATE_URL));
  c.STATUS = c.DATA_DIR / "status.json";
  c.KANTOORLIJST = c.DATA_DIR / "kantoorlijst.txt";
  return c;
}

Config load_config(const fs::path& library) {
  return bind_config({
      .library = library,
      .environment = platform::environment_variable,
      .package = platform::package_family_name(),
      .local_app_data = platform::local_app_data_folder(),
      .earlier_local_app_data = platform::earlier_local_app_data_folder(),
      .process_id = platform::process_id(),
  });
}

}  // namespace verhulzen
