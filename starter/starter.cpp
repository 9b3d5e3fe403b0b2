// Drovel Verhulzen as the user starts it: unpacks the application library, its
// libraries and the web folder into a fresh folder, runs itself a second time
// on it, and removes the folder when that second process has ended.
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "os.h"
#include "payload.h"
#include "runtime_folder.h"
#include "utf8_path.h"

namespace {

// Set for the second process: the folder it loads the library from.
constexpr const char* kMarker = "DROVEL_VERHULZEN_RUNTIME";
constexpr int kOwnFailure = 2;

int fail(const std::string& why) {
  std::cerr << "Drovel Verhulzen kan niet starten: " << why << std::endl;
  return kOwnFailure;
}

int second_process(const std::filesystem::path& folder, int argc, char** argv) {
  starter::os::unset_environment(kMarker);
  starter::os::use_library_folder(folder / "lib");
  return fail(starter::os::enter_library(folder / starter::os::library_name(), argc, argv));
}

int first_process(char** argv) {
  starter::os::hold_end_signals();
  const starter::Payload payload = starter::Payload::open(starter::os::own_executable());
  // The program's own folder, then the one it runs from: each for the user alone.
  const auto own = starter::os::local_app_data() / "DrovelVerhulzen";
  starter::os::create_private_folder(own);
  const auto root = own / "runtime";
  starter::create_runtime_root(root);
  starter::remove_stale_folders(root);
  auto folder = starter::RuntimeFolder::create(root);
  int status = kOwnFailure;
  try {
    payload.unpack(folder.path());
    std::map<std::string, std::optional<std::string>> changes{
        {kMarker, starter::utf8_of(folder.path())}};
    starter::os::add_library_folder(changes, folder.path() / "lib");
    // The OCR engine's Dutch data travels along for machines that lack it.
    if (std::filesystem::exists(folder.path() / "tessdata")) {
      changes.emplace("TESSDATA_PREFIX", starter::utf8_of(folder.path() / "tessdata"));
    }
    status = starter::os::run_again(argv, changes);
  } catch (...) {
    folder.remove();
    throw;
  }
  folder.remove();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (const auto folder = starter::os::environment(kMarker))
      return second_process(starter::path_from_utf8(*folder), argc, argv);
    return first_process(argv);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}
