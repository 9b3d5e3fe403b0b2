#include "shell/zelftest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support.h"

namespace verhulzen {
namespace {

using testing::FeedServer;

constexpr const char* kCsp = "default-src 'self'; connect-src 'self'";

std::string antwoord(std::string_view status, std::string_view body, std::string_view koppen) {
  return "HTTP/1.0 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n" + std::string(koppen) + "\r\n" + std::string(body);
}

std::string met_type(std::string_view type, std::string_view csp = kCsp) {
  std::string koppen = type.empty() ? "" : "Content-Type: " + std::string(type) + "\r\n";
  if (!csp.empty()) koppen += "Content-Security-Policy: " + std::string(csp) + "\r\n";
  return koppen;
}

// A server that answers as a sound build does, except for the answers a case overrides,
// keyed by method and path ("GET /app.js").
class Programma {
 public:
  explicit Programma(std::map<std::string, std::string> anders = {})
      : anders_(std::move(anders)),
        server_([this](const std::string& verzoek) { return beantwoord(verzoek); }) {}

  std::vector<std::string> bevindingen(const std::filesystem::path& afbeelding) {
    return zelftest_bevindingen(port(), afbeelding);
  }

 private:
  std::uint16_t port() const {
    return static_cast<std::uint16_t>(std::stoi(server_.url("").substr(17)));
  }

  std::optional<std::string> beantwoord(const std::string& verzoek) {
    const std::string sleutel = verzoek.substr(0, verzoek.find(' ', verzoek.find(' ') + 1));
    if (const auto a = anders_.find(sleutel); a != anders_.end()) return a->second;
    static const std::map<std::string, std::string> types = {
        {"GET /", "text/html; charset=utf-8"},
        {"GET /verhulzen.css", "text/css; charset=utf-8"},
        {"GET /fonts/inter-latin-wght-normal.woff2", "font/woff2"},
        {"GET /kantoorlijst", "text/plain; charset=utf-8"},
    };
    if (sleutel == "POST /ocr")
      return antwoord("200 OK", R"({"regels": []})", met_type("application/json"));
    if (sleutel == "POST /kantoorlijst") return antwoord("403 Forbidden", "", met_type(""));
    if (const auto t = types.find(sleutel); t != types.end())
      return antwoord("200 OK", "x", met_type(t->second));
    if (sleutel.ends_with(".js"))
      return antwoord("200 OK", "x", met_type("text/javascript; charset=utf-8"));
    return antwoord("404 Not Found", "", met_type(""));
  }

  std::map<std::string, std::string> anders_;
  FeedServer server_;
};

class Zelftest : public ::testing::Test {
 protected:
  Zelftest() { map_.write("logo_icon.png", "\x89PNG\r\n\x1a\n"); }
  std::filesystem::path afbeelding() const { return map_.path() / "logo_icon.png"; }
  testing::TempDir map_;
};

TEST_F(Zelftest, ASoundBuildGivesNoFindings) {
  Programma programma;
  EXPECT_EQ(programma.bevindingen(afbeelding()), std::vector<std::string>{});
}

struct Geval {
  const char* naam;
  std::map<std::string, std::string> anders;
  std::vector<std::string> bevindingen;
};

TEST_F(Zelftest, ReportsEachFaultOfTheBuildInOrder) {
  const std::string fout_body = "Fout: \"kapot\" \\ caf\xc3\xa9\t\n" + std::string(400, 'x');
  const Geval gevallen[] = {
      {"a script served as text keeps its policy test",
       {{"GET /app.js", antwoord("200 OK", "x", met_type("text/plain", "default-src 'none'"))}},
       {"/app.js: type text/plain", "/app.js: CSP ontbreekt"}},
      {"a missing type is named None",
       {{"GET /lezers.js", antwoord("200 OK", "x", met_type(""))}},
       {"/lezers.js: type None"}},
      {"more sources after 'self' pass; one between fails",
       {{"GET /verhulzen.css",
         antwoord("200 OK", "x", met_type("text/css", "connect-src 'self' https://a.example"))},
        {"GET /",
         antwoord("200 OK", "x", met_type("text/html", "connect-src https://a.example 'self'"))}},
       {"/: CSP ontbreekt"}},
      {"a path that is not found gives one finding",
       {{"GET /vendor/xlsx.full.min.js", antwoord("404 Not Found", "", met_type("text/html"))}},
       {"/vendor/xlsx.full.min.js: HTTP Error 404: Not Found"}},
      {"an OCR error gives its status and the start of its body as bytes",
       {{"POST /ocr",
         antwoord("500 Internal Server Error", fout_body, met_type("application/json"))}},
       {R"(/ocr: 500 b'Fout: "kapot" \\ caf\xc3\xa9\t\n)" +
        std::string(300 - (fout_body.size() - 400), 'x') + "'"}},
      {"an OCR reply without lines",
       {{"POST /ocr", antwoord("200 OK", R"({"fout": null})", met_type("application/json"))}},
       {"/ocr: onverwacht antwoord"}},
      {"an office list that cannot be read",
       {{"GET /kantoorlijst", antwoord("500 Internal Server Error", "", met_type(""))}},
       {"/kantoorlijst: HTTP Error 500: Internal Server Error"}},
      {"a foreign write that is accepted",
       {{"POST /kantoorlijst", antwoord("204 No Content", "", met_type(""))}},
       {"/kantoorlijst: schrijven vanaf andere site niet geweigerd"}},
      {"refusals of any status add nothing",
       {{"POST /kantoorlijst", antwoord("413 Payload Too Large", "", met_type(""))},
        {"GET /ONDERZOEK.md", antwoord("400 Bad Request", "", met_type(""))}},
       {}},
      {"private paths that are served",
       {{"GET /ONDERZOEK.md", antwoord("200 OK", "# notities", met_type("text/plain"))},
        {"GET /vendor/", antwoord("200 OK", "index", met_type("text/html"))},
        {"GET /../verhulzen_app.py", antwoord("200 OK", "import os", met_type("text/plain"))}},
       {"/ONDERZOEK.md: had niet geserveerd mogen worden",
        "/vendor/: had niet geserveerd mogen worden",
        "/../verhulzen_app.py: had niet geserveerd mogen worden"}},
  };
  for (const auto& geval : gevallen) {
    Programma programma(geval.anders);
    EXPECT_EQ(programma.bevindingen(afbeelding()), geval.bevindingen) << geval.naam;
  }
}

TEST_F(Zelftest, AMissingTestImageIsAFindingAndTheRunGoesOn) {
  Programma programma({{"POST /kantoorlijst", antwoord("200 OK", "", met_type(""))}});
  const auto bevindingen = programma.bevindingen(map_.path() / "weg.png");
  ASSERT_EQ(bevindingen.size(), 2U);
  EXPECT_TRUE(bevindingen[0].starts_with("/ocr: ")) << bevindingen[0];
  EXPECT_EQ(bevindingen[1], "/kantoorlijst: schrijven vanaf andere site niet geweigerd");
}

TEST(ByteLiteral, WritesBytesAsTheirLiteral) {
  const std::pair<std::string, std::string> gevallen[] = {
      {"", "b''"},
      {"abc", "b'abc'"},
      {"it's", "b\"it's\""},
      {"it's \"x\"", R"(b'it\'s "x"')"},
      {"a\\b", "b'a\\\\b'"},
      {"\t\n\r", R"(b'\t\n\r')"},
      {std::string("\0\x1f\x7f\x80\xff", 5), R"(b'\x00\x1f\x7f\x80\xff')"},
  };
  for (const auto& [bytes, literal] : gevallen) EXPECT_EQ(byte_literal(bytes), literal) << literal;
}

}  // namespace
}  // namespace verhulzen
