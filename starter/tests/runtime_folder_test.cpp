#include "runtime_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
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

}  // namespace
}  // namespace starter
