#include "runtime_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace starter {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Another starter sweeps old folders without pause while this one makes and
// removes its own: the sweep must never take a folder being made for an old one.
TEST(RuntimeFolder, AFolderBeingMadeIsNeverSweptAway) {
  const fs::path root = fs::temp_directory_path() / ("starter-test-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  std::atomic<bool> done{false};
  std::thread sweeper([&] {
    while (!done) remove_stale_folders(root);
  });
  for (int i = 0; i < 400 && !HasFailure(); ++i) {
    auto folder = RuntimeFolder::create(root);
    std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(fs::exists(folder.path())) << "round " << i;
    EXPECT_TRUE(fs::exists(folder.path().string() + ".lock")) << "round " << i;
    folder.remove();
    std::this_thread::sleep_for(1ms);  // the next folder gets a name of its own
  }
  done = true;
  sweeper.join();
  fs::remove_all(root);
}

// A folder of the user's own, elsewhere, with a file, a subfolder and a folder named
// like an old runtime folder, as the user left it.
class LinkTarget {
 public:
  explicit LinkTarget(const fs::path& where) : folder_(where) {
    fs::create_directories(folder_ / "foto's");
    fs::create_directories(folder_ / "123-456");
    std::ofstream(folder_ / "brief.txt") << "Geachte heer De Vries,";
    std::ofstream(folder_ / "foto's" / "scan.png") << "png";
    fs::permissions(folder_, fs::perms(0755));
  }
  const fs::path& path() const { return folder_; }
  void expect_untouched() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"123-456", "brief.txt", "foto's"}));
    EXPECT_TRUE(fs::exists(folder_ / "foto's" / "scan.png"));
    EXPECT_EQ(fs::status(folder_).permissions() & fs::perms::all, fs::perms(0755));
  }

 private:
  fs::path folder_;
};

// A fresh folder of the test's own, removed with everything in it at the end.
class FreshFolder {
 public:
  explicit FreshFolder(std::string name) : path_(fs::temp_directory_path() / std::move(name)) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  FreshFolder(const FreshFolder&) = delete;
  FreshFolder& operator=(const FreshFolder&) = delete;
  ~FreshFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class RuntimeLinks : public ::testing::Test {
 protected:
  const FreshFolder fresh{"starter-links-" + std::to_string(getpid())};
  const fs::path& dir = fresh.path();
  const LinkTarget elsewhere{dir / "elders"};
};

// A user may link the runtime folder elsewhere to put it on another disk; its
// clean-up would empty and narrow the folder the link points at.
TEST_F(RuntimeLinks, ARuntimeFolderThatIsALinkIsRefusedAndNeverFollowed) {
  const fs::path root = dir / "DrovelVerhulzen" / "runtime";
  fs::create_directories(root.parent_path());
  fs::create_directory_symlink(elsewhere.path(), root);
  try {
    create_runtime_root(root);
    ADD_FAILURE() << "the link was taken";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "de map " + root.string() +
                  " is een koppeling naar een andere map; Drovel Verhulzen gebruikt deze map "
                  "daarom niet. Verwijder de koppeling, dan maakt het programma de map zelf "
                  "opnieuw aan.");
  }
  remove_stale_folders(root);
  EXPECT_THROW(RuntimeFolder::create(root), std::runtime_error);
  EXPECT_TRUE(fs::is_symlink(root));
  elsewhere.expect_untouched();
}

// Links in the runtime folder, named like an old folder or its lock, are removed as
// links at most.
TEST_F(RuntimeLinks, TheCleanUpRemovesNothingALinkInsidePointsAt) {
  const fs::path root = dir / "runtime";
  create_runtime_root(root);
  fs::create_directory_symlink(elsewhere.path(), root / "111-222");
  fs::create_directory_symlink(elsewhere.path(), root / "333-444");
  std::ofstream(root / "333-444.lock");
  fs::create_directory(root / "555-666");
  fs::create_symlink(elsewhere.path() / "brief.txt", root / "555-666.lock");
  remove_stale_folders(root);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root / "111-222")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(root / "333-444")));
  EXPECT_FALSE(fs::exists(root / "333-444.lock"));
  elsewhere.expect_untouched();
  EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms(0700));
}

}  // namespace
}  // namespace starter
