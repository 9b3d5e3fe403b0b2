#include "shell/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/process.h"
#include "support.h"

namespace verhulzen {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ProfileTest : public ::testing::Test {
 protected:
  fs::path map(const std::string& naam) {
    dir.write(fs::path(naam) / "Default" / "Preferences", "{}");
    return root / naam;
  }
  static void vergrendel(const fs::path& profiel, const std::string& doel) {
    fs::create_symlink(doel, profiel / "SingletonLock");
  }
  static std::string hier(pid_t pid) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return std::string(host) + "-" + std::to_string(pid);
  }
  static bool heeft_slot(const fs::path& profiel) {
    return fs::is_symlink(fs::symlink_status(profiel / "SingletonLock"));
  }

  testing::TempDir dir;
  const fs::path root = dir.path();
};

TEST_F(ProfileTest, InUseOnlyWhileALiveProcessOfThisHostHoldsTheLock) {
  EXPECT_FALSE(platform::profile_in_use(root / "bestaat-niet"));
  EXPECT_FALSE(platform::profile_in_use(map("zonder-slot")));

  auto levend = map("levend");
  vergrendel(levend, hier(getpid()));
  EXPECT_TRUE(platform::profile_in_use(levend));
  EXPECT_TRUE(heeft_slot(levend)) << "a held lock is never removed";

  // Locks left behind: a process that no longer runs, another host, no pid, no link.
  struct Oud {
    std::string naam, doel;
  };
  for (const auto& [naam, doel] :
       {Oud{"dood", hier(999999999)}, Oud{"andere-host", "elders-" + std::to_string(getpid())},
        Oud{"onzin", "geen-pid"}, Oud{"leeg", ""}}) {
    auto profiel = map(naam);
    if (doel.empty()) {
      std::ofstream(profiel / "SingletonLock") << "geen link";
    } else {
      vergrendel(profiel, doel);
    }
    EXPECT_FALSE(platform::profile_in_use(profiel)) << naam;
    EXPECT_FALSE(fs::exists(fs::symlink_status(profiel / "SingletonLock")))
        << naam << ": stale lock removed";
  }
}

TEST_F(ProfileTest, RemovalRetriesWhileTheFileSystemRefuses) {
  auto profiel = map("sessie-1");
  int pogingen = 0;
  WisBeleid beleid{.pogingen = 20, .pauze = 1ms, .verwijder = [&](const fs::path& pad) {
                     if (++pogingen <= 2)
                       return std::make_error_code(std::errc::device_or_resource_busy);
                     return WisBeleid{}.verwijder(pad);
                   }};
  _profiel_wissen(profiel, beleid);
  EXPECT_EQ(pogingen, 3);
  EXPECT_FALSE(fs::exists(profiel));

  pogingen = 0;
  beleid.verwijder = [&](const fs::path&) {
    ++pogingen;
    return std::make_error_code(std::errc::permission_denied);
  };
  _profiel_wissen(profiel, beleid);
  EXPECT_EQ(pogingen, 20) << "gives up silently after the last attempt";
}

// A browser that is still ending writes files again after a removal succeeded.
TEST_F(ProfileTest, RemovalIsDoneOnlyWhenTheFolderIsGone) {
  auto profiel = map("sessie-1");
  int pogingen = 0;
  WisBeleid beleid{.pogingen = 20, .pauze = 1ms, .verwijder = [&](const fs::path& pad) {
                     auto ec = WisBeleid{}.verwijder(pad);
                     if (++pogingen <= 2) dir.write("sessie-1/Local State", "{}");
                     return ec;
                   }};
  _profiel_wissen(profiel, beleid);
  EXPECT_EQ(pogingen, 3);
  EXPECT_FALSE(fs::exists(profiel));
}

TEST_F(ProfileTest, RemovalOfAMissingFolderReturnsWithoutPausing) {
  int pogingen = 0;
  WisBeleid beleid{.pogingen = 20, .pauze = 10s, .verwijder = [&](const fs::path&) {
                     ++pogingen;
                     return std::make_error_code(std::errc::no_such_file_or_directory);
                   }};
  _profiel_wissen(root / "nooit-gemaakt", beleid);
  EXPECT_EQ(pogingen, 1);
  _profiel_wissen(root / "nooit-gemaakt");  // the real removal of nothing
}

TEST_F(ProfileTest, CleanUpAtStartRemovesOnlyFreeFoldersOfOtherRuns) {
  fs::path profielen = root / "profielen";
  fs::create_directories(profielen);
  auto eigen = profielen / ("sessie-" + std::to_string(getpid()));
  map("profielen/sessie-" + std::to_string(getpid()));
  map("profielen/sessie-111");
  map("profielen/SESSIE-222");
  auto in_gebruik = map("profielen/sessie-333");
  vergrendel(in_gebruik, hier(getpid()));
  auto verlaten = map("profielen/sessie-444");
  vergrendel(verlaten, hier(999999999));
  std::ofstream(profielen / "sessie-555") << "een bestand, geen map";
  auto buiten = map("buiten");
  fs::create_directory_symlink(buiten, profielen / "sessie-666");
  map("profielen/ander");
  auto oud = map("browserprofiel");

  _oude_profielen_wissen(profielen, eigen, oud);

  for (const char* weg : {"sessie-111", "SESSIE-222", "sessie-444"})
    EXPECT_FALSE(fs::exists(profielen / weg)) << weg;
  EXPECT_FALSE(fs::exists(oud));
  EXPECT_TRUE(fs::exists(eigen / "Default" / "Preferences")) << "this process's own folder";
  EXPECT_TRUE(fs::exists(in_gebruik / "Default" / "Preferences")) << "a folder in use";
  EXPECT_TRUE(fs::is_regular_file(profielen / "sessie-555"));
  EXPECT_TRUE(fs::is_symlink(profielen / "sessie-666"));
  EXPECT_TRUE(fs::exists(buiten / "Default" / "Preferences")) << "a link is never followed";
  EXPECT_TRUE(fs::exists(profielen / "ander"));
}

// A user's own folder, holding a folder named like a profile, that a link in the
// data folder points at: nothing in it may be removed, made or narrowed.
class LinkedProfiles : public ProfileTest {
 protected:
  LinkedProfiles() {
    map("buiten/sessie-111");
    dir.write("buiten/brief.txt", "Geachte heer De Vries,");
    fs::permissions(buiten, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(data);
  }
  void expect_untouched() const {
    EXPECT_TRUE(fs::exists(buiten / "sessie-111" / "Default" / "Preferences"));
    EXPECT_TRUE(fs::exists(buiten / "brief.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(buiten), fs::directory_iterator()), 2);
    EXPECT_EQ(fs::status(buiten).permissions() & fs::perms::all, fs::perms(0755));
  }

  const fs::path buiten = root / "buiten";
  const fs::path data = root / "data";
  const fs::path profielen = data / "profielen";
};

TEST_F(LinkedProfiles, TheCleanUpAtStartDoesNotFollowAProfilesFolderThatIsALink) {
  fs::create_directory_symlink(buiten, profielen);
  auto oud = map("data/browserprofiel");
  _oude_profielen_wissen(profielen, profielen / "sessie-1", oud);
  expect_untouched();
  EXPECT_TRUE(fs::is_symlink(profielen));
  EXPECT_FALSE(fs::exists(oud)) << "the old profile of the data folder itself still goes";
}

TEST_F(LinkedProfiles, AProfileIsNeitherMadeNorRemovedThroughALink) {
  struct Geval {
    const char* naam;
    fs::path link, profiel;
  };
  const Geval gevallen[] = {
      {"the profiles folder", profielen, profielen / "sessie-111"},
      {"the profile folder", profielen / "sessie-111", profielen / "sessie-111"},
  };
  for (const auto& [naam, link, profiel] : gevallen) {
    fs::remove_all(data);
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(buiten, link);
    try {
      profielmap_maken(profiel);
      ADD_FAILURE() << naam << ": made through the link";
    } catch (const platform::UnsafeLocation& fout) {
      EXPECT_EQ(std::string(fout.what()),
                "De map " + link.string() +
                    " is een koppeling naar een andere map. Drovel Verhulzen gebruikt deze map "
                    "daarom niet; verwijder de koppeling, dan maakt het programma de map zelf "
                    "opnieuw aan.");
    }
    _profiel_wissen(profiel);
    expect_untouched();
  }

  fs::remove_all(data);
  profielmap_maken(profielen / "sessie-1");
  EXPECT_EQ(fs::status(profielen / "sessie-1").permissions() & fs::perms::all, fs::perms(0700));
}

// The user's own choice, to put it all on another disk: only links below it are refused.
TEST_F(LinkedProfiles, ADataFolderThatIsItselfALinkIsServedAsUsual) {
  const fs::path schijf = root / "schijf";
  map("schijf/profielen/sessie-5");
  fs::remove_all(data);
  fs::create_directory_symlink(schijf, data);

  _oude_profielen_wissen(profielen, profielen / "sessie-1", data / "browserprofiel");
  EXPECT_FALSE(fs::exists(schijf / "profielen" / "sessie-5"));
  EXPECT_NO_THROW(profielmap_maken(profielen / "sessie-1"));
  EXPECT_TRUE(fs::is_directory(schijf / "profielen" / "sessie-1"));
  _profiel_wissen(profielen / "sessie-1");
  EXPECT_FALSE(fs::exists(schijf / "profielen" / "sessie-1"));
  expect_untouched();
}

TEST(EigenProfiel, OnlyASessionFolderDirectlyInTheDataFoldersProfiles) {
  const fs::path profielen = "/home/anna/.local/share/DrovelVerhulzen/profielen";
  const std::pair<fs::path, bool> gevallen[] = {
      {profielen / "sessie-4321", true},
      {profielen / "SESSIE-4321", true},
      {"/home/anna/elders/sessie-4321", false},
      {profielen / ".." / "sessie-4321", false},
      {profielen / "sessie-1" / ".." / ".." / "elders", false},
      {profielen / "sessie-1" / "Default", false},
      {profielen / "ander", false},
      {profielen, false},
      {"sessie-4321", false},
  };
  for (const auto& [profiel, eigen] : gevallen) {
    EXPECT_EQ(is_eigen_profiel(profielen, profiel), eigen) << profiel;
  }
}

TEST_F(ProfileTest, CleanUpWithoutProfilesFolderStillRemovesTheOldProfile) {
  auto oud = map("browserprofiel");
  _oude_profielen_wissen(root / "profielen", root / "profielen" / "sessie-1", oud);
  EXPECT_FALSE(fs::exists(oud));
}

}  // namespace
}  // namespace verhulzen
