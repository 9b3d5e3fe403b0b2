#include "status_file.h"

#include <gtest/gtest.h>

#include <thread>

#include "support.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;

TEST(StatusFile, UnreadableContentReadsAsAnEmptyObject) {
  testing::TempDir dir;
  const fs::path path = dir.path() / "status.json";
  EXPECT_EQ(lees_status(path), Json::object()) << "missing file";
  for (const std::string& content : std::vector<std::string>{
           "", "[1]", "\"tekst\"", "{", "{\"a\": \"\xC3\x28\"}", "\xEF\xBB\xBF{\"a\": 1}",
           std::string(300, '[') + std::string(300, ']')}) {
    dir.write("status.json", content);
    EXPECT_EQ(lees_status(path), Json::object()) << content;
  }
  fs::remove(path);
  fs::create_directory(path);
  EXPECT_EQ(lees_status(path), Json::object()) << "a folder in its place";
}

TEST(StatusFile, IsWrittenAsOneLineOfAsciiJsonInMemberOrder) {
  testing::TempDir dir;
  const fs::path path = dir.path() / "status.json";
  Json s;
  s["zeta"] = 1;
  s["info"] = {{"notes", "Verbeterd: \xC3\xAB \xF0\x9F\x98\x80 \"\\\n\t\x01\x7F"},
               {"lijst", {1, 2.5, true, nullptr}}};
  s["alfa"] = Json::object();
  schrijf_status(path, s);
  EXPECT_EQ(
      testing::run_command("cat " + path.string()),
      R"({"zeta": 1, "info": {"notes": "Verbeterd: \u00eb \ud83d\ude00 \"\\\n\t\u0001\u007f", )"
      R"("lijst": [1, 2.5, true, null]}, "alfa": {}})");
  EXPECT_EQ(lees_status(path), s);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1U) << "no temporary file stays behind";
}

TEST(StatusFile, AFailedWriteLeavesTheFileAsItWasAndIsNoError) {
  testing::TempDir dir;
  schrijf_status(dir.path() / "ontbreekt" / "status.json", {{"a", 1}});
  EXPECT_FALSE(fs::exists(dir.path() / "ontbreekt"));
}

TEST(StatusFile, ConcurrentChangesWithinTheProcessAllSurvive) {
  testing::TempDir dir;
  const fs::path path = dir.path() / "status.json";
  std::vector<std::thread> threads;
  threads.reserve(8);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        wijzig_status(path, [&](Json& s) {
          s["verborgen"].push_back(std::to_string(t) + "-" + std::to_string(i));
        });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(lees_status(path)["verborgen"].size(), 160U);
}

}  // namespace
}  // namespace verhulzen
