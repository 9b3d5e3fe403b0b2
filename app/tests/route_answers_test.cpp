// The launcher routes as the values they return, without a server: the same on
// every platform. Their way over HTTP is in launcher_routes_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "http/post_check.h"
#include "platform/files.h"
#include "routes/launcher_routes.h"
#include "support.h"
#include "update/status_file.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;

class RouteAnswers : public ::testing::Test {
 protected:
  RouteAnswers() {
    config_.DATA_DIR = dir_.path() / "data";
    config_.STATUS = config_.DATA_DIR / "status.json";
    config_.KANTOORLIJST = config_.DATA_DIR / "kantoorlijst.txt";
    fs::create_directories(config_.DATA_DIR);
  }

  RouteAnswer route(std::string_view target) const {
    const auto answer = launcher_route(target, config_);
    EXPECT_TRUE(answer.has_value()) << target;
    return answer.value_or(RouteAnswer{0, ""});
  }
  std::optional<std::string> stored_list() const {
    return platform::read_file(config_.KANTOORLIJST);
  }

  testing::TempDir dir_;
  Config config_;
};

TEST(RoutePath, IsThePathOfTheTargetWithoutQueryFragmentOrAuthority) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"/status.js", "/status.js"},
      {"/status.js?v=2", "/status.js"},
      {"/status.js#x?y", "/status.js"},
      {"http://127.0.0.1:8000/kantoorlijst?a", "/kantoorlijst"},
      {"//127.0.0.1:8000/verberg", "/verberg"},
      {"//127.0.0.1:8000", ""},
      {"/a:b", "/a:b"},
      {"/status%2Ejs", "/status%2Ejs"},
  };
  for (const auto& [target, path] : cases) EXPECT_EQ(route_path(target), path) << target;
}

TEST(ParseQuery, KeepsEachNamesNonEmptyValuesInOrder) {
  const auto query = parse_query("/extern?u=&u=a+b%2C&x&u=%FF&naam%20=1#u=weg");
  EXPECT_EQ(query.at("u"), (std::vector<std::string>{"a b,", "\xEF\xBF\xBD"}));
  EXPECT_EQ(query.at("naam "), std::vector<std::string>{"1"});
  EXPECT_EQ(query.count("x"), 0U);
  EXPECT_TRUE(parse_query("/extern").empty());
}

TEST_F(RouteAnswers, OnlyTheRoutesOwnPathsAreRoutes) {
  for (const char* target : {"/Status.js", "/status.js/", "/status%2Ejs", "/ocr", "/", ""}) {
    EXPECT_FALSE(launcher_route(target, config_).has_value()) << target;
  }
}

TEST_F(RouteAnswers, StatusScriptIsBuiltFromTheStatusAsItIsNow) {
  const RouteAnswer eerst = route("/status.js?v=2");
  EXPECT_EQ(eerst.code, 200);
  EXPECT_EQ(eerst.soort, "text/javascript; charset=utf-8");
  EXPECT_TRUE(eerst.body.starts_with("window.ANON_STATUS = {\"versie\": \"1.3.0\"")) << eerst.body;
  EXPECT_TRUE(eerst.body.ends_with("};\n"));
  schrijf_status(config_.STATUS, {{"info", {{"version", "1.4.0"}}}});
  EXPECT_NE(route("/status.js").body.find("\"laatste\": \"1.4.0\", \"nieuwer\": true"),
            std::string::npos);
}

TEST_F(RouteAnswers, OfficeListIsStoredExactlyAndReadBack) {
  EXPECT_EQ(route("/kantoorlijst").body, "");
  const std::string list =
      "\xEF\xBB\xBF"
      "Bakkerij Jansen B.V.\r\nZo\xC3\xAB\r\n";
  EXPECT_EQ(post_answer("/kantoorlijst", list, config_).code, 204);
  EXPECT_EQ(stored_list(), list);
  const RouteAnswer gelezen = route("/kantoorlijst");
  EXPECT_EQ(gelezen.code, 200);
  EXPECT_EQ(gelezen.soort, "text/plain; charset=utf-8");
  EXPECT_EQ(gelezen.body, list);

  for (const std::string_view kapot : {"\xC3\x28", "a\xC3", "\xED\xA0\x80"}) {
    EXPECT_EQ(post_answer("/kantoorlijst", kapot, config_).code, 400);
    EXPECT_EQ(stored_list(), list) << "a refused list changes nothing";
  }
  EXPECT_EQ(post_answer("/kantoorlijst", "", config_).code, 204);
  EXPECT_EQ(stored_list(), "");
}

TEST_F(RouteAnswers, AListThatCannotBeWrittenIs400) {
  fs::remove_all(config_.DATA_DIR);
  dir_.write("data", "een bestand waar de map hoort");
  EXPECT_EQ(post_answer("/kantoorlijst", "Jan de Vries\n", config_).code, 400);
  EXPECT_EQ(route("/kantoorlijst").code, 200);
}

TEST_F(RouteAnswers, VerbergHidesTheMessageItNames) {
  EXPECT_EQ(route("/verberg").code, 204);
  EXPECT_FALSE(fs::exists(config_.STATUS));
  EXPECT_EQ(route("/verberg?b=Tot+ziens%2C+Zo%C3%AB").code, 204);
  EXPECT_EQ(route("/verberg?b=Kapot%FF").code, 204);
  EXPECT_EQ(lees_status(config_.STATUS)["verborgen"],
            Json({"Kapot\xEF\xBF\xBD", "Tot ziens, Zo\xC3\xAB"}));
}

TEST_F(RouteAnswers, ControleerChecksTheFeedAndSendsThePageBack) {
  testing::FeedServer feed(
      [](const std::string&) { return testing::http_answer(200, R"({"version": "1.5.0"})"); });
  config_.UPDATE_URL = feed.url();
  const RouteAnswer answer = route("/controleer");
  EXPECT_EQ(answer.code, 302);
  EXPECT_EQ(answer.locatie, "/");
  EXPECT_EQ(answer.body, "");
  EXPECT_EQ(feed.requests().size(), 1U);
  EXPECT_EQ(lees_status(config_.STATUS)["info"]["version"], "1.5.0");
}

struct NumericFeed {
  std::string feed;
  Json laatste;
  bool nieuwer;
  Json notitie;
  Json blokkeer;
};

// A feed that writes its versions and note as JSON numbers, as the page gets it
// after a check: each number counts by its own text.
TEST_F(RouteAnswers, VersionsWrittenAsNumbersReachThePageAsTheirText) {
  const NumericFeed cases[] = {
      {R"({"version":1.30,"min_required":1.30,"notes":1E0})", "1.3", false, "1.0", nullptr},
      {R"({"version":2E0,"min_required":1.4,"notes":1e999})", "2.0", true, "1e999", "update"},
      {R"({"version":-0,"min_required":-0,"notes":0e0})", nullptr, false, nullptr, nullptr},
  };
  for (const NumericFeed& c : cases) {
    testing::FeedServer feed([&](const std::string&) { return testing::http_answer(200, c.feed); });
    config_.UPDATE_URL = feed.url();
    ASSERT_EQ(route("/controleer").code, 302);
    const std::string script = route("/status.js").body;
    constexpr std::string_view before = "window.ANON_STATUS = ";
    const Json status =
        Json::parse(script.substr(before.size(), script.size() - before.size() - 2));
    EXPECT_EQ(status["laatste"], c.laatste) << c.feed;
    EXPECT_EQ(status["nieuwer"], c.nieuwer) << c.feed;
    EXPECT_EQ(status["notitie"], c.notitie) << c.feed;
    EXPECT_EQ(status["blokkeer"], c.blokkeer) << c.feed;
  }
}

struct PostCase {
  const char* name;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;
  bool host_allowed;
  std::variant<ReadBody, Refuse> verwacht;
};

// Content-Length with the given value, and Host of the server that is asked.
std::vector<std::pair<std::string, std::string>> lengte(
    std::string waarde, std::vector<std::pair<std::string, std::string>> extra = {}) {
  extra.insert(extra.begin(), {{"Host", "127.0.0.1:8000"}, {"Content-Length", std::move(waarde)}});
  return extra;
}

TEST(CheckPost, DecidesBeforeAnyOfTheBodyIsRead) {
  const PostCase cases[] = {
      {"a list", "/kantoorlijst", lengte("12"), true, ReadBody{12}},
      {"same origin", "/kantoorlijst", lengte("12", {{"Origin", "http://127.0.0.1:8000"}}), true,
       ReadBody{12}},
      {"empty origin", "/kantoorlijst", lengte("12", {{"Origin", ""}}), true, ReadBody{12}},
      {"no length: empty", "/kantoorlijst", {{"Host", "127.0.0.1:8000"}}, true, ReadBody{0}},
      {"largest list", "/kantoorlijst", lengte(std::to_string(MAX_KANTOORLIJST_BODY)), true,
       ReadBody{MAX_KANTOORLIJST_BODY}},
      {"blanks around the length", "/kantoorlijst", lengte(" +7 "), true, ReadBody{7}},
      {"largest scan", "/ocr", lengte(std::to_string(MAX_OCR_BODY)), true, ReadBody{MAX_OCR_BODY}},
      {"host not ours", "/kantoorlijst", lengte("12"), false, Refuse{404}},
      {"foreign origin", "/kantoorlijst", lengte("12", {{"Origin", "http://evil.example"}}), true,
       Refuse{404}},
      {"origin null", "/kantoorlijst", lengte("12", {{"Origin", "null"}}), true, Refuse{404}},
      {"origin localhost for 127.0.0.1", "/kantoorlijst",
       lengte("12", {{"Origin", "http://localhost:8000"}}), true, Refuse{404}},
      {"query", "/kantoorlijst?x=1", lengte("12"), true, Refuse{404}},
      {"other target", "/status.js", lengte("12"), true, Refuse{404}},
      {"chunked", "/kantoorlijst", lengte("12", {{"Transfer-Encoding", "chunked"}}), true,
       Refuse{400}},
      {"length no number", "/kantoorlijst", lengte("twaalf"), true, Refuse{0}},
      {"length negative", "/kantoorlijst", lengte("-1"), true, Refuse{413}},
      {"one byte over", "/kantoorlijst", lengte(std::to_string(MAX_KANTOORLIJST_BODY + 1)), true,
       Refuse{413}},
      {"far over", "/kantoorlijst", lengte("99999999999999999999999999"), true, Refuse{413}},
      {"empty scan", "/ocr", lengte("0"), true, Refuse{413}},
      {"scan without length", "/ocr", {{"Host", "127.0.0.1:8000"}}, true, Refuse{413}},
      {"scan one byte over", "/ocr", lengte(std::to_string(MAX_OCR_BODY + 1)), true, Refuse{413}},
  };
  for (const PostCase& c : cases) {
    Request request{"POST", c.target, "HTTP/1.0", c.headers};
    const auto uitkomst = check_post(request, c.host_allowed);
    ASSERT_EQ(uitkomst.index(), c.verwacht.index()) << c.name;
    if (const auto* lezen = std::get_if<ReadBody>(&uitkomst)) {
      EXPECT_EQ(lezen->length, std::get<ReadBody>(c.verwacht).length) << c.name;
    } else {
      EXPECT_EQ(std::get<Refuse>(uitkomst).code, std::get<Refuse>(c.verwacht).code) << c.name;
    }
  }
}

}  // namespace
}  // namespace verhulzen
