// The throw-away browser profile folders: removal after a run, and the clean-up
// of folders that earlier runs left behind.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/files.h"

namespace verhulzen {

struct WisBeleid {
  int pogingen = 20;
  std::chrono::milliseconds pauze{500};
  // Removes a folder tree; tests stand in a file system that refuses for a while.
  std::function<std::error_code(const std::filesystem::path&)> verwijder = platform::remove_tree;
};

// Creates the profile folder `profiel`, and the profiles folder that holds it, for
// this user alone. Neither may be a link (on Windows a junction too): what the
// browser writes, and what is removed afterwards, stays inside the data folder.
// Throws platform::UnsafeLocation, with the message for the user, for a link.
void profielmap_maken(const std::filesystem::path& profiel);

// Whether `profiel` is a profile folder of `profielen`: a "sessie-*" folder directly
// in it, the only kind of folder that a running instance names in its record.
bool is_eigen_profiel(const std::filesystem::path& profielen, const std::filesystem::path& profiel);

// Removes the profile folder with everything in it, retrying while a browser
// that is ending still holds or writes files: done only once the folder is gone.
// Reports nothing; what is left stays for the clean-up of a later start.
void _profiel_wissen(const std::filesystem::path& profiel, const WisBeleid& beleid = {});

// Removes the "sessie-*" folders in `profielen` (never `eigen`, this process's
// own) and the old single profile folder `oud`, each only when no running
// browser holds it. A link is never followed: neither `profielen` nor a folder in
// it. Reports nothing.
void _oude_profielen_wissen(const std::filesystem::path& profielen,
                            const std::filesystem::path& eigen, const std::filesystem::path& oud);

}  // namespace verhulzen
