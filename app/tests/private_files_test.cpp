// Folders and files of the desktop side are this user's alone whatever the umask,
// and those another user owns or others may write are refused (POSIX).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/environment.h"
#include "platform/files.h"
#include "shell/main_flow.h"
#include "support.h"

namespace verhulzen {
namespace {
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// The data folder at its default place, with the earlier one in the home folder.
Config config_in(const fs::path& home) {
  Config config;
  config.DATA_DIR = home / ".local" / "share" / "DrovelVerhulzen";
  config.EARLIER_DATA_DIR = home / "DrovelVerhulzen";
  config.INSTANCE = config.DATA_DIR / "instance.json";
  config.STATUS = config.DATA_DIR / "status.json";
  config.KANTOORLIJST = config.DATA_DIR / "kantoorlijst.txt";
  return config;
}

mode_t mode_of(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// Runs `body` under umask 000, as a user may have set it, and puts the old one back.
void under_open_umask(const std::function<void()>& body) {
  const mode_t earlier = ::umask(0);
  body();
  ::umask(earlier);
}

struct Refusal {
  const char* name;
  std::function<bool(const fs::path&)> make_unsafe;  // false: not possible for this user
  const char* words;
};

const Refusal kRefusals[] = {
    {"another user's",
     [](const fs::path& p) {
       return ::geteuid() == 0 && ::chown(p.c_str(), kNobody, kNobody) == 0;
     },
     " is van een andere gebruiker. "},
    {"world-writable", [](const fs::path& p) { return ::chmod(p.c_str(), 0777) == 0; },
     " kan door andere gebruikers worden gewijzigd. "},
    {"group-writable", [](const fs::path& p) { return ::chmod(p.c_str(), 0770) == 0; },
     " kan door andere gebruikers worden gewijzigd. "},
};

TEST(PrivateFolder, EveryFolderMadeIsTheUsersAloneWhateverTheUmask) {
  const testing::TempDir dir;
  const fs::path folder = dir.path() / "share" / "DrovelVerhulzen" / "profielen";
  const mode_t existing = mode_of(dir.path());
  under_open_umask([&] { platform::create_private_folder(folder); });
  for (const fs::path& made :
       {dir.path() / "share", dir.path() / "share" / "DrovelVerhulzen", folder}) {
    EXPECT_EQ(mode_of(made), 0700U) << made;
  }
  EXPECT_EQ(mode_of(dir.path()), existing) << "an existing parent stays as it is";

  // An existing folder of this user that others could only read is narrowed.
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  platform::create_private_folder(folder);
  EXPECT_EQ(mode_of(folder), 0700U);
}

TEST(PrivateFolder, AnotherUsersFolderOrOneOthersMayWriteIsRefusedAndLeftAsItIs) {
  for (const Refusal& refusal : kRefusals) {
    const testing::TempDir dir;
    const fs::path folder = dir.path() / "DrovelVerhulzen";
    fs::create_directory(folder);
    if (!refusal.make_unsafe(folder)) continue;
    const mode_t before = mode_of(folder);
    try {
      platform::create_private_folder(folder);
      ADD_FAILURE() << refusal.name << " folder was taken";
    } catch (const platform::UnsafeLocation& error) {
      EXPECT_TRUE(
          std::string(error.what()).starts_with("De map " + folder.string() + refusal.words))
          << error.what();
    }
    EXPECT_EQ(mode_of(folder), before) << refusal.name;
  }
}

// In a folder others may write (/tmp), another user can plant a link to a folder of
// this user and later point it at one of their own; a link of the user's own is the
// user's choice.
TEST(PrivateFolder, ALinkThatAnotherUserPlantedIsRefused) {
  const testing::TempDir dir;
  const fs::path target = dir.path() / "eigen";
  const fs::path link = dir.path() / "DrovelVerhulzen";
  fs::create_directory(target);
  fs::create_directory_symlink(target, link);
  EXPECT_NO_THROW(platform::create_private_folder(link));
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give the link to another user";
  ASSERT_EQ(::lchown(link.c_str(), kNobody, kNobody), 0);
  try {
    platform::create_private_folder(link);
    ADD_FAILURE() << "the planted link was taken";
  } catch (const platform::UnsafeLocation& error) {
    EXPECT_TRUE(std::string(error.what())
                    .starts_with("De map " + link.string() + " is van een andere gebruiker. "))
        << error.what();
  }
}

TEST(PrivateFile, ProblemsOfAnotherUsersFileOrOneOthersMayWrite) {
  const testing::TempDir dir;
  EXPECT_EQ(platform::private_file_problem(dir.path() / "ontbreekt.json"), std::nullopt);
  dir.write("eigen.txt", "x");
  ASSERT_EQ(::chmod((dir.path() / "eigen.txt").c_str(), 0644), 0);
  EXPECT_EQ(platform::private_file_problem(dir.path() / "eigen.txt"), std::nullopt)
      << "others may read it, not change it";
  for (const Refusal& refusal : kRefusals) {
    const fs::path file = dir.path() / (std::string(refusal.name) + ".txt");
    dir.write(file.filename(), "x");
    if (!refusal.make_unsafe(file)) continue;
    const auto problem = platform::private_file_problem(file);
    ASSERT_TRUE(problem) << refusal.name;
    EXPECT_TRUE(problem->starts_with("Het bestand " + file.string() + refusal.words)) << *problem;
  }
}

TEST(PrivateFile, ReplacedFilesAreTheUsersAloneAndUnsafeOnesAreLeftAlone) {
  const testing::TempDir dir;
  const fs::path file = dir.path() / "kantoorlijst.txt";
  under_open_umask([&] { ASSERT_TRUE(platform::replace_file(file, "Bakkerij Jansen B.V.\n")); });
  EXPECT_EQ(mode_of(file), 0600U);

  for (const Refusal& refusal : kRefusals) {
    dir.write("kantoorlijst.txt", "eerder");
    ASSERT_EQ(::chown(file.c_str(), ::geteuid(), ::getegid()), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    if (!refusal.make_unsafe(file)) continue;
    EXPECT_FALSE(platform::replace_file(file, "nieuw")) << refusal.name;
    EXPECT_EQ(platform::read_file(file), "eerder") << refusal.name;
  }
}

// The ~/DrovelVerhulzen of earlier versions, as a user with umask 002 has it, beside
// the program and their documents: the start goes on and leaves its mode as it was.
TEST(EarlierDataFolder, ItsModeNeverStopsTheStartAndIsLeftAsItWas) {
  for (const mode_t mode : {0775, 0777, 0755}) {
    const testing::TempDir dir;
    Config config = config_in(dir.path());
    dir.write("DrovelVerhulzen/kantoorlijst.txt", "Bakkerij Jansen B.V.\n");
    dir.write("DrovelVerhulzen/Jaarrekening 2023.pdf", "%PDF-1.7");
    ASSERT_EQ(::chmod((dir.path() / "DrovelVerhulzen" / "kantoorlijst.txt").c_str(), 0664), 0);
    ASSERT_EQ(::chmod(config.EARLIER_DATA_DIR->c_str(), mode), 0);
    EXPECT_NO_THROW(datamap_inrichten(config)) << std::oct << mode;
    EXPECT_EQ(mode_of(*config.EARLIER_DATA_DIR), mode);
    EXPECT_EQ(platform::read_file(config.KANTOORLIJST), "Bakkerij Jansen B.V.\n");
    EXPECT_EQ(mode_of(config.KANTOORLIJST), 0600U) << "private, as every data file";
    EXPECT_TRUE(fs::exists(*config.EARLIER_DATA_DIR / "Jaarrekening 2023.pdf"));
  }
}

// Only a file of the user's own is taken over: a link planted in its place is not
// followed out of the folder, a pipe does not hold the start, another user's file stays.
TEST(EarlierDataFolder, WhatIsNoOwnFileOfTheUserStaysWhereItIs) {
  struct Geval {
    const char* naam;
    std::function<bool(const fs::path& lijst, const fs::path& elders)> plant;
  };
  const Geval gevallen[] = {
      {"a link to a file elsewhere",
       [](const fs::path& lijst, const fs::path& elders) {
         fs::create_symlink(elders, lijst);
         return true;
       }},
      {"a named pipe",
       [](const fs::path& lijst, const fs::path&) { return ::mkfifo(lijst.c_str(), 0600) == 0; }},
      {"a folder",
       [](const fs::path& lijst, const fs::path&) { return fs::create_directory(lijst); }},
      {"another user's file",
       [](const fs::path& lijst, const fs::path&) {
         std::ofstream(lijst) << "geplant";
         return ::geteuid() == 0 && ::chown(lijst.c_str(), kNobody, kNobody) == 0;
       }},
  };
  for (const auto& geval : gevallen) {
    const testing::TempDir dir;
    const Config config = config_in(dir.path());
    dir.write("geheim.txt", "Cliënt A. de Vries\n");
    const fs::path lijst = *config.EARLIER_DATA_DIR / "kantoorlijst.txt";
    fs::create_directories(lijst.parent_path());
    if (!geval.plant(lijst, dir.path() / "geheim.txt")) continue;
    datamap_inrichten(config);
    EXPECT_FALSE(fs::exists(config.KANTOORLIJST)) << geval.naam;
    EXPECT_TRUE(fs::exists(fs::symlink_status(lijst))) << geval.naam;
    EXPECT_EQ(platform::read_file(dir.path() / "geheim.txt"), "Cliënt A. de Vries\n") << geval.naam;
  }
}

// As the starter takes it: XDG_DATA_HOME when it names an absolute folder.
TEST(LocalAppData, XdgDataHomeElseTheShareFolderInTheHome) {
  const std::optional<std::string> earlier = platform::environment_variable("XDG_DATA_HOME");
  const std::optional<std::string> home = platform::environment_variable("HOME");
  ::setenv("HOME", "/home/anna", 1);  // NOLINT(concurrency-mt-unsafe)
  const std::pair<std::optional<std::string>, fs::path> cases[] = {
      {"/data/anna", "/data/anna"},
      {"", "/home/anna/.local/share"},
      {"relatief", "/home/anna/.local/share"},
      {std::nullopt, "/home/anna/.local/share"},
  };
  for (const auto& [value, expected] : cases) {
    if (value) {
      ::setenv("XDG_DATA_HOME", value->c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
    } else {
      ::unsetenv("XDG_DATA_HOME");  // NOLINT(concurrency-mt-unsafe)
    }
    EXPECT_EQ(platform::local_app_data_folder(), expected) << value.value_or("(unset)");
  }
  EXPECT_EQ(platform::earlier_local_app_data_folder(), fs::path("/home/anna"));
  if (earlier) ::setenv("XDG_DATA_HOME", earlier->c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
  if (home) ::setenv("HOME", home->c_str(), 1);                 // NOLINT(concurrency-mt-unsafe)
}

}  // namespace
}  // namespace verhulzen
