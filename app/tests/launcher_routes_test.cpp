// The launcher routes and POST handling over real HTTP, against a running server.
#include "routes/launcher_routes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "http/server.h"
#include "http/serving_rules.h"
#include "platform/files.h"
#include "support.h"
#include "update/status_file.h"
#include "update/update_check.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;
using testing::raw_request;
using testing::RawAnswer;

const std::string kList = "# Altijd vervangen\nBakkerij Jansen B.V.\n";

// Children of this process that still run, or that have ended but were never
// waited for.
int children(bool ended) {
  int n = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "pid (name) state ppid …"; the name may hold blanks and parentheses.
    const auto name_end = line.rfind(')');
    if (name_end == std::string::npos) continue;
    std::istringstream rest(line.substr(name_end + 1));
    char state = 0;
    long ppid = 0;
    rest >> state >> ppid;
    if ((state == 'Z') == ended && ppid == getpid()) ++n;
  }
  return n;
}

class LauncherRoutes : public ::testing::Test {
 protected:
  static std::unique_ptr<testing::TempDir> bin_;

  // A stand-in for the system's link opener that records every link it is given.
  static void SetUpTestSuite() {
    bin_ = std::make_unique<testing::TempDir>();
    bin_->write("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" +
                                (bin_->path() / "geopend.txt").string() + "\"\n");
    fs::permissions(bin_->path() / "xdg-open", fs::perms::owner_all);
    // Set once, before any test of the suite starts a thread.
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    const std::string path = bin_->path().string() + ":" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
  }
  static void TearDownTestSuite() { bin_.reset(); }

  void SetUp() override { start(false); }

  void start(bool store) {
    server_.reset();
    config_.WEB_DIR = dir_.path() / "web";
    config_.DATA_DIR = dir_.path() / "data";
    config_.STATUS = config_.DATA_DIR / "status.json";
    config_.KANTOORLIJST = config_.DATA_DIR / "kantoorlijst.txt";
    config_.STORE = store;
    dir_.write("web/status.js", "window.ANON_STATUS = null;\n");
    fs::create_directories(config_.DATA_DIR);
    server_ = std::move(start_server(config_).server);
    host_ = "127.0.0.1:" + std::to_string(server_->port());
  }

  RawAnswer send(std::string_view request) const { return raw_request(server_->port(), request); }

  RawAnswer get(std::string_view target, std::string_view method = "GET") const {
    return send(std::string(method) + " " + std::string(target) + " HTTP/1.0\r\nHost: " + host_ +
                "\r\n\r\n");
  }

  // A POST with this Host, the given extra header lines and a correct Content-Length.
  std::string post(std::string_view target, std::string_view body,
                   std::string_view headers = "") const {
    return "POST " + std::string(target) + " HTTP/1.0\r\nHost: " + host_ +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + std::string(headers) +
           "\r\n" + std::string(body);
  }

  std::optional<std::string> stored_list() const {
    return platform::read_file(config_.KANTOORLIJST);
  }

  // The links opened so far, sorted, once `sentinel` (asked for last) has arrived
  // and every opener has ended. The openers run side by side, so they log in no
  // fixed order and a link asked for before the sentinel may arrive just after it.
  std::string opened_until(const std::string& sentinel) const {
    EXPECT_EQ(get("/extern?u=" + sentinel).code(), 204);
    const fs::path log = bin_->path() / "geopend.txt";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (platform::read_file(log).value_or("").find(sentinel) != std::string::npos &&
          children(false) == 0) {
        std::istringstream lines(platform::read_file(log).value_or(""));
        fs::remove(log);
        std::vector<std::string> links;
        for (std::string line; std::getline(lines, line);) links.push_back(line);
        std::sort(links.begin(), links.end());
        std::string text;
        for (const std::string& link : links) text += link + "\n";
        return text;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(nothing opened)";
  }

  testing::TempDir dir_;
  Config config_;
  std::unique_ptr<Server> server_;
  std::string host_;
};

std::unique_ptr<testing::TempDir> LauncherRoutes::bin_;

TEST_F(LauncherRoutes, StatusScriptIsBuiltForEveryRequestAndNeverReadFromTheFile) {
  for (const char* target : {"/status.js", "/status.js?v=2", "/status.js#x"}) {
    const RawAnswer answer = get(target);
    EXPECT_EQ(answer.code(), 200) << target;
    EXPECT_EQ(answer.header("Content-Type"), "text/javascript; charset=utf-8");
    ASSERT_TRUE(answer.body.starts_with("window.ANON_STATUS = {\"versie\": \"1.3.0\""))
        << answer.body;
    EXPECT_TRUE(answer.body.ends_with("};\n"));
  }
  schrijf_status(config_.STATUS, {{"info", {{"version", "1.4.0"}}}});
  EXPECT_NE(get("/status.js").body.find("\"laatste\": \"1.4.0\", \"nieuwer\": true"),
            std::string::npos);

  // Other spellings are no route: they go on to the static files.
  EXPECT_EQ(get("/status%2Ejs").body, "window.ANON_STATUS = null;\n");
  EXPECT_EQ(get("/Status.js").code(), 404);
  EXPECT_EQ(get("/status.js/").code(), 404);
  const RawAnswer head = get("/status.js", "HEAD");
  EXPECT_EQ(head.code(), 200);
  EXPECT_EQ(head.body, "");
  EXPECT_NE(head.header("Content-Length"), "0");
}

TEST_F(LauncherRoutes, OfficeListIsStoredExactlyAsSentAndReadBack) {
  const RawAnswer empty = get("/kantoorlijst");
  EXPECT_EQ(empty.code(), 200);
  EXPECT_EQ(empty.header("Content-Length"), "0");

  const std::string list =
      "\xEF\xBB\xBF"
      "Bakkerij Jansen B.V.\r\nZo\xC3\xAB\r\n";
  const RawAnswer stored = send(post("/kantoorlijst", list));
  EXPECT_EQ(stored.code(), 204);
  EXPECT_EQ(stored.header("Content-Type"), "text/plain; charset=utf-8");
  EXPECT_EQ(stored_list(), list);
  EXPECT_EQ(get("/kantoorlijst").body, list);
  const RawAnswer head = get("/kantoorlijst", "HEAD");
  EXPECT_EQ(head.header("Content-Length"), std::to_string(list.size()));
  EXPECT_EQ(head.body, "");

  // Same origin, an empty Origin and none at all are accepted.
  for (const std::string& origin :
       {"Origin: http://" + host_ + "\r\n", std::string("Origin: \r\n"), std::string()}) {
    EXPECT_EQ(send(post("/kantoorlijst", kList, origin)).code(), 204) << origin;
  }
  EXPECT_EQ(stored_list(), kList);

  // Without Content-Length the list is empty; both limits are inclusive.
  EXPECT_EQ(send("POST /kantoorlijst HTTP/1.0\r\nHost: " + host_ + "\r\n\r\n").code(), 204);
  EXPECT_EQ(stored_list(), "");
  const std::string largest(MAX_KANTOORLIJST_BODY, 'a');
  EXPECT_EQ(send(post("/kantoorlijst", largest)).code(), 204);
  EXPECT_EQ(stored_list(), largest);
}

struct Refusal {
  const char* name;
  std::string request;  // {host} stands for this server's Host value
  int code;             // 0: no answer at all
};

TEST_F(LauncherRoutes, RefusedPostsWriteNothingAndTheServerGoesOn) {
  const std::string good = "Content-Length: 12\r\n\r\nnieuwe lijst";
  const Refusal cases[] = {
      {"foreign origin", "Origin: http://evil.example\r\n" + good, 404},
      {"origin null", "Origin: null\r\n" + good, 404},
      {"origin names localhost for 127.0.0.1", "Origin: http://localhost:{port}\r\n" + good, 404},
      {"no Host", "POST /kantoorlijst HTTP/1.0\r\n" + good, 404},
      {"rebinding name", "POST /kantoorlijst HTTP/1.0\r\nHost: evil.example\r\n" + good, 404},
      {"address as subdomain",
       "POST /kantoorlijst HTTP/1.0\r\nHost: 127.0.0.1.evil.example\r\n" + good, 404},
      {"user info", "POST /kantoorlijst HTTP/1.0\r\nHost: localhost:1@evil\r\n" + good, 404},
      {"query", "POST /kantoorlijst?x=1 HTTP/1.0\r\nHost: {host}\r\n" + good, 404},
      {"other target", "POST /status.js HTTP/1.0\r\nHost: {host}\r\n" + good, 404},
      {"length no number", "Content-Length: twaalf\r\n\r\nnieuwe lijst", 0},
      {"length negative", "Content-Length: -1\r\n\r\n", 413},
      {"one byte over", "Content-Length: 1048577\r\n\r\n", 413},
      {"far over, nothing sent", "Content-Length: 99999999999999999999999999\r\n\r\n", 413},
      {"chunked", "Transfer-Encoding: chunked\r\n\r\nc\r\nnieuwe lijst\r\n0\r\n\r\n", 400},
      {"body shorter than its length", "Content-Length: 100\r\n\r\nnieuwe lijst", 400},
      {"not UTF-8", "Content-Length: 2\r\n\r\n\xC3\x28", 400},
      {"cut-off sequence", "Content-Length: 2\r\n\r\na\xC3", 400},
  };
  ASSERT_EQ(send(post("/kantoorlijst", kList)).code(), 204);
  for (const Refusal& c : cases) {
    std::string request = c.request.starts_with("POST ")
                              ? c.request
                              : "POST /kantoorlijst HTTP/1.0\r\nHost: {host}\r\n" + c.request;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{host}", host_},
                                     {"{port}", std::to_string(server_->port())}}) {
      for (std::size_t at; (at = request.find(key)) != std::string::npos;)
        request.replace(at, key.size(), value);
    }
    const RawAnswer answer = send(request);
    EXPECT_EQ(answer.code(), c.code) << c.name << ": " << answer.status_line;
    if (c.code != 0) {
      EXPECT_EQ(answer.header("Content-Security-Policy"), std::string(CSP)) << c.name;
    }
    EXPECT_EQ(stored_list(), kList) << c.name;
  }
  EXPECT_EQ(get("/kantoorlijst").body, kList);
}

TEST_F(LauncherRoutes, AStalledBodyHoldsOnlyItsOwnRequestAndWritesNothing) {
  ASSERT_EQ(send(post("/kantoorlijst", kList)).code(), 204);
  asio::io_context context;
  asio::ip::tcp::socket stalled(context);
  stalled.connect({asio::ip::make_address_v4("127.0.0.1"), server_->port()});
  asio::write(stalled, asio::buffer("POST /kantoorlijst HTTP/1.0\r\nHost: " + host_ +
                                    "\r\nContent-Length: 50\r\n\r\nhalf"));
  EXPECT_EQ(get("/kantoorlijst").body, kList);
  stalled.close();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(stored_list(), kList);
}

TEST_F(LauncherRoutes, SavesAtOnceLeaveOneWholeList) {
  std::vector<std::string> lists;
  for (char c = 'a'; c < 'i'; ++c) lists.emplace_back(200000, c);
  std::vector<std::thread> savers;
  savers.reserve(lists.size());
  for (const std::string& list : lists) {
    savers.emplace_back([&] { EXPECT_EQ(send(post("/kantoorlijst", list)).code(), 204); });
  }
  for (std::thread& saver : savers) saver.join();
  EXPECT_NE(std::find(lists.begin(), lists.end(), stored_list().value_or("")), lists.end());
  EXPECT_EQ(std::distance(fs::directory_iterator(config_.DATA_DIR), fs::directory_iterator()), 1);
}

TEST_F(LauncherRoutes, AFailedWriteAnswers400) {
  fs::remove_all(config_.DATA_DIR);
  dir_.write("data", "een bestand waar de map hoort");
  EXPECT_EQ(send(post("/kantoorlijst", kList)).code(), 400);
  EXPECT_EQ(get("/kantoorlijst").code(), 200);
}

TEST_F(LauncherRoutes, OcrBodiesAreBoundedBeforeAnyIsRead) {
  const std::string prefix = "POST /ocr HTTP/1.0\r\nHost: " + host_ + "\r\n";
  for (const char* length : {"Content-Length: 0\r\n", "", "Content-Length: 62914561\r\n"}) {
    EXPECT_EQ(send(prefix + length + "\r\n").code(), 413) << length;
  }
  const RawAnswer largest = send(post("/ocr", std::string(MAX_OCR_BODY, 'x')));
  EXPECT_EQ(largest.code(), 500);
  EXPECT_EQ(largest.header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_TRUE(largest.body.starts_with("{\"fout\": \"")) << largest.body;
  EXPECT_EQ(send("POST /OCR HTTP/1.0\r\nHost: " + host_ + "\r\nContent-Length: 1\r\n\r\nx").code(),
            404);
}

TEST_F(LauncherRoutes, ExternOpensOnlySafeLinks) {
  const char* refused[] = {
      "javascript:alert(1)",
      "file:///etc/passwd",
      "https://evil.example/",
      "https://drovel.nl.evil.example/",
      "https%3A%2F%2Fdrovel.nl%2Fa%0Ab",
      "ms-windows-store%3A%2F%2Fdownloadsandupdates",
      "",
  };
  for (const char* u : refused) {
    EXPECT_EQ(get(std::string("/extern?u=") + u).code(), 204) << u;
  }
  EXPECT_EQ(get("/extern").code(), 204);
  EXPECT_EQ(opened_until("https://drovel.nl/klaar"), "https://drovel.nl/klaar\n");

  EXPECT_EQ(get("/extern?u=&u=https%3A%2F%2Fwww.drovel.nl%2Fa%3Fb%3Dc", "HEAD").code(), 204);
  EXPECT_EQ(opened_until("https://drovel.nl/klaar"),
            "https://drovel.nl/klaar\nhttps://www.drovel.nl/a?b=c\n");

  start(true);
  get("/extern?u=ms-windows-store%3A%2F%2Fdownloadsandupdates");
  EXPECT_EQ(opened_until("https://drovel.nl/klaar"),
            "https://drovel.nl/klaar\nms-windows-store://downloadsandupdates\n");
}

TEST_F(LauncherRoutes, OpenedLinksLeaveNoEndedProcessBehind) {
  for (int i = 0; i < 3; ++i) get("/extern?u=https%3A%2F%2Fdrovel.nl%2F" + std::to_string(i));
  ASSERT_NE(opened_until("https://drovel.nl/klaar"), "(nothing opened)");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (children(true) > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(children(true), 0);
}

TEST_F(LauncherRoutes, VerbergHidesTheMessageItNames) {
  EXPECT_EQ(get("/verberg").code(), 204);
  EXPECT_FALSE(fs::exists(config_.STATUS));
  EXPECT_EQ(get("/verberg?b=Tot+ziens%2C+Zo%C3%AB").code(), 204);
  EXPECT_EQ(get("/verberg?b=Kapot%FF", "HEAD").code(), 204);
  EXPECT_EQ(lees_status(config_.STATUS)["verborgen"],
            Json({"Kapot\xEF\xBF\xBD", "Tot ziens, Zo\xC3\xAB"}));
}

TEST_F(LauncherRoutes, ControleerChecksTheFeedAndSendsThePageBack) {
  testing::FeedServer feed(
      [](const std::string&) { return testing::http_answer(200, R"({"version": "1.5.0"})"); });
  config_.UPDATE_URL = feed.url();
  start(false);
  for (const char* method : {"GET", "HEAD"}) {
    const RawAnswer answer = get("/controleer", method);
    EXPECT_EQ(answer.code(), 302) << method;
    EXPECT_EQ(answer.header("Location"), "/");
    EXPECT_EQ(answer.header("Content-Length"), "0");
  }
  EXPECT_EQ(feed.requests().size(), 2u);
  EXPECT_EQ(lees_status(config_.STATUS)["info"]["version"], "1.5.0");
}

// Named pipes in place of the status file and the office list, whose other end
// nothing ever opens: they read as missing, every route answers, the check at start
// ends, and a write puts a file in the pipe's place.
TEST_F(LauncherRoutes, PipesInPlaceOfTheDataFilesHoldNoRouteAndNoCheck) {
  testing::FeedServer feed(
      [](const std::string&) { return testing::http_answer(200, R"({"version": "1.5.0"})"); });
  config_.UPDATE_URL = feed.url();
  start(false);
  const auto version_stored = [this] {
    EXPECT_TRUE(fs::is_regular_file(config_.STATUS));
    EXPECT_EQ(lees_status(config_.STATUS)["info"]["version"], "1.5.0");
  };
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"status script",
       [&] {
         const RawAnswer answer = get("/status.js");
         EXPECT_EQ(answer.code(), 200);
         EXPECT_NE(answer.body.find(R"("laatste": null, "nieuwer": false)"), std::string::npos)
             << answer.body;
       }},
      {"office list",
       [&] {
         const RawAnswer answer = get("/kantoorlijst");
         EXPECT_EQ(answer.code(), 200);
         EXPECT_EQ(answer.body, "");
       }},
      {"hiding a message",
       [&] {
         EXPECT_EQ(get("/verberg?b=Weg").code(), 204);
         EXPECT_EQ(lees_status(config_.STATUS)["verborgen"], Json({"Weg"}));
       }},
      {"the check at start",
       [&] {
         EXPECT_TRUE(controleer_online(config_));
         version_stored();
       }},
      {"the page's check",
       [&] {
         EXPECT_EQ(get("/controleer").code(), 302);
         version_stored();
       }},
      {"saving the list",
       [&] {
         EXPECT_EQ(send(post("/kantoorlijst", kList)).code(), 204);
         EXPECT_EQ(stored_list(), kList);
       }},
  };
  for (const auto& [name, work] : cases) {
    for (const fs::path& file : {config_.STATUS, config_.KANTOORLIJST}) {
      fs::remove(file);
      ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    }
    EXPECT_TRUE(testing::ends_without_a_writer({config_.STATUS, config_.KANTOORLIJST}, work))
        << name << " waited for a writer to a pipe";
  }
}

// Any page the user visits may send requests to the loopback port: what the routes
// tell or do is for our own page alone, as its Origin and Sec-Fetch-Site show.
TEST_F(LauncherRoutes, PagesOfOtherSitesAreRefusedEveryGetRouteWhileOurOwnPagePasses) {
  testing::FeedServer feed(
      [](const std::string&) { return testing::http_answer(200, R"({"version": "1.5.0"})"); });
  config_.UPDATE_URL = feed.url();
  start(false);
  const std::vector<std::pair<std::string, int>> routes = {
      {"/status.js", 200},        {"/kantoorlijst", 200},
      {"/controleer", 302},       {"/extern?u=https%3A%2F%2Fdrovel.nl%2Fvreemd", 204},
      {"/verberg?b=Vreemd", 204},
  };
  const std::vector<std::string> foreign = {
      "Sec-Fetch-Site: cross-site\r\n",
      "Sec-Fetch-Site: same-site\r\n",
      "Origin: https://evil.example\r\n",
      "Origin: null\r\n",
      "Origin: http://localhost:" + std::to_string(server_->port()) + "\r\n",
      "Origin: http://" + host_ + "\r\nSec-Fetch-Site: cross-site\r\n",
  };
  const auto request = [this](std::string_view method, const std::string& target,
                              const std::string& headers) {
    std::string text(method);
    text += " " + target + " HTTP/1.0\r\nHost: " + host_ + "\r\n";
    text += headers;
    text += "\r\n";
    return send(text);
  };
  for (const auto& [target, code] : routes) {
    for (const std::string& headers : foreign) {
      for (const char* method : {"GET", "HEAD"}) {
        const RawAnswer answer = request(method, target, headers);
        EXPECT_EQ(answer.code(), 403) << method << " " << target << " " << headers;
        EXPECT_EQ(answer.header("Content-Type"), "text/html;charset=utf-8");
        EXPECT_EQ(answer.body.empty(), std::string_view(method) == "HEAD") << answer.body;
      }
    }
  }
  EXPECT_EQ(feed.requests().size(), 0U) << "a refused /controleer asked the feed";
  EXPECT_FALSE(fs::exists(config_.STATUS)) << "a refused /verberg wrote the status file";
  EXPECT_EQ(opened_until("https://drovel.nl/klaar"), "https://drovel.nl/klaar\n");

  // Our own page, the user's address bar and clients that send neither header.
  const std::vector<std::string> own = {
      "", "Sec-Fetch-Site: same-origin\r\n", "Sec-Fetch-Site: none\r\n",
      "Origin: http://" + host_ + "\r\nSec-Fetch-Site: same-origin\r\n", "Origin: \r\n"};
  for (const auto& [target, code] : routes) {
    for (const std::string& headers : own) {
      const RawAnswer answer = request("GET", target, headers);
      EXPECT_EQ(answer.code(), code) << target << " " << headers;
      EXPECT_EQ(answer.header("Cross-Origin-Resource-Policy"), "same-origin");
    }
  }
  // A link from elsewhere still opens the page; only the routes are its own.
  dir_.write("web/index.html", "<!doctype html>");
  const RawAnswer page =
      send("GET / HTTP/1.0\r\nHost: " + host_ + "\r\nSec-Fetch-Site: cross-site\r\n\r\n");
  EXPECT_EQ(page.code(), 200);
  EXPECT_EQ(page.header("Cross-Origin-Resource-Policy"), "same-origin");
}

}  // namespace
}  // namespace verhulzen
