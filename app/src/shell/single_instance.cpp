#include "shell/single_instance.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "platform/process.h"
#include "platform/session_lock.h"
#include "shell/browser.h"
#include "shell/main_flow.h"
#include "shell/profile.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace verhulzen {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kPogingen = 10;
constexpr auto kPauze = 300ms;
constexpr std::chrono::milliseconds kProbe{1000};
constexpr const char* kNietBereikbaar =
    "Drovel Verhulzen draait al, maar reageert niet. Herstart de pc of be\xC3\xABindig het via "
    "Taakbeheer.";

// One GET with a time-out, redirects followed: true for an answer below 400.
bool antwoordt(const std::string& url) {
  platform::HttpRequest verzoek;
  verzoek.url = url;
  verzoek.local = true;
  verzoek.connect_timeout = kProbe;
  verzoek.idle_timeout = kProbe;
  verzoek.body_limit = 0;
  const auto uitkomst = platform::http_request(verzoek);
  const auto* antwoord = std::get_if<platform::HttpResponse>(&uitkomst);
  return antwoord != nullptr && antwoord->status > 0 && antwoord->status < 400;
}

// One attempt of the hand-over; false when it failed in a way that is tried again.
bool overdragen(const Config& config) {
  const auto tekst = platform::read_file(config.INSTANCE);
  if (!tekst) return false;
  const auto record = read_json(*tekst);
  if (!record) return false;
  const auto poort = poort_uit_record(*record);
  if (!poort) return false;
  fs::path profiel = config.PROFIEL_DIR;
  if (const auto p = record->find("profiel");
      p != record->end() && p->is_string() && !p->get_ref<const std::string&>().empty()) {
    profiel = path_from_utf8(p->get_ref<const std::string&>());
  }
  // No running instance names a profile elsewhere: such a record was put there by
  // someone else, and the window would create or narrow a folder outside the data folder.
  if (!is_eigen_profiel(config.PROFIELEN, profiel)) return false;
  const std::string url = "http://127.0.0.1:" + std::to_string(*poort) + "/";
  if (!antwoordt(url)) return false;

  if (const auto browser = _browser()) {
    try {
      _app_venster(*browser, url, profiel);
    } catch (const std::exception&) {
      return false;
    }
  } else {
    platform::open_default_browser(url);
  }
  return true;
}

}  // namespace

std::string guard_naam(const Config& config) {
  return std::string("Local\\DrovelVerhulzen") + (config.PAKKET ? "-Store" : "");
}

std::optional<long long> poort_uit_record(const Json& record) {
  if (!record.is_object()) throw std::runtime_error("instance.json bevat geen object");
  const auto poort = record.find("port");
  if (poort == record.end()) return std::nullopt;
  // Beyond these bounds no port can answer; the attempt fails like a refused one.
  constexpr double kGrens = 1e15;
  if (poort->is_number_integer() || poort->is_boolean()) {
    if (poort->is_number_unsigned()) {
      const auto waarde = poort->get<unsigned long long>();
      return waarde > static_cast<unsigned long long>(kGrens) ? std::nullopt
                                                              : std::optional<long long>(waarde);
    }
    return poort->get<long long>();
  }
  if (poort->is_number_float()) {
    const double waarde = std::trunc(poort->get<double>());
    if (!std::isfinite(waarde) || std::fabs(waarde) > kGrens) return std::nullopt;
    return static_cast<long long>(waarde);
  }
  if (poort->is_string()) {
    const std::string_view cijfers = trim(poort->get_ref<const std::string&>());
    if (!all_digits(cijfers) || cijfers.size() > 15) return std::nullopt;
    return std::stoll(std::string(cijfers));
  }
  throw std::runtime_error("instance.json heeft een poort van een onbekend type");
}

std::optional<int> _single_instance(const Config& config) {
  if (non_empty(platform::environment_variable("VERHULZEN_DATA_DIR"))) return std::nullopt;
  if (!platform::create_session_lock(guard_naam(config)).already_exists) return std::nullopt;
  for (int poging = 0; poging < kPogingen; ++poging) {
    if (overdragen(config)) return 0;
    std::this_thread::sleep_for(kPauze);
  }
  _melding(kNietBereikbaar);
  return 1;
}

}  // namespace verhulzen
