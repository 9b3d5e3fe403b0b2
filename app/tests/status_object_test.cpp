#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "json/exact_json.h"
#include "status/huidige_status.h"
#include "support.h"
#include "update/status_file.h"

namespace verhulzen {
namespace {

constexpr double kNu = 1'800'000'000;
const Json kOcr = {{"ocr", true}, {"taal", "nl-NL"}};

Json status_of(const Json& s, bool store = false, double nu = kNu) {
  return bouw_status(s, nu, store, kOcr);
}

struct BlockCase {
  const char* name;
  Json s;
  bool store;
  Json blokkeer;
};

TEST(StatusObject, BlocksByTheFirstRuleThatHolds) {
  const Json old_min = {{"min_required", "2"}};
  const BlockCase cases[] = {
      {"empty file never offline", Json::object(), false, nullptr},
      {"exactly a week", {{"gecontroleerd", kNu - WEEK}}, false, nullptr},
      {"a moment over a week", {{"gecontroleerd", kNu - WEEK - 0.5}}, false, "offline"},
      {"first start counts without a check", {{"eerste_start", kNu - WEEK - 1}}, false, "offline"},
      {"a recent check beats an old first start",
       {{"eerste_start", kNu - 9 * WEEK}, {"gecontroleerd", kNu - 10}},
       false,
       nullptr},
      {"clock exactly an hour behind", {{"server_ts", kNu + 3600}}, false, nullptr},
      {"clock two hours behind beats offline and update",
       {{"server_ts", kNu + 7200}, {"gecontroleerd", kNu - 2 * WEEK}, {"info", old_min}},
       false,
       "klok"},
      {"min 1.3 against 1.3.0", {{"info", {{"min_required", "1.3"}}}}, false, nullptr},
      {"min 1.3.1", {{"info", {{"min_required", "1.3.1"}}}}, false, "update"},
      {"min 2", {{"info", old_min}}, false, "update"},
      {"store ignores min_required, clock and offline",
       {{"server_ts", kNu + 7200}, {"gecontroleerd", kNu - 2 * WEEK}, {"info", old_min}},
       true,
       nullptr},
      {"store minimum", {{"info", {{"store_min_required", "1.4"}}}}, true, "update"},
      {"store minimum ignored outside the store",
       {{"info", {{"store_min_required", "9"}}}},
       false,
       nullptr},
      {"a time that is no number counts as absent",
       {{"gecontroleerd", "gisteren"}},
       false,
       nullptr},
      // Hand-edited and fed numbers in any notation, as read from their files.
      {"a check written as 1.7E9", read_exact_json(R"({"gecontroleerd": 1.7E9})").value(), false,
       "offline"},
      {"a first start written as 1.7E9", read_exact_json(R"({"eerste_start": 1.7E9})").value(),
       false, "offline"},
      {"a server time written as 9e15", read_exact_json(R"({"server_ts": 9e15})").value(), false,
       "klok"},
      {"min 1.30 is 1.3", read_exact_json(R"({"info": {"min_required": 1.30}})").value(), false,
       nullptr},
      {"min 1.3E0 is 1.3", read_exact_json(R"({"info": {"min_required": 1.3E0}})").value(), false,
       nullptr},
      {"min -0 is 0", read_exact_json(R"({"info": {"min_required": -0}})").value(), false, nullptr},
      {"min 2E0 is 2.0", read_exact_json(R"({"info": {"min_required": 2E0}})").value(), false,
       "update"},
      {"store min 1.40", read_exact_json(R"({"info": {"store_min_required": 1.40}})").value(), true,
       "update"},
  };
  for (const auto& c : cases) EXPECT_EQ(status_of(c.s, c.store)["blokkeer"], c.blokkeer) << c.name;
}

TEST(StatusObject, HasEveryKeyInOrderWithTheOcrAvailabilityLast) {
  const Json status = status_of({{"info", {{"version", "1.3.0"}, {"notes", "Nieuw"}}}});
  std::vector<std::string> keys;
  for (const auto& [key, value] : status.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"versie", "laatste", "nieuwer", "notitie", "download",
                                            "store", "blokkeer", "berichten", "ocr", "taal"}));
  EXPECT_EQ(status["laatste"], "1.3.0");
  EXPECT_EQ(status["nieuwer"], false);
  EXPECT_EQ(status["notitie"], "Nieuw");
  EXPECT_EQ(status["ocr"], true);
  EXPECT_EQ(status["taal"], "nl-NL");
}

TEST(StatusObject, VersionNoteAndDownloadFollowTheEdition) {
  const Json info = {{"version", 1.4},
                     {"notes", std::string(600, 'n')},
                     {"download_url", "https://drovel.nl/nieuw"}};
  const Json outside = status_of({{"info", info}});
  EXPECT_EQ(outside["laatste"], "1.4");
  EXPECT_EQ(outside["nieuwer"], true);
  EXPECT_EQ(outside["notitie"], std::string(500, 'n'));
  EXPECT_EQ(outside["download"], "https://drovel.nl/nieuw");

  const Json store = status_of({{"info", info}}, true);
  EXPECT_EQ(store["nieuwer"], false);
  EXPECT_EQ(store["notitie"], nullptr);
  EXPECT_EQ(store["download"], STORE_URL);
  EXPECT_EQ(store["store"], true);

  for (const char* unsafe : {"http://drovel.nl/", "https://evil.example/"}) {
    EXPECT_EQ(status_of({{"info", {{"download_url", unsafe}}}})["download"], DOWNLOAD_URL)
        << unsafe;
  }
  const Json missing = status_of({{"info", "geen object"}});
  EXPECT_EQ(missing["laatste"], nullptr);
  EXPECT_EQ(missing["notitie"], nullptr);
}

std::string local_date(double epoch) {
  const auto t = static_cast<std::time_t>(epoch);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

Json texts(const Json& berichten) {
  Json result = Json::array();
  for (const Json& b : berichten) result.push_back(b["message"]);
  return result;
}

TEST(StatusObject, MessagesExpireOnTheirDayAndUnreadableDatesAreLeftOut) {
  const std::string today = local_date(kNu);
  const std::string tomorrow = local_date(kNu + 86400);
  const Json berichten = {
      {{"message", "vandaag"}, {"expires", today}},
      {{"message", "morgen"}, {"expires", tomorrow}},
      {{"message", "met tijd"}, {"expires", tomorrow + "T08:00:00"}},
      {{"message", "maand 13"}, {"expires", "2030-13-01"}},
      {{"message", "30 februari"}, {"expires", "2030-02-30"}},
      {{"message", "woord"}, {"expires", "binnenkort"}},
      {{"message", "leeg"}, {"expires", ""}},
      {{"message", "nul"}, {"expires", read_exact_json("0E0").value()}},
      {{"message", "korte vorm"}, {"expires", "2099-1-5"}},
      {{"message", 42}},
      "alleen tekst",
      {{"message", "link"}, {"url", "https://www.drovel.nl/a"}},
      {{"message", "vreemde link"}, {"url", "https://evil.example/"}},
  };
  const Json status = status_of({{"info", {{"berichten", berichten}}}});
  EXPECT_EQ(texts(status["berichten"]),
            Json({"morgen", "met tijd", "leeg", "nul", "korte vorm", "link", "vreemde link"}));
  EXPECT_EQ(status["berichten"][5]["url"], "https://www.drovel.nl/a");
  EXPECT_EQ(status["berichten"][6]["url"], nullptr);
}

TEST(StatusObject, ShowsTheFirstTenVisibleMessagesCutTo300Characters) {
  Json berichten = Json::array();
  berichten.push_back({{"message", "verborgen"}});
  berichten.push_back({{"message", "oud"}, {"expires", "2000-01-01"}});
  for (int i = 0; i < 12; ++i) berichten.push_back({{"message", "bericht " + std::to_string(i)}});
  const Json status =
      status_of({{"info", {{"berichten", berichten}}}, {"verborgen", {"verborgen"}}});
  ASSERT_EQ(status["berichten"].size(), 10u);
  EXPECT_EQ(status["berichten"][0]["message"], "bericht 0");
  EXPECT_EQ(status["berichten"][9]["message"], "bericht 9");

  // 400 characters, each of two bytes: cut after the 300th character, not the 300th byte.
  std::string lang;
  for (int i = 0; i < 400; ++i) lang += "\xC3\xAB";
  const std::string cut = lang.substr(0, 600);
  const Json shown = status_of({{"info", {{"berichten", {{{"message", lang}}}}}}});
  EXPECT_EQ(shown["berichten"][0]["message"], cut);
  const Json hidden =
      status_of({{"info", {{"berichten", {{{"message", lang}}}}}}, {"verborgen", {cut}}});
  EXPECT_TRUE(hidden["berichten"].empty());
}

TEST(HidingMessages, KeepsOneSortedCopyOfTheLastFiftyTexts) {
  testing::TempDir dir;
  Config config;
  config.STATUS = dir.path() / "status.json";
  schrijf_status(config.STATUS, {{"info", {{"version", "1.4"}}}});
  verberg_bericht(config, "b");
  verberg_bericht(config, "b");
  verberg_bericht(config, "a");
  Json s = lees_status(config.STATUS);
  EXPECT_EQ(s["verborgen"], Json({"a", "b"}));
  EXPECT_EQ(s["info"]["version"], "1.4");  // the rest of the file survives

  for (int i = 0; i < 49; ++i) verberg_bericht(config, "m" + std::to_string(100 + i));
  s = lees_status(config.STATUS);
  ASSERT_EQ(s["verborgen"].size(), 50u);
  EXPECT_EQ(s["verborgen"].front(), "b");  // "a" sorted first and was dropped
  EXPECT_EQ(s["verborgen"].back(), "m148");
}

TEST(StatusScript, SetsTheGlobalWithAsciiJsonAndOneLineFeed) {
  const Json status = {{"message", "Tot ziens, Zo\xC3\xAB"}, {"n", nullptr}};
  EXPECT_EQ(status_script(status),
            "window.ANON_STATUS = {\"message\": \"Tot ziens, Zo\\u00eb\", \"n\": null};\n");
}

}  // namespace
}  // namespace verhulzen
