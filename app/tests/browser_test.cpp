#include "shell/browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"
#include "platform/process.h"
#include "support.h"

namespace verhulzen {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const fs::path kFakeBrowser = fs::path(__FILE__).parent_path() / "fixtures" / "fake_browser.sh";

// The tests run on one thread; the fake browser takes its behaviour from the environment.
void zet_omgeving(const char* naam, const char* waarde) {
  if (waarde != nullptr) {
    setenv(naam, waarde, 1);  // NOLINT(concurrency-mt-unsafe)
  } else {
    unsetenv(naam);  // NOLINT(concurrency-mt-unsafe)
  }
}

class BrowserTest : public ::testing::Test {
 protected:
  void TearDown() override {
    zet_omgeving("PATH", path.c_str());
    for (const char* v : {"FAKE_BROWSER", "FAKE_BROWSER_SECONDS", "FAKE_BROWSER_ARGS"})
      zet_omgeving(v, nullptr);
  }

  fs::path bestand(const std::string& naam, fs::perms rechten = fs::perms::owner_all) {
    dir.write(naam, "#!/bin/sh\n");
    fs::permissions(root / naam, rechten);
    return root / naam;
  }

  // Starts the fake browser in the given way and times the wait for its window.
  Clock::duration wacht(const char* gedrag, const char* seconden, WachtTijden tijden) {
    zet_omgeving("FAKE_BROWSER", gedrag);
    zet_omgeving("FAKE_BROWSER_SECONDS", seconden);
    auto begin = Clock::now();
    auto proc = _app_venster(kFakeBrowser, "http://127.0.0.1:1/", profiel());
    _wacht_tot_venster_dicht(proc, profiel(), tijden);
    return Clock::now() - begin;
  }
  fs::path profiel() const { return root / "profielen" / "sessie-1"; }
  bool vergrendeld() const { return fs::exists(fs::symlink_status(profiel() / "SingletonLock")); }

  testing::TempDir dir;
  const fs::path root = dir.path();
  const std::string path = platform::environment_variable("PATH").value_or("");
};

TEST_F(BrowserTest, FirstExistingLocationWinsThenTheSearchPath) {
  auto edge = bestand("opt/edge");
  auto chrome = bestand("opt/chrome");
  auto op_pad = bestand("bin/chromium");
  bestand("bin/niet-uitvoerbaar", fs::perms::owner_read);
  zet_omgeving("PATH", ((root / "leeg").string() + ":" + (root / "bin").string()).c_str());

  struct Case {
    platform::BrowserSearch lijst;
    std::optional<fs::path> verwacht;
  };
  const Case cases[] = {
      {{{root / "ontbreekt", edge, chrome}, {"chromium"}}, edge},
      {{{root / "ontbreekt", chrome, edge}, {}}, chrome},
      {{{root / "ontbreekt"}, {"microsoft-edge", "niet-uitvoerbaar", "chromium"}}, op_pad},
      {{{root / "ontbreekt"}, {"niet-uitvoerbaar", "google-chrome"}}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(_browser(c.lijst), c.verwacht);
}

TEST_F(BrowserTest, WindowGetsAppModeAndItsOwnProfileFolder) {
  auto args_bestand = root / "args.txt";
  zet_omgeving("FAKE_BROWSER", "nooit");
  zet_omgeving("FAKE_BROWSER_ARGS", args_bestand.c_str());
  auto map = root / "Jan de Vries" / "profielen" / "sessie-7";

  auto proc = _app_venster(kFakeBrowser, "http://127.0.0.1:5000/", map);
  EXPECT_TRUE(fs::is_directory(map)) << "created with its parents before the start";
  while (!proc.has_ended()) std::this_thread::sleep_for(10ms);

  std::vector<std::string> ontvangen;
  std::ifstream in(args_bestand);
  for (std::string regel; std::getline(in, regel);) ontvangen.push_back(regel);
  ASSERT_FALSE(ontvangen.empty());
  EXPECT_EQ(ontvangen.front(), kFakeBrowser.string());
  // Each argument whole, a blank in the profile's path included; the platform's own last.
  const auto eens = [&](const std::string& arg) {
    return std::count(ontvangen.begin(), ontvangen.end(), arg) == 1;
  };
  EXPECT_TRUE(eens("--app=http://127.0.0.1:5000/"));
  EXPECT_TRUE(eens("--user-data-dir=" + map.string()));
  EXPECT_TRUE(eens("--no-first-run"));
  const auto extra = platform::extra_browser_arguments();
  ASSERT_LE(extra.size(), ontvangen.size());
  EXPECT_TRUE(std::equal(extra.rbegin(), extra.rend(), ontvangen.rbegin()));
  for (std::size_t i = 1; i < ontvangen.size(); ++i)
    EXPECT_TRUE(ontvangen[i].starts_with("--")) << ontvangen[i];
}

TEST_F(BrowserTest, ABrowserThatCannotStartIsReportedToTheCaller) {
  EXPECT_THROW(_app_venster(root / "geen-browser", "http://127.0.0.1:1/", profiel()),
               std::system_error);
}

TEST_F(BrowserTest, WaitEndsSoonAfterTheWindowIsClosed) {
  auto duur = wacht("venster", "0.5", {.interval = 50ms, .gratie = 20s});
  EXPECT_GE(duur, 500ms);
  EXPECT_LT(duur, 5s) << "does not sit out the grace period";
  EXPECT_FALSE(vergrendeld());
}

TEST_F(BrowserTest, BrowserThatNeverTakesTheLockIsGivenTheGracePeriod) {
  auto duur = wacht("nooit", "0", {.interval = 50ms, .gratie = 600ms});
  EXPECT_GT(duur, 600ms);
  EXPECT_LT(duur, 5s);
}

TEST_F(BrowserTest, WaitGoesOnWhileAnotherBrowserProcessHoldsTheLock) {
  auto duur = wacht("doorgeven", "0.8", {.interval = 50ms, .gratie = 20s});
  EXPECT_GE(duur, 800ms);
  EXPECT_LT(duur, 5s);
  EXPECT_FALSE(vergrendeld());
}

// An interrupt with the window open: the browser is ended, and the profile is removed
// only after it has written its last files.
TEST_F(BrowserTest, ClosingAnOpenWindowEndsTheBrowserBeforeItsProfileIsRemoved) {
  zet_omgeving("FAKE_BROWSER", "nablijven");
  zet_omgeving("FAKE_BROWSER_SECONDS", "0.3");
  auto proc = _app_venster(kFakeBrowser, "http://127.0.0.1:1/", profiel());
  while (!vergrendeld()) std::this_thread::sleep_for(10ms);
  _venster_sluiten(proc, profiel());
  EXPECT_TRUE(proc.has_ended());
  EXPECT_FALSE(platform::profile_in_use(profiel()));
  EXPECT_TRUE(fs::exists(profiel() / "Local State")) << "its last file came before the return";
}

TEST_F(BrowserTest, ABrowserThatIgnoresTheRequestToEndIsEndedWithinTheBound) {
  zet_omgeving("FAKE_BROWSER", "nablijven");
  zet_omgeving("FAKE_BROWSER_SECONDS", "3");
  auto proc = _app_venster(kFakeBrowser, "http://127.0.0.1:1/", profiel());
  while (!vergrendeld()) std::this_thread::sleep_for(10ms);
  const auto begin = Clock::now();
  _venster_sluiten(proc, profiel(), 500ms);
  EXPECT_TRUE(proc.has_ended());
  EXPECT_LT(Clock::now() - begin, 5s);
}

TEST_F(BrowserTest, LockLeftByACrashedBrowserDoesNotHoldTheWait) {
  auto duur = wacht("crash", "0.3", {.interval = 50ms, .gratie = 20s});
  EXPECT_GE(duur, 300ms);
  EXPECT_LT(duur, 5s);
  EXPECT_FALSE(vergrendeld()) << "the stale lock was removed";
}

}  // namespace
}  // namespace verhulzen
