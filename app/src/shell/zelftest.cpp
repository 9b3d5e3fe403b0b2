#include "shell/zelftest.h"

#include <array>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "http/server.h"
#include "json/json_text.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "text/ascii_text.h"

namespace verhulzen {
namespace {

struct Pad {
  std::string_view pad;
  std::string_view type;
};

constexpr std::array<Pad, 10> kGeserveerd{{
    {"/", "text/html"},
    {"/app.js", "text/javascript"},
    {"/anon-core.js", "text/javascript"},
    {"/vendor/pdf.worker.min.js", "text/javascript"},
    {"/lezers.js", "text/javascript"},
    {"/vendor/xlsx.full.min.js", "text/javascript"},
    {"/vendor/mammoth.browser.min.js", "text/javascript"},
    {"/verhulzen.css", "text/css"},
    {"/status.js", "text/javascript"},
    {"/fonts/inter-latin-wght-normal.woff2", "font/woff2"},
}};
constexpr std::array<std::string_view, 3> kPrivaat{"/ONDERZOEK.md", "/vendor/",
                                                   "/../verhulzen_app.py"};
constexpr std::string_view kBeleid = "connect-src 'self'";
constexpr std::chrono::seconds kTijd{5};
constexpr std::chrono::seconds kOcrTijd{20};

// What one request gave: an answer with its status (any status), or the
// client's description of a transport failure.
struct Antwoord {
  long status = 0;
  std::optional<std::string> type;
  std::optional<std::string> beleid;
  std::string reden;  // the reason phrase of the status line
  std::string body;
  std::string fout;  // set for a transport failure

  bool gelukt() const { return fout.empty() && status >= 200 && status <= 299; }
  bool foutstatus() const { return fout.empty() && !gelukt(); }
};

// The description of a failed request, in the HTTP client's manner.
std::string beschrijving(const Antwoord& a) {
  if (!a.fout.empty()) return a.fout;
  return "HTTP Error " + std::to_string(a.status) + (a.reden.empty() ? "" : ": " + a.reden);
}

struct Verzoek {
  std::string pad;
  std::optional<std::string> body;  // set: POST
  std::optional<std::string> origin;
  std::chrono::seconds tijd = kTijd;
};

Antwoord vraag(std::uint16_t port, const Verzoek& v) {
  platform::HttpRequest verzoek;
  // The path goes out as written, also when it climbs out of the folder.
  verzoek.url = "http://127.0.0.1:" + std::to_string(port) + v.pad;
  verzoek.local = true;
  verzoek.body = v.body;
  if (v.origin) verzoek.headers.push_back("Origin: " + *v.origin);
  verzoek.connect_timeout = v.tijd;
  verzoek.idle_timeout = v.tijd;
  auto uitkomst = platform::http_request(verzoek);
  Antwoord a;
  if (auto* fout = std::get_if<std::string>(&uitkomst)) {
    a.fout = *fout;
    return a;
  }
  auto& antwoord = std::get<platform::HttpResponse>(uitkomst);
  a.status = antwoord.status;
  a.reden = antwoord.reason;
  a.type = antwoord.header("content-type");
  a.beleid = antwoord.header("content-security-policy");
  a.body = std::move(antwoord.body);
  return a;
}

Antwoord haal(std::uint16_t port, std::string_view pad) {
  return vraag(port, {std::string(pad), std::nullopt, std::nullopt, kTijd});
}

void controleer_bestanden(std::uint16_t port, std::vector<std::string>& fouten) {
  for (const auto& [pad, type] : kGeserveerd) {
    const Antwoord a = haal(port, pad);
    if (!a.gelukt()) {
      fouten.push_back(std::string(pad) + ": " + beschrijving(a));
      continue;
    }
    if (!a.type || !a.type->starts_with(type)) {
      fouten.push_back(std::string(pad) + ": type " + a.type.value_or("None"));
    }
    if (a.beleid.value_or("").find(kBeleid) == std::string::npos) {
      fouten.push_back(std::string(pad) + ": CSP ontbreekt");
    }
  }
}

void controleer_ocr(std::uint16_t port, const std::filesystem::path& afbeelding,
                    std::vector<std::string>& fouten) {
  const auto beeld = platform::read_file(afbeelding);
  if (!beeld) {
    fouten.push_back("/ocr: kan de testafbeelding " + afbeelding.string() + " niet lezen");
    return;
  }
  const Antwoord a = vraag(port, {"/ocr", *beeld, std::nullopt, kOcrTijd});
  if (a.foutstatus()) {
    fouten.push_back("/ocr: " + std::to_string(a.status) + " " +
                     byte_literal(std::string_view(a.body).substr(0, 300)));
  } else if (!a.fout.empty()) {
    fouten.push_back("/ocr: " + a.fout);
  } else if (const auto json = read_json(a.body); !json) {
    fouten.emplace_back("/ocr: het antwoord is geen JSON");
  } else if (!json->is_object() || !json->contains("regels")) {
    fouten.emplace_back("/ocr: onverwacht antwoord");
  }
}

void controleer_kantoorlijst(std::uint16_t port, std::vector<std::string>& fouten) {
  if (const Antwoord a = haal(port, "/kantoorlijst"); !a.gelukt()) {
    fouten.push_back("/kantoorlijst: " + beschrijving(a));
  }
  const Antwoord schrijven =
      vraag(port, {"/kantoorlijst", "x", "https://andere-site.example", kTijd});
  if (!schrijven.fout.empty()) throw std::runtime_error("/kantoorlijst: " + schrijven.fout);
  if (schrijven.gelukt())
    fouten.emplace_back("/kantoorlijst: schrijven vanaf andere site niet geweigerd");
}

void controleer_privaat(std::uint16_t port, std::vector<std::string>& fouten) {
  for (const auto pad : kPrivaat) {
    const Antwoord a = haal(port, pad);
    if (!a.fout.empty()) throw std::runtime_error(std::string(pad) + ": " + a.fout);
    if (a.gelukt()) fouten.push_back(std::string(pad) + ": had niet geserveerd mogen worden");
  }
}

}  // namespace

std::vector<std::string> zelftest_bevindingen(std::uint16_t port,
                                              const std::filesystem::path& afbeelding) {
  std::vector<std::string> fouten;
  controleer_bestanden(port, fouten);
  controleer_ocr(port, afbeelding, fouten);
  controleer_kantoorlijst(port, fouten);
  controleer_privaat(port, fouten);
  return fouten;
}

int zelftest(const Config& config) {
  auto [server, port] = start_server(config);
  const auto fouten = zelftest_bevindingen(port, config.WEB_DIR / "assets" / "logo_icon.png");
  server->shutdown();
  std::string uitvoer;
  for (const auto& fout : fouten) uitvoer += (uitvoer.empty() ? "" : "\n") + fout;
  if (fouten.empty()) uitvoer = "zelftest ok";
  uitvoer += "\n";
  std::cout.write(uitvoer.data(), static_cast<std::streamsize>(uitvoer.size()));
  std::cout.flush();
  if (!std::cout) throw std::runtime_error("de uitslag van de zelftest kan niet worden geschreven");
  return fouten.empty() ? 0 : 1;
}

std::string byte_literal(std::string_view bytes) {
  const bool dubbel =
      bytes.find('\'') != std::string_view::npos && bytes.find('"') == std::string_view::npos;
  const char aanhaling = dubbel ? '"' : '\'';
  std::string tekst = "b";
  tekst += aanhaling;
  for (const char teken : bytes) {
    const auto byte = static_cast<unsigned char>(teken);
    if (teken == '\\' || teken == aanhaling) {
      tekst += '\\';
      tekst += teken;
    } else if (teken == '\t') {
      tekst += "\\t";
    } else if (teken == '\n') {
      tekst += "\\n";
    } else if (teken == '\r') {
      tekst += "\\r";
    } else if (byte >= 0x20 && byte < 0x7f) {
      tekst += teken;
    } else {
      constexpr std::string_view kHex = "0123456789abcdef";
      tekst += "\\x";
      tekst += kHex[byte >> 4];
      tekst += kHex[byte & 0xf];
    }
  }
  tekst += aanhaling;
  return tekst;
}

}  // namespace verhulzen
