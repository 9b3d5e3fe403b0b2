// The Windows platform layer against the real Win32 API (under Wine here).
#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "../support.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/session_lock.h"
#include "shell/profile.h"
#include "text/utf8.h"

#ifndef ECHO_ARGS_EXE
#error "ECHO_ARGS_EXE names the fixture that echoes its arguments"
#endif

namespace verhulzen {
namespace {
namespace fs = std::filesystem;
using testing::TempDir;

const char* const kAccented = "Zo\xC3\xAB \xC3\x9Cnal";  // "Zoë Ünal", as a user name may be

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    old_ = platform::environment_variable(name);
    set(value);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() { set(old_); }

 private:
  void set(const std::optional<std::string>& value) {
    const std::wstring wide = path_from_utf8(name_).wstring();
    SetEnvironmentVariableW(wide.c_str(), value ? path_from_utf8(*value).c_str() : nullptr);
  }
  std::string name_;
  std::optional<std::string> old_;
};

TEST(WindowsEnvironment, TellsMissingFromEmptyAndKeepsAccents) {
  const ScopedVariable missing("VERHULZEN_TEST_MISSING", std::nullopt);
  const ScopedVariable empty("VERHULZEN_TEST_EMPTY", "");
  const ScopedVariable accented("VERHULZEN_TEST_NAME", kAccented);
  EXPECT_EQ(platform::environment_variable("VERHULZEN_TEST_MISSING"), std::nullopt);
  EXPECT_EQ(platform::environment_variable("VERHULZEN_TEST_EMPTY"), "");
  EXPECT_EQ(platform::environment_variable("VERHULZEN_TEST_NAME"), kAccented);
  // A process started from a folder has no package identity.
  EXPECT_EQ(platform::package_family_name(), std::nullopt);
}

TEST(WindowsEnvironment, LocalAppDataCountsWheneverItExistsElseTheHomeFolder) {
  const ScopedVariable profile("USERPROFILE", "C:\\Users\\anna");
  {
    const ScopedVariable local("LOCALAPPDATA", "C:\\la");
    EXPECT_EQ(platform::local_app_data_folder().wstring(), L"C:\\la");
  }
  {
    const ScopedVariable local("LOCALAPPDATA", "");
    EXPECT_EQ(platform::local_app_data_folder(), fs::path());
  }
  const ScopedVariable local("LOCALAPPDATA", std::nullopt);
  EXPECT_EQ(platform::local_app_data_folder().wstring(), L"C:\\Users\\anna");
  EXPECT_EQ(platform::earlier_local_app_data_folder(), std::nullopt);
}

TEST(WindowsSessionLock, TheSecondHolderLearnsTheNameIsTaken) {
  const std::string name = "Local\\DrovelVerhulzen-test-" + std::to_string(platform::process_id());
  const auto first = platform::create_session_lock(name);
  ASSERT_NE(first.handle, 0);
  EXPECT_FALSE(first.already_exists);
  const auto second = platform::create_session_lock(name);
  EXPECT_TRUE(second.already_exists);
  CloseHandle(reinterpret_cast<HANDLE>(second.handle));
  CloseHandle(reinterpret_cast<HANDLE>(first.handle));
  // With the last handle closed the name is free again.
  const auto again = platform::create_session_lock(name);
  EXPECT_FALSE(again.already_exists);
  CloseHandle(reinterpret_cast<HANDLE>(again.handle));
}

TEST(WindowsProfileLock, InUseOnlyWhileABrowserHoldsTheLockFile) {
  const TempDir dir;
  const fs::path profile = dir.path() / path_from_utf8(kAccented);
  EXPECT_FALSE(platform::profile_in_use(profile)) << "no folder";
  fs::create_directories(profile);
  EXPECT_FALSE(platform::profile_in_use(profile)) << "no lock file";

  const fs::path lock = profile / "lockfile";
  std::ofstream(lock) << "x";
  EXPECT_FALSE(platform::profile_in_use(profile)) << "left behind";
  EXPECT_FALSE(fs::exists(lock)) << "a lock left behind is removed";

  std::ofstream(lock) << "x";
  // As the browser holds it: open, without delete sharing.
  const HANDLE held = CreateFileW(lock.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform::profile_in_use(profile));
  EXPECT_TRUE(fs::exists(lock));
  CloseHandle(held);
  EXPECT_FALSE(platform::profile_in_use(profile));
}

TEST(WindowsBrowserSearch, BasesInOrderEdgeBeforeChromeWindowsSeparators) {
  const ScopedVariable x86("ProgramFiles(x86)", "");
  const ScopedVariable files("ProgramFiles", "C:\\PF");
  const ScopedVariable local("LOCALAPPDATA",
                             std::string("C:\\Users\\") + kAccented + "\\AppData\\Local");
  const auto search = platform::browser_search();
  const std::vector<fs::path> expected{
      "C:\\PF\\Microsoft\\Edge\\Application\\msedge.exe",
      "C:\\PF\\Google\\Chrome\\Application\\chrome.exe",
      path_from_utf8(std::string("C:\\Users\\") + kAccented +
                     "\\AppData\\Local\\Microsoft\\Edge\\Application\\msedge.exe"),
      path_from_utf8(std::string("C:\\Users\\") + kAccented +
                     "\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe"),
  };
  ASSERT_EQ(search.locations.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(search.locations[i].wstring(), expected[i].wstring()) << i;
  }
  EXPECT_EQ(search.commands, (std::vector<std::string>{"msedge", "chrome"}));
}

TEST(WindowsSearchPath, TriesEachFolderWithTheExecutableSuffixes) {
  const TempDir dir;
  dir.write("eerste/chrome.cmd", "");
  dir.write("tweede/msedge.exe", "");
  dir.write("tweede/chrome.exe", "");
  const ScopedVariable path("PATH", utf8_of(dir.path() / "leeg") + ";;" +
                                        utf8_of(dir.path() / "eerste") + ";" +
                                        utf8_of(dir.path() / "tweede"));
  const ScopedVariable suffixes("PATHEXT", ".EXE;.CMD");
  // Names on Windows are the same in any case: the suffix may come as PATHEXT writes it.
  auto found = [](const char* command, const fs::path& expected) {
    const auto result = platform::find_on_path(command);
    return result && fs::equivalent(*result, expected);
  };
  EXPECT_TRUE(found("msedge", dir.path() / "tweede" / "msedge.exe"));
  EXPECT_TRUE(found("chrome", dir.path() / "eerste" / "chrome.cmd"));
  EXPECT_TRUE(found("chrome.exe", dir.path() / "tweede" / "chrome.exe"));
  EXPECT_EQ(platform::find_on_path("firefox"), std::nullopt);
}

TEST(WindowsFiles, ReplaceAndReadUnderAnAccentedFolder) {
  const TempDir dir;
  const fs::path file = dir.path() / path_from_utf8(kAccented) / "status.json";
  fs::create_directories(file.parent_path());
  ASSERT_TRUE(platform::replace_file(file, "eerste"));
  ASSERT_TRUE(platform::replace_file(file, "oud"));
  auto reader = platform::ReadOnlyFile::open(file);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->size(), 3U);
  // A reader that has the file open keeps reading what it opened. Windows 10
  // renames over it; a file system that cannot leaves the old content whole.
  const bool replaced = platform::replace_file(file, "nieuwe inhoud");
  char buffer[16] = {};
  EXPECT_EQ(std::string(buffer, reader->read(buffer, sizeof buffer)), "oud");
  EXPECT_EQ(platform::read_file(file), replaced ? "nieuwe inhoud" : "oud");
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
      << "no temporary file stays behind";
  EXPECT_FALSE(platform::ReadOnlyFile::open(file.parent_path())) << "a folder is no file";
  EXPECT_FALSE(platform::read_file(dir.path() / "ontbreekt"));
}

// A link to a folder, as a user makes one: a junction. Wine makes none, but shows a
// symbolic link of its host as a reparse point, as Windows shows a junction, and
// removes neither right: the host's own commands make and remove it there.
class FolderLink {
 public:
  FolderLink(fs::path link, const fs::path& target) : link_(std::move(link)) {
    run(host_name_ ? L"Z:\\bin\\ln -s " + host(target) + L" " + host(link_)
                   : L"cmd.exe /c mklink /J " + quoted(link_) + L" " + quoted(target));
    wait_until([&] { return platform::is_link(link_); });
  }
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;
  ~FolderLink() {
    run(host_name_ ? L"Z:\\bin\\rm " + host(link_) : L"cmd.exe /c rmdir " + quoted(link_));
    wait_until([&] { return !platform::is_link(link_); });
  }

 private:
  using HostName = char* (*)(LPCWSTR);

  static std::wstring quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }
  std::wstring host(const fs::path& path) const {
    char* name = host_name_(path.c_str());
    const fs::path on_host = path_from_utf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return quoted(on_host);
  }
  static void run(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  // A program of the host may still run when Wine reports it ended.
  static void wait_until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) Sleep(10);
    ASSERT_TRUE(done());
  }

  const HostName host_name_ = reinterpret_cast<HostName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  fs::path link_;
};

// std::filesystem here takes a junction for the folder it points at: the clean-up
// of the profiles must still leave everything there as it was.
TEST(WindowsLinks, TheProfileCleanUpFollowsNoJunction) {
  const TempDir dir;
  const fs::path elders = dir.path() / "Documenten";
  dir.write("Documenten/brief.txt", "Geachte heer De Vries,");
  dir.write("Documenten/sessie-111/Default/Preferences", "{}");
  const fs::path profielen = dir.path() / "data" / "profielen";
  dir.write("data/profielen/sessie-222/Default/Preferences", "{}");
  dir.write("data/profielen/sessie-444/Default/Preferences", "{}");
  const FolderLink downloads(profielen / "sessie-222" / "Downloads", elders);
  const FolderLink sessie(profielen / "sessie-333", elders);
  const fs::path gekoppeld = dir.path() / "gekoppeld" / "profielen";
  fs::create_directories(gekoppeld.parent_path());
  const FolderLink gekoppelde_profielen(gekoppeld, elders);
  EXPECT_FALSE(platform::is_link(profielen));
  EXPECT_FALSE(platform::is_link(elders / "brief.txt"));

  _oude_profielen_wissen(profielen, profielen / "sessie-1", dir.path() / "data" / "browserprofiel");
  _oude_profielen_wissen(gekoppeld, gekoppeld / "sessie-1", dir.path() / "browserprofiel");
  _profiel_wissen(gekoppeld / "sessie-111");
  EXPECT_EQ(platform::read_file(elders / "brief.txt"), "Geachte heer De Vries,");
  EXPECT_TRUE(fs::exists(elders / "sessie-111" / "Default" / "Preferences"));
  EXPECT_FALSE(fs::exists(profielen / "sessie-444")) << "a profile without links goes";
}

TEST(WindowsFiles, ReadsAnOwnFileAndNoFolder) {
  const TempDir dir;
  dir.write("kantoorlijst.txt", "Bakkerij Jansen B.V.\n");
  EXPECT_EQ(platform::read_own_file(dir.path() / "kantoorlijst.txt"), "Bakkerij Jansen B.V.\n");
  EXPECT_EQ(platform::read_own_file(dir.path()), std::nullopt);
  EXPECT_EQ(platform::read_own_file(dir.path() / "ontbreekt.txt"), std::nullopt);
}

TEST(WindowsProcess, TheChildGetsTheArgumentVectorBack) {
  const TempDir dir;
  const fs::path out = dir.path() / path_from_utf8(kAccented) / "args.txt";
  fs::create_directories(out.parent_path());
  const std::vector<std::string> args{"met spatie",
                                      "aan\"halings\"teken",
                                      "C:\\map met spatie\\",
                                      "",
                                      kAccented,
                                      "--user-data-dir=C:\\Users\\A B\\sessie-1"};
  std::vector<std::string> argv{ECHO_ARGS_EXE, utf8_of(out)};
  argv.insert(argv.end(), args.begin(), args.end());
  auto child = platform::start_process(argv);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!child.has_ended() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(child.has_ended());
  std::string expected;
  for (const auto& a : args) expected += a + "\n";
  EXPECT_EQ(platform::read_file(out), expected);
}

TEST(WindowsProcess, AProgramThatIsMissingThrows) {
  const TempDir dir;
  EXPECT_THROW(platform::start_process({utf8_of(dir.path() / "ontbreekt.exe")}), std::system_error);
}

}  // namespace
}  // namespace verhulzen
