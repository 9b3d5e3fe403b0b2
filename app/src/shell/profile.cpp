#include "shell/profile.h"

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace verhulzen {
namespace fs = std::filesystem;

namespace {

bool is_sessie_naam(std::string_view naam) {
  constexpr std::string_view prefix = "sessie-";
  return equal_ignoring_case(naam.substr(0, prefix.size()), prefix);
}

// A link named like a profile is no folder of ours: it is left alone, and never
// followed into whatever it points at. On Windows a junction is one too, although
// std::filesystem there takes it for the folder it points at (platform::is_link).
bool is_echte_map(const fs::path& pad) {
  std::error_code ec;
  return !platform::is_link(pad) && fs::is_directory(pad, ec);
}

void eigen_map_maken(const fs::path& map) {
  if (platform::is_link(map)) {
    throw platform::UnsafeLocation(
        "De map " + utf8_of(map) +
        " is een koppeling naar een andere map. Drovel Verhulzen gebruikt deze map daarom "
        "niet; verwijder de koppeling, dan maakt het programma de map zelf opnieuw aan.");
  }
  platform::create_private_folder(map);
}

}  // namespace

void profielmap_maken(const fs::path& profiel) {
  eigen_map_maken(profiel.parent_path());
  eigen_map_maken(profiel);
}

bool is_eigen_profiel(const fs::path& profielen, const fs::path& profiel) {
  return profiel.parent_path() == profielen && is_sessie_naam(utf8_of(profiel.filename()));
}

void _profiel_wissen(const fs::path& profiel, const WisBeleid& beleid) {
  if (platform::is_link(profiel.parent_path())) return;  // what lies there is not ours
  for (int poging = 0; poging < beleid.pogingen; ++poging) {
    std::error_code ec = beleid.verwijder(profiel);
    if (ec == std::errc::no_such_file_or_directory) return;
    if (!ec && !fs::exists(fs::symlink_status(profiel, ec))) return;
    std::this_thread::sleep_for(beleid.pauze);
  }
}

void _oude_profielen_wissen(const fs::path& profielen, const fs::path& eigen, const fs::path& oud) {
  std::vector<fs::path> kandidaten;
  // A link in its place leads elsewhere: nothing there is ours to remove.
  if (is_echte_map(profielen)) {
    std::error_code ec;
    for (fs::directory_iterator it(profielen, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path& pad = it->path();
      if (is_sessie_naam(utf8_of(pad.filename())) && pad != eigen) kandidaten.push_back(pad);
    }
  }
  kandidaten.push_back(oud);

  for (const auto& pad : kandidaten) {
    if (is_echte_map(pad) && !platform::profile_in_use(pad)) platform::remove_tree(pad);
  }
}

}  // namespace verhulzen
