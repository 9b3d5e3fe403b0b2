// Whole files of the data folder: only a regular file is read, and whatever stands
// in its place instead reads as unreadable at once.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/files.h"
#include "support.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;

TEST(WholeFile, OnlyARegularFileIsRead) {
  const testing::TempDir dir;
  dir.write("status.json", "{\"a\": 1}");
  dir.write("leeg.txt", "");
  fs::create_directory(dir.path() / "map");
  EXPECT_EQ(platform::read_file(dir.path() / "status.json"), "{\"a\": 1}");
  EXPECT_EQ(platform::read_file(dir.path() / "leeg.txt"), "") << "empty is no failure";
  EXPECT_FALSE(platform::read_file(dir.path() / "map"));
  EXPECT_FALSE(platform::read_file(dir.path() / "ontbreekt"));
#ifdef _WIN32
  // Device names stand for their device in every folder.
  for (const char* device : {"NUL", "CON"}) {
    EXPECT_FALSE(platform::read_file(dir.path() / device)) << device;
  }
#else
  EXPECT_FALSE(platform::read_file("/dev/null"));
  fs::create_symlink("/dev/zero", dir.path() / "apparaat");
  EXPECT_FALSE(platform::read_file(dir.path() / "apparaat")) << "a link to a device";
#endif
}

#ifndef _WIN32
TEST(WholeFile, ANamedPipeReadsAsUnreadableWithoutAWriter) {
  const testing::TempDir dir;
  const fs::path pipe = dir.path() / "status.json";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_TRUE(testing::ends_without_a_writer(
      {pipe}, [&] { EXPECT_FALSE(platform::read_file(pipe)) << "a pipe is no file"; }));
  EXPECT_TRUE(fs::is_fifo(pipe)) << "reading changes nothing";
}
#endif

}  // namespace
}  // namespace verhulzen
