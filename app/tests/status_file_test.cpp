#include "update/status_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <thread>

#include "platform/environment.h"
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

// Processes, users and modes of POSIX.
#ifndef _WIN32
// The id of a process that has ended.
pid_t ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST(StatusFile, TemporaryFilesOfEndedWritersAreRemovedAtTheNextWrite) {
  testing::TempDir dir;
  const std::string dead = std::to_string(ended_process());
  const std::string alive = std::to_string(platform::process_id());
  struct Case {
    std::string name;
    bool stays;
  };
  const Case cases[] = {{"status.json." + dead + "-3.tmp", false},
                        {"status.json." + alive + "-999.tmp", true},
                        {"status.json." + dead + "-3.tmp.bewaard", true},
                        {"ander.json." + dead + "-1.tmp", true}};
  for (const Case& c : cases) dir.write(c.name, "{\"half");
  schrijf_status(dir.path() / "status.json", {{"a", 1}});
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir.path() / c.name), c.stays) << c.name;
}

// Runs `write` as a user other than root when the tests run as root, since root
// may write whatever it likes.
void as_ordinary_user(const testing::TempDir& dir, const std::function<void()>& write) {
  if (geteuid() != 0) return write();
  const uid_t nobody = 65534;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    ASSERT_EQ(chown(entry.path().c_str(), nobody, nobody), 0);
  }
  ASSERT_EQ(chown(dir.path().c_str(), nobody, nobody), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(2);
    write();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
}

TEST(StatusFile, AFileThatMayNotBeWrittenStaysUnchangedWithItsMode) {
  for (const fs::perms mode : {fs::perms::none, fs::perms(0444)}) {
    testing::TempDir dir;
    const fs::path path = dir.path() / "status.json";
    const std::string before = R"({"eerste_start": 1.5, "verborgen": ["a"]})";
    dir.write("status.json", before);
    fs::permissions(path, mode);
    as_ordinary_user(dir, [&] { schrijf_status(path, {{"eerste_start", 9}}); });
    EXPECT_EQ(testing::run_command("cat " + path.string()), before);
    EXPECT_EQ(fs::status(path).permissions(), mode);
  }
}

TEST(StatusFile, ARewriteLeavesTheFileToItsUserAlone) {
  testing::TempDir dir;
  const fs::path path = dir.path() / "status.json";
  dir.write("status.json", "{}");
  fs::permissions(path, fs::perms(0644));
  schrijf_status(path, {{"a", 1}});
  EXPECT_EQ(lees_status(path), Json({{"a", 1}}));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0600));
}
#endif

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
