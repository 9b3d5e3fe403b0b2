#include "http/server.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "http/serving_rules.h"
#include "platform/files.h"
#include "support.h"
#include "text/http_date.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;
using testing::raw_request;
using testing::RawAnswer;

const std::string kIndex = "<!doctype html><title>Verhulzen</title>";

class ServerTest : public ::testing::Test {
 protected:
  static std::unique_ptr<testing::TempDir> dir_;
  static std::unique_ptr<Server> server_;
  static int descriptors_;

  static void SetUpTestSuite() {
    descriptors_ = testing::open_descriptors();
    dir_ = std::make_unique<testing::TempDir>();
    const auto& d = *dir_;
    d.write("web/index.html", kIndex);
    d.write("web/app.js", "console.log(1);");
    d.write("web/MODULE.JS", "export {};");
    d.write("web/fonts/inter.woff2", "wOF2");
    d.write("web/tessdata/nld.traineddata.gz", "gz");
    d.write("web/ocr/core.wasm.js", "core");
    d.write("web/vendor/lib.js", "lib");
    d.write("web/noext", "n");
    d.write("web/a b.txt", "spatie");
    d.write(fs::path(u8"web/\u00eb.txt"), "trema");  // the name in UTF-8 on every platform
    d.write("web/ONDERZOEK.md", "notes");
    d.write("web/tool.PY", "print()");
    d.write("web/.htaccess", "deny");
    d.write("geheim.txt", "geheim");
    d.write("verhulzen_app.py", "source");
#ifndef _WIN32  // making links takes a right that a Windows user may not have
    fs::create_directory_symlink(d.path(), d.path() / "web" / "link-out");
    fs::create_symlink("../geheim.txt", d.path() / "web" / "link-file.txt");
    fs::create_symlink("index.html", d.path() / "web" / "link-in.html");
#endif
    Config config;
    config.WEB_DIR = d.path() / "web";
    server_ = std::move(start_server(config).server);
  }
  static void TearDownTestSuite() {
    server_.reset();
    testing::wait_for_descriptors(descriptors_);
    dir_.reset();
  }

  static RawAnswer send(std::string_view request) { return raw_request(server_->port(), request); }
};

std::unique_ptr<testing::TempDir> ServerTest::dir_;
std::unique_ptr<Server> ServerTest::server_;
int ServerTest::descriptors_ = 0;

std::string get(std::string_view target, std::string_view headers = "Host: 127.0.0.1:8000\r\n",
                std::string_view method = "GET") {
  return std::string(method) + " " + std::string(target) + " HTTP/1.0\r\n" + std::string(headers) +
         "\r\n";
}

void expect_security_headers(const RawAnswer& answer) {
  EXPECT_EQ(answer.header("Content-Security-Policy"), std::string(CSP));
  EXPECT_EQ(answer.header("Referrer-Policy"), "no-referrer");
  EXPECT_EQ(answer.header("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(answer.header("Cache-Control"), "no-store");
  EXPECT_EQ(answer.header("Cross-Origin-Resource-Policy"), "same-origin");
  EXPECT_EQ(answer.header("Server"), "DrovelVerhulzen ");
  EXPECT_TRUE(answer.status_line.starts_with("HTTP/1.0 ")) << answer.status_line;
}

struct RawCase {
  const char* name;
  std::string request;
  int code;
  std::string reason;  // checked when not empty
  std::string type;    // checked when not empty
  std::string body;    // checked when not empty
};

void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }

class Answers : public ServerTest, public ::testing::WithParamInterface<RawCase> {};

TEST_P(Answers, AsTheTableSays) {
  const RawCase& c = GetParam();
  const RawAnswer answer = send(c.request);
  EXPECT_EQ(answer.code(), c.code) << answer.status_line;
  if (!c.reason.empty()) {
    EXPECT_EQ(answer.reason(), c.reason);
  }
  if (!c.type.empty()) {
    EXPECT_EQ(answer.header("Content-Type"), c.type);
  }
  if (!c.body.empty()) {
    EXPECT_EQ(answer.body, c.body);
  }
  EXPECT_EQ(answer.header("Content-Length"), std::to_string(answer.body.size()));
  expect_security_headers(answer);
}

const std::string kHtml = "text/html; charset=utf-8";
const std::string kJs = "text/javascript; charset=utf-8";
const std::string kBinary = "application/octet-stream";
const std::string kErrorType = "text/html;charset=utf-8";

std::string with_headers(int count) {
  std::string headers = "Host: localhost\r\n";
  for (int i = 1; i < count; ++i) headers += "X-" + std::to_string(i) + ": v\r\n";
  return headers;
}

INSTANTIATE_TEST_SUITE_P(
    Static, Answers,
    ::testing::Values(
        RawCase{"Root", get("/"), 200, "OK", kHtml, kIndex},
        RawCase{"RootWithQuery", get("/?dossier=1#x"), 200, "OK", kHtml, kIndex},
        RawCase{"IndexPage", get("/index.html"), 200, "OK", kHtml, kIndex},
        RawCase{"ScriptWithQuery", get("/app.js?v=3"), 200, "OK", kJs, "console.log(1);"},
        RawCase{"SuffixInCapitals", get("/MODULE.JS"), 200, "OK", kJs, ""},
        RawCase{"Font", get("/fonts/inter.woff2"), 200, "OK", "font/woff2", "wOF2"},
        RawCase{"CompressedTrainedData", get("/tessdata/nld.traineddata.gz"), 200, "OK", kBinary,
                ""},
        RawCase{"OcrCore", get("/ocr/core.wasm.js"), 200, "OK", kJs, "core"},
        RawCase{"NoSuffix", get("/noext"), 200, "OK", kBinary, "n"},
        RawCase{"EncodedBlank", get("/a%20b.txt"), 200, "OK", "text/plain; charset=utf-8",
                "spatie"},
        RawCase{"EncodedUtf8", get("/%C3%AB.txt"), 200, "OK", "", "trema"},
        RawCase{"LeadingSlashesCollapse", get("//index.html"), 200, "OK", kHtml, kIndex},
        RawCase{"FolderWithSlash", get("/vendor/"), 404, "Not Found", kErrorType, ""},
        RawCase{"FolderWithoutSlash", get("/vendor"), 404, "Not Found", kErrorType, ""},
        RawCase{"MissingFile", get("/nope.js"), 404, "File not found", kErrorType, ""},
        RawCase{"FileWithSlash", get("/app.js/"), 404, "File not found", kErrorType, ""},
        RawCase{"LinkWithinTheFolder", get("/link-in.html"), 200, "OK", kHtml, kIndex}),
    [](const auto& test) { return test.param.name; });

// "Not Found" is a refusal; "File not found" means the path was looked for under the
// web folder and not found there.
INSTANTIATE_TEST_SUITE_P(
    Refused, Answers,
    ::testing::Values(
        RawCase{"Markdown", get("/ONDERZOEK.md"), 404, "Not Found", "", ""},
        RawCase{"PythonInCapitals", get("/tool.PY"), 404, "Not Found", "", ""},
        RawCase{"Htaccess", get("/.htaccess"), 404, "Not Found", "", ""},
        RawCase{"EncodedName", get("/ONDERZOEK%2Emd"), 404, "Not Found", "", ""},
        RawCase{"TrailingDot", get("/ONDERZOEK.md."), 404, "Not Found", "", ""},
        RawCase{"TrailingBlank", get("/ONDERZOEK.md%20"), 404, "Not Found", "", ""},
        RawCase{"ParentThenPython", get("/../verhulzen_app.py"), 404, "Not Found", "", ""},
        RawCase{"Parent", get("/../geheim.txt"), 404, "File not found", "", ""},
        RawCase{"ParentAfterFolder", get("/vendor/../../geheim.txt"), 404, "File not found", "",
                ""},
        RawCase{"EncodedDots", get("/%2e%2e/%2E%2E/geheim.txt"), 404, "File not found", "", ""},
        RawCase{"EncodedSlash", get("/..%2f..%2fgeheim.txt"), 404, "File not found", "", ""},
        RawCase{"Backslash", get("/..\\geheim.txt"), 404, "Not Found", "", ""},
        RawCase{"EncodedBackslash", get("/%2e%2e%5cgeheim.txt"), 404, "Not Found", "", ""},
        RawCase{"OverlongDots", get("/%C0%AE%C0%AE/geheim.txt"), 404, "File not found", "", ""},
        RawCase{"OverlongSlash", get("/..%C0%AFgeheim.txt"), 404, "File not found", "", ""},
        RawCase{"NulBeforeSuffix", get("/index.html%00.js"), 404, "Not Found", "", ""},
        RawCase{"DriveLetter", get("/C:/geheim.txt"), 404, "File not found", "", ""},
        RawCase{"LinkToAFolderOutside", get("/link-out/geheim.txt"), 404, "Not Found", "", ""},
        RawCase{"LinkToAFileOutside", get("/link-file.txt"), 404, "Not Found", "", ""}),
    [](const auto& test) { return test.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Host, Answers,
    ::testing::Values(
        RawCase{"LocalhostWithPort", get("/", "Host: localhost:51234\r\n"), 200, "OK", "", kIndex},
        RawCase{"AddressWithoutPort", get("/", "Host: 127.0.0.1\r\n"), 200, "OK", "", kIndex},
        RawCase{"FirstHostCounts", get("/", "Host: localhost\r\nHost: evil\r\n"), 200, "OK", "",
                ""},
        RawCase{"NameInCapitals", get("/", "Host: LOCALHOST:80\r\n"), 404, "Not Found", "", ""},
        RawCase{"Ipv6Loopback", get("/", "Host: [::1]:80\r\n"), 404, "Not Found", "", ""},
        RawCase{"OtherName", get("/", "Host: localhost.evil.nl\r\n"), 404, "Not Found", "", ""},
        RawCase{"AddressAsSubdomain", get("/", "Host: 127.0.0.1.evil.example\r\n"), 404,
                "Not Found", "", ""},
        RawCase{"UserInfoBeforeAnotherHost", get("/", "Host: localhost:1@evil\r\n"), 404,
                "Not Found", "", ""},
        RawCase{"Empty", get("/", "Host: \r\n"), 404, "Not Found", "", ""},
        RawCase{"Missing", get("/", ""), 404, "Not Found", "", ""},
        RawCase{"MissingForAFile", get("/app.js", ""), 404, "Not Found", "", ""}),
    [](const auto& test) { return test.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Malformed, Answers,
    ::testing::Values(
        RawCase{"Put", get("/", "Host: localhost\r\n", "PUT"), 501, "Unsupported method ('PUT')",
                kErrorType, ""},
        RawCase{"Delete", get("/app.js", "Host: localhost\r\n", "DELETE"), 501, "", "", ""},
        RawCase{"MethodInLowerCase", get("/", "Host: localhost\r\n", "get"), 501, "", "", ""},
        RawCase{"NoVersion", "GET /\r\n\r\n", 400, "Bad request syntax ('GET /')", kErrorType, ""},
        RawCase{"FourWords", "GET / x HTTP/1.0\r\n\r\n", 400,
                "Bad request syntax ('GET / x HTTP/1.0')", "", ""},
        RawCase{"OtherProtocol", "GET / FTP/1.0\r\n\r\n", 400, "Bad request version ('FTP/1.0')",
                "", ""},
        // What the request line quotes in the reason phrase cannot break the status line.
        RawCase{"ControlCharactersQuoted", "GET /\x01\\ x\ry HTTP/1.0\r\n\r\n", 400,
                R"(Bad request syntax ('GET /\x01\\ x\ry HTTP/1.0'))", "", ""},
        RawCase{"ControlCharacterInVersion", "GET / HTTP/1.\x7f\r\n\r\n", 400,
                R"(Bad request version ('HTTP/1.\x7f'))", "", ""},
        RawCase{"ControlCharacterInMethod", "G\x1bT / HTTP/1.0\r\nHost: localhost\r\n\r\n", 501,
                R"(Unsupported method ('G\x1bT'))", "", ""},
        RawCase{"OneNumber", "GET / HTTP/1\r\n\r\n", 400, "Bad request version ('HTTP/1')", "", ""},
        RawCase{"LetterInVersion", "GET / HTTP/1.x\r\n\r\n", 400, "", "", ""},
        RawCase{"Version2", "GET / HTTP/2.0\r\n\r\n", 505, "Invalid HTTP version (2.0)", "", ""},
        RawCase{"Version10", "GET / HTTP/10.1\r\n\r\n", 505, "", "", ""},
        RawCase{"LongRequestLine", get("/" + std::string(70000, 'a')), 414, "Request-URI Too Long",
                "", ""},
        RawCase{"LongHeader", get("/", "Host: localhost\r\nX: " + std::string(70000, 'a') + "\r\n"),
                431, "Line too long", "", ""},
        RawCase{"HundredHeaders", get("/", with_headers(100)), 200, "OK", "", kIndex},
        RawCase{"HundredAndOneHeaders", get("/", with_headers(101)), 431, "Too many headers", "",
                ""},
        RawCase{"KeepAliveAskedFor",
                "GET / HTTP/1.1\r\nHost: localhost\r\nConnection: keep-alive\r\n\r\n", 200, "OK",
                kHtml, kIndex}),
    [](const auto& test) { return test.param.name; });

TEST_F(ServerTest, TheErrorDocumentNamesTheCodeAndItsMeaning) {
  const RawAnswer answer = send(get("/nope<b>.js"));
  EXPECT_EQ(answer.header("Connection"), "close");
  EXPECT_NE(answer.body.find("404"), std::string::npos);
  EXPECT_NE(answer.body.find("Nothing matches the given URI"), std::string::npos);
}

TEST_F(ServerTest, HeadersComeInTheirOrderAndSpelling) {
  const auto names = [](const RawAnswer& answer) {
    std::vector<std::string> result;
    for (const auto& [name, value] : answer.headers) result.push_back(name);
    return result;
  };
  const std::vector<std::string> security = {"Content-Security-Policy", "Referrer-Policy",
                                             "X-Content-Type-Options", "Cache-Control",
                                             "Cross-Origin-Resource-Policy"};
  std::vector<std::string> file = {"Server", "Date", "Content-type", "Content-Length",
                                   "Last-Modified"};
  file.insert(file.end(), security.begin(), security.end());
  std::vector<std::string> error = {"Server", "Date", "Connection", "Content-Type",
                                    "Content-Length"};
  error.insert(error.end(), security.begin(), security.end());
  EXPECT_EQ(names(send(get("/app.js"))), file);
  EXPECT_EQ(names(send(get("/nope.js"))), error);
}

TEST_F(ServerTest, HeadGivesTheHeadOfGetWithoutBody) {
  const std::pair<std::string, std::string> requests[] = {
      {"/", "Host: localhost\r\n"},
      {"/vendor/", "Host: localhost\r\n"},
      {"/nope.js", "Host: localhost\r\n"},
      {"/", with_headers(101)},
      {"/", "Host: localhost\r\nX: " + std::string(70000, 'a') + "\r\n"},
  };
  for (const auto& [target, headers] : requests) {
    const RawAnswer got = send(get(target, headers));
    const RawAnswer head = send(get(target, headers, "HEAD"));
    EXPECT_EQ(head.status_line, got.status_line) << target;
    EXPECT_EQ(head.header("Content-Type"), got.header("Content-Type")) << target;
    EXPECT_EQ(head.header("Content-Length"), got.header("Content-Length")) << target;
    EXPECT_EQ(head.body, "") << got.status_line;
    expect_security_headers(head);
  }
  // Refused for its version, a HEAD still gets no body.
  for (const std::string version : {"HTTP/2.0", "HTTP/1.x", "FTP/1.0"}) {
    const RawAnswer got = send("GET / " + version + "\r\n\r\n");
    const RawAnswer head = send("HEAD / " + version + "\r\n\r\n");
    EXPECT_EQ(head.status_line, got.status_line) << version;
    EXPECT_EQ(head.header("Content-Length"), got.header("Content-Length")) << version;
    EXPECT_NE(got.body, "") << version;
    EXPECT_EQ(head.body, "") << version;
  }
}

// As `make run` serves the built web folder through a link to it.
TEST(ServerLinks, TheWebFolderMayItselfBeALink) {
  testing::TempDir dir;
  dir.write("web/index.html", kIndex);
  fs::create_directory_symlink(dir.path() / "web", dir.path() / "link");
  Config config;
  config.WEB_DIR = dir.path() / "link";
  auto [server, port] = start_server(config);
  EXPECT_EQ(raw_request(port, get("/")).body, kIndex);
}

TEST_F(ServerTest, AnswersNotModifiedOnlyForADateInGmtOrWithoutZone) {
  const fs::path file = dir_->path() / "web" / "app.js";
  const auto modified = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(file, modified);
  const RawAnswer first = send(get("/app.js"));
  const std::string last_modified = first.header("Last-Modified").value();
  const double seconds = parse_mail_date(last_modified)->epoch_seconds();
  const std::string earlier = format_http_date(seconds - 1);

  struct Case {
    std::string headers;
    int code;
  };
  for (const Case& c : {
           Case{"If-Modified-Since: " + last_modified + "\r\n", 304},
           Case{"If-Modified-Since: " + format_http_date(seconds + 60) + "\r\n", 304},
           Case{"If-Modified-Since: " + earlier + "\r\n", 200},
           Case{"If-Modified-Since: " + last_modified.substr(0, 25) + " +0000\r\n", 304},
           Case{"If-Modified-Since: " + last_modified.substr(0, 25) + " +0100\r\n", 200},
           Case{"If-Modified-Since: " + last_modified + "\r\nIf-None-Match: \"x\"\r\n", 200},
           Case{"If-Modified-Since: gisteren\r\n", 200},
       }) {
    const RawAnswer answer = send(get("/app.js", "Host: localhost\r\n" + c.headers));
    EXPECT_EQ(answer.code(), c.code) << c.headers;
    expect_security_headers(answer);
    if (c.code == 304) {
      EXPECT_EQ(answer.body, "");
    }
  }
}

TEST_F(ServerTest, ConnectionWithoutRequestGetsNoAnswer) { EXPECT_EQ(send("").status_line, ""); }

TEST_F(ServerTest, OrdinaryRequestsThroughCurl) {
  struct Case {
    std::string target;
    std::string result;
  };
  for (const Case& c : {Case{"/", "200 text/html; charset=utf-8 39"},
                        Case{"/app.js?v=1", "200 text/javascript; charset=utf-8 15"},
                        Case{"/fonts/inter.woff2", "200 font/woff2 4"},
                        Case{"/nope", "404 text/html;charset=utf-8"}}) {
    const std::string url = "http://127.0.0.1:" + std::to_string(server_->port()) + c.target;
    const std::string result = testing::run_command(
        "curl -s -o /dev/null --noproxy '*' -w '%{http_code} %{content_type} %{size_download}' '" +
        url + "'");
    EXPECT_TRUE(result.starts_with(c.result)) << c.target << ": " << result;
  }
}

TEST_F(ServerTest, AStalledClientHoldsOnlyItsOwnConnection) {
  asio::io_context context;
  asio::ip::tcp::socket stalled(context);
  stalled.connect({asio::ip::make_address_v4("127.0.0.1"), server_->port()});
  asio::write(stalled, asio::buffer(std::string_view("GET / HT")));
  EXPECT_EQ(send(get("/")).code(), 200);

  // The stalled request is still served once it goes on.
  asio::write(stalled, asio::buffer(std::string_view("TP/1.0\r\nHost: localhost\r\n\r\n")));
  stalled.shutdown(asio::ip::tcp::socket::shutdown_send);
  const std::string received = testing::read_until_closed(stalled);
  EXPECT_TRUE(received.starts_with("HTTP/1.0 200 OK\r\n")) << received;
}

// Runs `change` over and over while the file is requested; every answer must be a
// whole one: the file as it was when opened, or "File not found".
void expect_whole_answers(const std::function<void()>& change,
                          const std::function<RawAnswer()>& request) {
  std::atomic<bool> done{false};
  std::thread changer([&] {
    while (!done) change();
  });
  for (int i = 0; i < 100; ++i) {
    const RawAnswer answer = request();
    if (answer.code() == 200) {
      EXPECT_EQ(answer.header("Content-Length"), std::to_string(answer.body.size()));
    } else {
      EXPECT_EQ(answer.reason(), "File not found");
    }
  }
  done = true;
  changer.join();
}

TEST_F(ServerTest, AFileThatComesAndGoesIsServedWholeOrNotAtAll) {
  const fs::path file = dir_->path() / "web" / "wisselend.txt";
  const std::string content(200000, 'v');
  expect_whole_answers(
      [&] {
        platform::replace_file(file, content);
        std::error_code ignored;
        fs::remove(file, ignored);
      },
      [] { return send(get("/wisselend.txt")); });
}

TEST_F(ServerTest, AGrowingFileIsSentUpToItsLengthWhenOpened) {
  const fs::path file = dir_->path() / "web" / "groeiend.txt";
  dir_->write("web/groeiend.txt", "begin");
  std::ofstream out(file, std::ios::app | std::ios::binary);
  const std::string block(4096, 'g');
  std::size_t written = 0;
  expect_whole_answers(
      [&] {
        if (written < (std::size_t{2} << 20)) {
          out << block << std::flush;
          written += block.size();
        }
      },
      [] { return send(get("/groeiend.txt")); });
}

// Windows destroys even a moved-from socket through its context's service, under that
// service's lock: a connection handed on keeps the context alive in both places.
TEST(ConnectionHandOver, EveryMovedFromPartKeepsTheContextAlive) {
  auto context = std::make_shared<asio::io_context>();
  const std::weak_ptr<asio::io_context> watched = context;
  std::optional<Accepted> handed(Accepted{context, asio::ip::tcp::socket(*context), "", false});
  context.reset();
  { const Accepted served = std::move(*handed); }
  EXPECT_FALSE(watched.expired());
  handed.reset();
  EXPECT_TRUE(watched.expired());
}

#ifndef _WIN32
// Every connection costs descriptors; when they run out, the server waits for
// some to come free instead of ending the program.
TEST(ServerLimits, RunningOutOfDescriptorsPausesAccepting) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizers' own checks need descriptors too";
#endif
  testing::TempDir dir;
  dir.write("index.html", kIndex);
  Config config;
  config.WEB_DIR = dir.path();
  auto [server, port] = start_server(config);

  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const int lowest_free = dup(0);
  close(lowest_free);
  const rlimit lowered{static_cast<rlim_t>(lowest_free + 24), limit.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  asio::io_context context;
  std::vector<asio::ip::tcp::socket> held;
  for (int i = 0; i < 24; ++i) {
    asio::ip::tcp::socket socket(context);
    std::error_code error;
    socket.connect({asio::ip::make_address_v4("127.0.0.1"), port}, error);
    if (!error) held.push_back(std::move(socket));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  held.clear();

  EXPECT_EQ(raw_request(port, get("/")).code(), 200);
}
#endif

TEST(ServerShutdown, StopsAcceptingAndReturns) {
  testing::TempDir dir;
  Config config;
  config.WEB_DIR = dir.path();
  auto [server, port] = start_server(config);
  EXPECT_EQ(server->port(), port);
  server->shutdown();
  asio::io_context context;
  asio::ip::tcp::socket socket(context);
  std::error_code error;
  socket.connect({asio::ip::make_address_v4("127.0.0.1"), port}, error);
  EXPECT_TRUE(error);
}

}  // namespace
}  // namespace verhulzen
