#include "shell/main_flow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <stdexcept>

#include "platform/files.h"
#include "support.h"

namespace verhulzen {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(Looptijd, DecimalSecondsWithBlanksAround) {
  const std::pair<const char*, double> geldig[] = {{"30", 30},  {"2.5", 2.5}, {" 2.5\t", 2.5},
                                                   {"0", 0},    {"-1", -1},   {".5", 0.5},
                                                   {"1e1", 10}, {"+3", 3}};
  for (const auto& [tekst, seconden] : geldig)
    EXPECT_DOUBLE_EQ(looptijd(tekst).count(), seconden) << tekst;

  for (const char* tekst :
       {"", " ", "abc", "2.5s", "1,5", "nan", "inf", "1e400", "1e20", "+-1", "0x10"}) {
    EXPECT_THROW(looptijd(tekst), std::invalid_argument) << '"' << tekst << '"';
  }
}

TEST(Updatecontrole, WaitEndsWithTheCheck) {
  std::atomic<bool> gedaan = false;
  wacht_op_updatecontrole([&] { gedaan = true; }, 10s);
  EXPECT_TRUE(gedaan);
  wacht_op_updatecontrole([] { throw std::runtime_error("geen verbinding"); }, 10s);
}

TEST(Updatecontrole, ASlowCheckDelaysTheStartOnlyUpToTheBound) {
  auto vrij = std::make_shared<std::promise<void>>();
  auto begin = std::chrono::steady_clock::now();
  wacht_op_updatecontrole([los = vrij->get_future().share()] { los.wait(); }, 200ms);
  auto duur = std::chrono::steady_clock::now() - begin;
  vrij->set_value();
  EXPECT_GE(duur, 200ms);
  EXPECT_LT(duur, 5s);
}

TEST(InstanceRecord, PidPortAndProfileInOrderAsAscii) {
  // A path from UTF-8 on every platform; a narrow string would be Windows's code page.
  EXPECT_EQ(instance_record(4321, 51234, fs::path(u8"/home/Jos\u00e9/profielen/sessie-4321")),
            R"({"pid": 4321, "port": 51234, "profiel": "/home/Jos\u00e9/profielen/sessie-4321"})");
}

TEST(Kantoorlijst, CopiedOnceIntoThePackagesDataFolder) {
  const testing::TempDir dir;
  const fs::path& root = dir.path();
  fs::create_directories(root / "oud");
  fs::create_directories(root / "pakket");
  Config config;
  config.OUDE_DATA_DIR = root / "oud";
  config.KANTOORLIJST = root / "pakket" / "kantoorlijst.txt";
  auto lees = [&] {
    std::ifstream in(config.KANTOORLIJST);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };

  kantoorlijst_overnemen(config);  // no source yet: nothing happens
  std::ofstream(root / "oud" / "kantoorlijst.txt") << "[altijd]\nDrovel\n";
  kantoorlijst_overnemen(config);
  EXPECT_FALSE(fs::exists(config.KANTOORLIJST)) << "not without a package";

  config.PAKKET = "Drovel.Verhulzen_abc";
  kantoorlijst_overnemen(config);
  EXPECT_EQ(lees(), "[altijd]\nDrovel\n");

  std::ofstream(config.KANTOORLIJST) << "eigen lijst";
  kantoorlijst_overnemen(config);
  EXPECT_EQ(lees(), "eigen lijst") << "an existing list is never overwritten";
}

// Earlier versions kept their data in ~/DrovelVerhulzen, where a user may also keep
// the program and documents of their own; the starter's runtime folder may already
// stand in the new data folder.
class VorigeDatamap : public ::testing::Test {
 protected:
  VorigeDatamap() {
    config.DATA_DIR = dir.path() / "share" / "DrovelVerhulzen";
    config.EARLIER_DATA_DIR = vorige;
    config.INSTANCE = config.DATA_DIR / "instance.json";
    config.STATUS = config.DATA_DIR / "status.json";
    config.KANTOORLIJST = config.DATA_DIR / "kantoorlijst.txt";
  }
  std::string lees(const fs::path& pad) const { return platform::read_file(pad).value_or("-"); }

  testing::TempDir dir;
  const fs::path vorige = dir.path() / "DrovelVerhulzen";
  Config config;
};

TEST_F(VorigeDatamap, TakesOverOnlyTheOfficeListAndTheStatusFile) {
  dir.write("share/DrovelVerhulzen/runtime/1-2.lock", "");
  dir.write("DrovelVerhulzen/DrovelVerhulzen", "het programma");
  dir.write("DrovelVerhulzen/Jaarrekening 2023.pdf", "%PDF-1.7");
  dir.write("DrovelVerhulzen/kantoorlijst.txt", "Bakkerij Jansen B.V.\n");
  dir.write("DrovelVerhulzen/status.json", R"({"gecontroleerd": 1})");
  dir.write("DrovelVerhulzen/profielen/sessie-7/Local State", "{}");

  datamap_inrichten(config);
  EXPECT_EQ(lees(config.KANTOORLIJST), "Bakkerij Jansen B.V.\n");
  EXPECT_EQ(lees(config.STATUS), R"({"gecontroleerd": 1})");
  EXPECT_TRUE(fs::exists(config.DATA_DIR / "runtime" / "1-2.lock"));
  EXPECT_FALSE(fs::exists(vorige / "kantoorlijst.txt"));
  EXPECT_FALSE(fs::exists(vorige / "status.json"));
  // Everything else stays where the user had it.
  EXPECT_EQ(lees(vorige / "DrovelVerhulzen"), "het programma");
  EXPECT_EQ(lees(vorige / "Jaarrekening 2023.pdf"), "%PDF-1.7");
  EXPECT_TRUE(fs::exists(vorige / "profielen" / "sessie-7" / "Local State"));
  for (const char* naam : {"DrovelVerhulzen", "Jaarrekening 2023.pdf", "profielen"})
    EXPECT_FALSE(fs::exists(config.DATA_DIR / naam)) << naam;

  // Once: an office list put there later stays there.
  dir.write("DrovelVerhulzen/kantoorlijst.txt", "Oude lijst\n");
  datamap_inrichten(config);
  EXPECT_EQ(lees(config.KANTOORLIJST), "Bakkerij Jansen B.V.\n");
  EXPECT_EQ(lees(vorige / "kantoorlijst.txt"), "Oude lijst\n");
}

// A start broken off after the status file leaves the office list for the next one.
TEST_F(VorigeDatamap, OnlyWhileTheDataFolderHasNoOfficeListAndNeverOverTheDataFoldersOwn) {
  struct Geval {
    const char* naam;
    const char* eigen_lijst;  // nullptr: none
    const char* eigen_status;
    const char* lijst_daarna;
    const char* status_daarna;
    bool lijst_blijft_achter;
    bool status_blijft_achter;
  };
  const Geval gevallen[] = {
      {"none of its own", nullptr, nullptr, "oud", "{\"oud\": 1}", false, false},
      {"a status file of its own", nullptr, "{\"eigen\": 1}", "oud", "{\"eigen\": 1}", false, true},
      {"an office list of its own", "eigen", nullptr, "eigen", "-", true, true},
      {"an empty office list of its own", "", nullptr, "", "-", true, true},
  };
  for (const auto& g : gevallen) {
    fs::remove_all(dir.path());
    dir.write("DrovelVerhulzen/kantoorlijst.txt", "oud");
    dir.write("DrovelVerhulzen/status.json", "{\"oud\": 1}");
    if (g.eigen_lijst) dir.write("share/DrovelVerhulzen/kantoorlijst.txt", g.eigen_lijst);
    if (g.eigen_status) dir.write("share/DrovelVerhulzen/status.json", g.eigen_status);
    datamap_inrichten(config);
    EXPECT_EQ(lees(config.KANTOORLIJST), g.lijst_daarna) << g.naam;
    EXPECT_EQ(lees(config.STATUS), g.status_daarna) << g.naam;
    EXPECT_EQ(fs::exists(vorige / "kantoorlijst.txt"), g.lijst_blijft_achter) << g.naam;
    EXPECT_EQ(fs::exists(vorige / "status.json"), g.status_blijft_achter) << g.naam;
  }
}

}  // namespace
}  // namespace verhulzen
