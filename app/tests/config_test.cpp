#include "shell/config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "support.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;

struct ConfigCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::optional<std::string> package;
  fs::path data_dir;  // relative to the test's root, except where absolute
  bool store;
};

void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.name; }

class ConfigTest : public ::testing::TestWithParam<ConfigCase> {};

ConfigInputs inputs_for(const ConfigCase& c) {
  return {
      .library = "/opt/verhulzen/run/verhulzen_app.so",
      .environment = [env = c.environment](const std::string& name) -> std::optional<std::string> {
        if (auto found = env.find(name); found != env.end()) return found->second;
        return std::nullopt;
      },
      .package = c.package,
      .local_app_data = "/home/anna/.local/share",
      .earlier_local_app_data = "/home/anna",
      .process_id = 4242,
  };
}

TEST_P(ConfigTest, DataFolderAndStoreEdition) {
  const ConfigCase& c = GetParam();
  const Config config = bind_config(inputs_for(c));
  EXPECT_EQ(config.DATA_DIR, c.data_dir);
  EXPECT_EQ(config.STORE, c.store);
  EXPECT_EQ(config.STATUS, c.data_dir / "status.json");
  EXPECT_EQ(config.PROFIEL_DIR, c.data_dir / "profielen" / "sessie-4242");
}

const std::string kPackage = "Drovel.Verhulzen_8wekyb3d8bbwe";

const fs::path kDefault = "/home/anna/.local/share/DrovelVerhulzen";

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigTest,
    ::testing::Values(
        ConfigCase{"NoVariables", {}, std::nullopt, kDefault, false},
        ConfigCase{"DataDirVariable",
                   {{"VERHULZEN_DATA_DIR", "rel/data"}},
                   std::nullopt,
                   "rel/data",
                   false},
        ConfigCase{
            "EmptyDataDirIsUnset", {{"VERHULZEN_DATA_DIR", ""}}, std::nullopt, kDefault, false},
        ConfigCase{"Packaged",
                   {},
                   kPackage,
                   "/home/anna/.local/share/Packages/" + kPackage + "/LocalState",
                   true},
        ConfigCase{"PackagedWithDataDir", {{"VERHULZEN_DATA_DIR", "/d"}}, kPackage, "/d", true},
        ConfigCase{"StoreVariableOnly", {{"VERHULZEN_STORE", "1"}}, std::nullopt, kDefault, true},
        ConfigCase{
            "StoreVariableTrue", {{"VERHULZEN_STORE", "true"}}, std::nullopt, kDefault, false},
        ConfigCase{
            "StoreVariableBlank", {{"VERHULZEN_STORE", " 1"}}, std::nullopt, kDefault, false},
        ConfigCase{
            "StoreVariableZeroOne", {{"VERHULZEN_STORE", "01"}}, std::nullopt, kDefault, false}),
    [](const auto& test) { return test.param.name; });

// Only the default data folder moved; one named by the variable or the package never did.
TEST(ConfigEarlierDataDir, OnlyTheDefaultDataFolderHasAnEarlierPlace) {
  ConfigCase c{"", {}, std::nullopt, "", false};
  EXPECT_EQ(bind_config(inputs_for(c)).EARLIER_DATA_DIR, fs::path("/home/anna/DrovelVerhulzen"));
  ConfigInputs same = inputs_for(c);
  same.earlier_local_app_data = same.local_app_data;
  EXPECT_EQ(bind_config(same).EARLIER_DATA_DIR, std::nullopt);
  ConfigInputs windows = inputs_for(c);
  windows.earlier_local_app_data = std::nullopt;
  EXPECT_EQ(bind_config(windows).EARLIER_DATA_DIR, std::nullopt);
  c.environment["VERHULZEN_DATA_DIR"] = "/d";
  EXPECT_EQ(bind_config(inputs_for(c)).EARLIER_DATA_DIR, std::nullopt);
  c.environment.clear();
  c.package = kPackage;
  EXPECT_EQ(bind_config(inputs_for(c)).EARLIER_DATA_DIR, std::nullopt);
}

TEST(ConfigUpdateUrl, VariableReplacesTheFeedUnlessEmpty) {
  ConfigCase c{"", {}, std::nullopt, "", false};
  EXPECT_EQ(bind_config(inputs_for(c)).UPDATE_URL, MAKER_UPDATE_URL);
  c.environment["VERHULZEN_UPDATE_URL"] = "";
  EXPECT_EQ(bind_config(inputs_for(c)).UPDATE_URL, MAKER_UPDATE_URL);
  c.environment["VERHULZEN_UPDATE_URL"] = "http://127.0.0.1:9/feed";
  EXPECT_EQ(bind_config(inputs_for(c)).UPDATE_URL, "http://127.0.0.1:9/feed");
}

class WebDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "run");
    fs::create_directories(root_ / "verhulzen");
  }

  fs::path web_dir_for(const fs::path& library) {
    ConfigCase c{"", {}, std::nullopt, "", false};
    ConfigInputs inputs = inputs_for(c);
    inputs.library = library;
    return bind_config(inputs).WEB_DIR;
  }

  testing::TempDir dir_;
  const fs::path root_ = dir_.path();
};

TEST_F(WebDirTest, WebBesideTheLibraryWinsOverTheSiblingFolder) {
  fs::create_directories(root_ / "run" / "web");
  std::ofstream(root_ / "run" / "web" / "index.html") << "<!doctype html>";
  EXPECT_EQ(web_dir_for(root_ / "run" / "verhulzen_app.so"), fs::canonical(root_) / "run" / "web");
}

TEST_F(WebDirTest, WithoutIndexPageTheSiblingFolderIsTaken) {
  fs::create_directories(root_ / "run" / "web");  // a folder without index.html does not count
  EXPECT_EQ(web_dir_for(root_ / "run" / "verhulzen_app.so"), fs::canonical(root_) / "verhulzen");
}

TEST_F(WebDirTest, LinksToTheLibraryAreResolved) {
  fs::create_directories(root_ / "elsewhere");
  fs::create_directories(root_ / "run" / "web");
  std::ofstream(root_ / "run" / "web" / "index.html") << "<!doctype html>";
  std::ofstream(root_ / "run" / "verhulzen_app.so") << "";
  fs::create_symlink(root_ / "run" / "verhulzen_app.so", root_ / "elsewhere" / "link.so");
  EXPECT_EQ(web_dir_for(root_ / "elsewhere" / "link.so"), fs::canonical(root_) / "run" / "web");
}

}  // namespace
}  // namespace verhulzen
