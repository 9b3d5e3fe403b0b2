#include "update/update_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/files.h"
#include "support.h"
#include "text/http_date.h"
#include "update/feed_request.h"
#include "update/status_file.h"

namespace verhulzen {
namespace {

using namespace std::chrono_literals;

using testing::FeedServer;
using testing::http_answer;
using testing::TempDir;

const Json kPrevious = {{"version", "1.2.0"}};
const std::string kFeed = R"({"version": "1.4.0", "berichten": [{"message": "Nieuw"}]})";

class UpdateCheck : public ::testing::Test {
 protected:
  Config config_for(const std::string& url) {
    Config config;
    config.STATUS = dir_.path() / "status.json";
    config.UPDATE_URL = url;
    return config;
  }
  Json status() { return lees_status(dir_.path() / "status.json"); }
  void write_status(const Json& s) { schrijf_status(dir_.path() / "status.json", s); }

  TempDir dir_;
};

struct DailyCase {
  const char* name;
  Json gecontroleerd;  // seconds relative to now; null for absent
  bool forceer;
  bool asks;
};

void PrintTo(const DailyCase& c, std::ostream* os) { *os << c.name; }

class DailyRule : public UpdateCheck, public ::testing::WithParamInterface<DailyCase> {};

TEST_P(DailyRule, AsksAtMostOnceADayUnlessForced) {
  const DailyCase& c = GetParam();
  FeedServer feed([](const std::string&) { return http_answer(200, kFeed); });
  Json s = {{"eigen", "blijft"}};
  if (c.gecontroleerd.is_number())
    s["gecontroleerd"] = epoch_seconds_now() + c.gecontroleerd.get<double>();
  if (c.gecontroleerd.is_string()) s["gecontroleerd"] = c.gecontroleerd;
  write_status(s);

  EXPECT_TRUE(controleer_online(config_for(feed.url()), c.forceer));

  EXPECT_EQ(feed.requests().size(), c.asks ? 1U : 0U);
  const Json after = status();
  EXPECT_TRUE(after.contains("eerste_start")) << "the file is written back in every case";
  EXPECT_EQ(after["eigen"], "blijft");
  EXPECT_EQ(after.contains("info"), c.asks);
}

INSTANTIATE_TEST_SUITE_P(Cases, DailyRule,
                         ::testing::Values(DailyCase{"NeverChecked", nullptr, false, true},
                                           DailyCase{"Checked86399SecondsAgo", -86399, false,
                                                     false},
                                           DailyCase{"Checked86400SecondsAgo", -86400, false, true},
                                           DailyCase{"CheckedInTheFuture", 3600, false, false},
                                           DailyCase{"ForcedRightAfterACheck", -10, true, true},
                                           DailyCase{"CheckedIsNoNumber", "gisteren", false, true}),
                         [](const auto& test) { return test.param.name; });

// A hand-edited time in another notation is the number it is, not absent.
TEST_F(UpdateCheck, AHandWrittenTimeCountsAsTheNumberItIs) {
  FeedServer feed([](const std::string&) { return http_answer(200, kFeed); });
  dir_.write("status.json", R"({"gecontroleerd": 9E9})");  // in 2255
  EXPECT_TRUE(controleer_online(config_for(feed.url())));
  EXPECT_EQ(feed.requests().size(), 0U) << "a check in the future counts as recent";
  dir_.write("status.json", R"({"gecontroleerd": 1E9})");  // in 2001
  EXPECT_TRUE(controleer_online(config_for(feed.url())));
  EXPECT_EQ(feed.requests().size(), 1U);
}

struct FailureCase {
  const char* name;
  std::string answer;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedCheck : public UpdateCheck, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedCheck, KeepsThePreviousOutcome) {
  FeedServer feed([](const std::string&) { return GetParam().answer; });
  const Json before = {{"eerste_start", 1.5}, {"gecontroleerd", 2.5}, {"server_ts", 3.5},
                       {"info", kPrevious},   {"verborgen", {"a"}},   {"eigen", 7}};
  write_status(before);

  EXPECT_FALSE(controleer_online(config_for(feed.url()), true));

  EXPECT_EQ(feed.requests().size(), 1U);
  EXPECT_EQ(status(), before);
}

const std::string kValidDocument = R"({"version": "9"})";

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedCheck,
    ::testing::Values(
        FailureCase{"JsonArray", http_answer(200, "[1, 2]")},
        FailureCase{"JsonNumber", http_answer(200, "42")},
        FailureCase{"JsonText", http_answer(200, R"("1.4.0")")},
        FailureCase{"NotJson", http_answer(200, "{")},
        FailureCase{"NotFound", http_answer(404, kValidDocument)},
        FailureCase{"ServerError", http_answer(500, kValidDocument)},
        FailureCase{"DateIsNoDate", http_answer(200, kValidDocument, "Date: gisteren\r\n")},
        FailureCase{"ImpossibleDate",
                    http_answer(200, kValidDocument, "Date: Tue, 31 Feb 2026 10:00:00 GMT\r\n")},
        FailureCase{"OverTheLimit",
                    http_answer(200, R"({"notes": ")" + std::string(70000, 'x') + R"("})")},
        FailureCase{"InvalidUtf8", http_answer(200, "{\"notes\": \"\xC3\x28\"}")},
        FailureCase{"ByteOrderMark", http_answer(200, "\xEF\xBB\xBF" + kValidDocument)},
        FailureCase{"ClosedWithoutAnswer", ""}),
    [](const auto& test) { return test.param.name; });

TEST_F(UpdateCheck, StoresTheDocumentAndTheServersTime) {
  FeedServer feed([](const std::string&) {
    return http_answer(
        200, kFeed,
        "Date: Tue, 08 Dec 2026 22:15:00 GMT\r\nDate: Mon, 07 Dec 2026 00:00:00 GMT\r\n");
  });
  write_status({{"verborgen", {"Oud"}}, {"eigen", {{"x", 1}}}});
  const double before = epoch_seconds_now();

  EXPECT_TRUE(controleer_online(config_for(feed.url())));

  const Json s = status();
  EXPECT_EQ(s["info"], Json::parse(kFeed));
  EXPECT_EQ(s["server_ts"], 1796768100.0);
  EXPECT_GE(s["gecontroleerd"].get<double>(), before);
  EXPECT_GE(s["eerste_start"].get<double>(), before);
  EXPECT_EQ(s["verborgen"], Json({"Oud"}));
  EXPECT_EQ(s["eigen"], Json({{"x", 1}}));
}

// Numbers beyond a double and lone surrogate escapes are valid JSON; the feed is
// stored with them as they stood, and later rewrites of the file keep them.
TEST_F(UpdateCheck, StoresTheFeedExactlyAsReceived) {
  const std::string exact =
      R"({"version": "1.4.0", "groot": 123456789012345678901234567890, "ver": 1e400, )"
      R"("nul": -0, "punt": 1.50, "alleen": "\ud800", "paar": "\ud83d\ude00"})";
  FeedServer feed([&](const std::string&) { return http_answer(200, exact); });
  ASSERT_TRUE(controleer_online(config_for(feed.url())));
  wijzig_status(dir_.path() / "status.json", [](Json& s) { s["verborgen"] = {"Oud"}; });

  const std::string file = platform::read_file(dir_.path() / "status.json").value_or("");
  EXPECT_NE(file.find("\"info\": " + exact + ", "), std::string::npos) << file;
  EXPECT_EQ(status()["info"]["version"], "1.4.0");
  EXPECT_EQ(status()["verborgen"], Json({"Oud"}));
}

TEST_F(UpdateCheck, SendsOnlyItsTwoHeadersAndAsksForAnUncompressedBody) {
  FeedServer feed([](const std::string&) { return http_answer(200, kFeed); });
  ASSERT_TRUE(controleer_online(config_for(feed.url())));
  const std::string request = feed.requests().at(0);
  EXPECT_TRUE(request.starts_with("GET /verhulzen.json HTTP/1.1\r\n")) << request;
  EXPECT_NE(request.find("\r\nUser-Agent: DrovelVerhulzen/1.3.0\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\nCache-Control: no-cache\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\nAccept-Encoding: identity\r\n"), std::string::npos);
  EXPECT_EQ(request.find("\r\nAccept:"), std::string::npos);
  EXPECT_EQ(request.find("Cookie"), std::string::npos);
}

TEST_F(UpdateCheck, WithoutDateTheLocalClockIsTheServersTime) {
  for (const std::string headers : {"", "Date: \r\n"}) {
    FeedServer feed([&](const std::string&) { return http_answer(200, kFeed, headers); });
    const double before = epoch_seconds_now();
    ASSERT_TRUE(controleer_online(config_for(feed.url()), true));
    const double server_ts = status()["server_ts"].get<double>();
    EXPECT_GE(server_ts, before);
    EXPECT_LE(server_ts, epoch_seconds_now());
  }
}

TEST_F(UpdateCheck, ReadsWhitespaceBeyondTheLimitAsCutOff) {
  const std::string padded = kFeed + std::string(70000, ' ');
  FeedServer feed([&](const std::string&) {
    return http_answer(200, padded, "Date: Tue, 08 Dec 2026 22:15:00 GMT\r\n");
  });
  EXPECT_TRUE(controleer_online(config_for(feed.url())));
  EXPECT_EQ(status()["info"], Json::parse(kFeed));
}

// Redirects are followed to https addresses only: a redirect to plain http, as
// someone on the network could inject, fails the check.
TEST_F(UpdateCheck, ARedirectToPlainHttpFailsTheCheck) {
  FeedServer target([](const std::string&) { return http_answer(200, kFeed); });
  for (const std::string& location : {std::string("/verhulzen.json"), target.url()}) {
    FeedServer feed([&](const std::string& request) {
      if (request.starts_with("GET /oud ")) {
        return http_answer(302, "", "Location: " + location + "\r\n");
      }
      return http_answer(200, kFeed);
    });
    write_status({{"info", kPrevious}});
    EXPECT_FALSE(controleer_online(config_for(feed.url("/oud")), true)) << location;
    EXPECT_EQ(feed.requests().size(), 1U) << location;
    EXPECT_EQ(status()["info"], kPrevious) << location;
  }
  EXPECT_TRUE(target.requests().empty());
}

TEST_F(UpdateCheck, AnUnreadableStatusFileStartsAfresh) {
  dir_.write("status.json", "{\"info\": ");
  FeedServer feed([](const std::string&) { return http_answer(200, kFeed); });
  EXPECT_TRUE(controleer_online(config_for(feed.url())));
  const Json s = status();
  std::vector<std::string> keys;
  for (const auto& [key, value] : s.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"eerste_start", "server_ts", "gecontroleerd", "info"}));
}

TEST_F(UpdateCheck, AMessageHiddenDuringTheRequestStaysHidden) {
  const std::filesystem::path path = dir_.path() / "status.json";
  FeedServer feed([&](const std::string&) {
    wijzig_status(path, [](Json& s) { s["verborgen"] = {"Verborgen tijdens de controle"}; });
    return http_answer(200, kFeed);
  });
  EXPECT_TRUE(controleer_online(config_for(feed.url())));
  const Json s = status();
  EXPECT_EQ(s["verborgen"], Json({"Verborgen tijdens de controle"}));
  EXPECT_EQ(s["info"], Json::parse(kFeed));
}

TEST_F(UpdateCheck, AStalledFeedEndsAfterTheTimeOut) {
  FeedServer feed([](const std::string&) { return std::nullopt; });
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(controleer_online(config_for(feed.url()), false, 500ms));
  const auto elapsed = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(elapsed, 500ms);
  EXPECT_LT(elapsed, 30s);
  EXPECT_TRUE(status().contains("eerste_start"));
  EXPECT_FALSE(status().contains("gecontroleerd"));
}

// A feed that sends its document a byte at a time, well within the time-out of each
// other but longer than it in all: the slow exchange as a whole succeeds.
TEST_F(UpdateCheck, ASlowButNeverSilentFeedIsWaitedFor) {
  asio::io_context context;
  asio::ip::tcp::acceptor acceptor(context, {asio::ip::make_address_v4("127.0.0.1"), 0});
  const std::string body = "{      }";
  std::thread trickle([&] {
    asio::ip::tcp::socket socket = acceptor.accept();
    std::string request;
    std::error_code ignored;
    asio::read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", ignored);
    const std::string answer = http_answer(200, body);
    asio::write(socket, asio::buffer(answer.substr(0, answer.size() - body.size() + 1)), ignored);
    for (const char c : body.substr(1)) {
      std::this_thread::sleep_for(500ms);
      asio::write(socket, asio::buffer(&c, 1), ignored);
    }
  });
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_TRUE(controleer_online(
      config_for("http://127.0.0.1:" + std::to_string(acceptor.local_endpoint().port()) +
                 "/verhulzen.json"),
      false, 2s));
  trickle.join();
  EXPECT_GT(std::chrono::steady_clock::now() - begin, 2s) << "longer in all than the time-out";
  EXPECT_EQ(status()["info"], Json::object());
}

TEST_F(UpdateCheck, AMissingDataFolderIsNoError) {
  FeedServer feed([](const std::string&) { return http_answer(200, kFeed); });
  Config config = config_for(feed.url());
  config.STATUS = dir_.path() / "ontbreekt" / "status.json";
  EXPECT_TRUE(controleer_online(config));
  EXPECT_FALSE(std::filesystem::exists(config.STATUS));
}

// A TLS server with a certificate that no trusted root signed, made for this test.
class SelfSignedServer {
 public:
  explicit SelfSignedServer(const std::filesystem::path& folder) {
    {
      asio::io_context context;
      asio::ip::tcp::acceptor probe(context, {asio::ip::make_address_v4("127.0.0.1"), 0});
      port_ = probe.local_endpoint().port();
    }
    const std::string key = (folder / "key.pem").string();
    const std::string cert = (folder / "cert.pem").string();
    testing::run_command(
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
        "-addext subjectAltName=IP:127.0.0.1 -keyout " +
        key + " -out " + cert + " >/dev/null 2>&1");
    pid_ = testing::run_command(
        "openssl s_server -quiet -www -accept 127.0.0.1:" + std::to_string(port_) + " -key " + key +
        " -cert " + cert + " >/dev/null 2>&1 & echo $!");
    for (int attempt = 0; attempt < 100; ++attempt) {
      asio::io_context context;
      asio::ip::tcp::socket socket(context);
      std::error_code error;
      socket.connect({asio::ip::make_address_v4("127.0.0.1"), port_}, error);
      if (!error) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  SelfSignedServer(const SelfSignedServer&) = delete;
  SelfSignedServer& operator=(const SelfSignedServer&) = delete;
  ~SelfSignedServer() { testing::run_command("kill " + pid_); }

  std::string url() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/verhulzen.json";
  }

 private:
  std::uint16_t port_ = 0;
  std::string pid_;
};

TEST_F(UpdateCheck, RefusesAServerWhoseCertificateNoTrustedRootSigned) {
  SelfSignedServer server(dir_.path());
  const auto outcome = vraag_feed(server.url());
  ASSERT_TRUE(std::holds_alternative<std::string>(outcome));
  EXPECT_NE(std::get<std::string>(outcome).find("certificate"), std::string::npos)
      << std::get<std::string>(outcome);

  EXPECT_FALSE(controleer_online(config_for(server.url())));
  EXPECT_FALSE(status().contains("info"));
}

}  // namespace
}  // namespace verhulzen
