#include "runtime_folder.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "utf8_path.h"

namespace starter {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr std::string_view kLockSuffix = ".lock";

fs::path lock_of(const fs::path& folder) {
  return fs::path(folder.string() + std::string(kLockSuffix));
}

bool remove_tree(const fs::path& folder) {
  std::error_code error;
  os::remove_tree(folder, error);
  return !fs::exists(fs::symlink_status(folder, error));
}

}  // namespace

void create_runtime_root(const fs::path& root) {
  if (os::is_link(root)) {
    throw std::runtime_error("de map " + utf8_of(root) +
                             " is een koppeling naar een andere map; Drovel Verhulzen gebruikt "
                             "deze map daarom niet. Verwijder de koppeling, dan maakt het "
                             "programma de map zelf opnieuw aan.");
  }
  os::create_private_folder(root);
}

RuntimeFolder RuntimeFolder::create(const fs::path& root) {
  create_runtime_root(root);
  const auto started = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  const fs::path folder =
      root / (std::to_string(os::process_id()) + "-" + std::to_string(started.count()));
  auto lock = os::FileLock::take(lock_of(folder), true);
  if (!lock) throw std::runtime_error("kan " + lock_of(folder).string() + " niet aanmaken");
  if (fs::exists(fs::symlink_status(folder)))
    throw std::runtime_error(folder.string() + " bestaat al");
  os::create_private_folder(folder);
  return RuntimeFolder(folder, std::move(*lock));
}

bool RuntimeFolder::remove() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(100ms);
    if (remove_tree(path_)) {
      std::error_code ignored;
      fs::remove(lock_of(path_), ignored);
      lock_.reset();
      return true;
    }
  }
  return false;
}

void remove_stale_folders(const fs::path& root) {
  if (os::is_link(root)) return;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root, error)) {
    const fs::path path = entry.path();
    if (path.extension() == kLockSuffix) {
      const fs::path folder = path.parent_path() / path.stem();
      if (auto lock = os::FileLock::take(path, false); lock && remove_tree(folder)) {
        fs::remove(path, error);
      }
    } else if (!fs::exists(lock_of(path), error)) {
      // Its lock went after the folder had been removed in part.
      remove_tree(path);
    }
  }
}

}  // namespace starter
