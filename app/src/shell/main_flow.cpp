#include "shell/main_flow.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <future>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "http/server.h"
#include "json/json_text.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/sockets.h"
#include "shell/browser.h"
#include "shell/profile.h"
#include "shell/single_instance.h"
#include "shell/zelftest.h"
#include "text/ascii_text.h"
#include "text/utf8.h"
#include "update/update_check.h"

namespace verhulzen {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The clean-up after the page has been shown runs once: at the end of the main
// flow, or on a console interrupt, whichever comes first.
class Opruiming {
 public:
  void zet(std::function<void()> werk) {
    std::lock_guard lock(mutex_);
    werk_ = std::move(werk);
  }
  void voer_uit(bool door_onderbreking = false) {
    std::lock_guard lock(mutex_);
    onderbroken_ = onderbroken_ || door_onderbreking;
    auto werk = std::exchange(werk_, nullptr);
    if (werk) werk();
    // The main flow, released by an interrupt's clean-up (which closed the window),
    // must not end the process with status 0 before the interrupt ends it.
    if (onderbroken_ && !door_onderbreking) {
      std::fflush(nullptr);
      std::_Exit(platform::interrupt_exit_status);
    }
  }

 private:
  std::mutex mutex_;
  std::function<void()> werk_;
  bool onderbroken_ = false;
};

Opruiming& opruiming() {
  static Opruiming o;
  return o;
}

// The app window of this run, if one is open: an interrupt must end its browser
// before the profile can be removed.
class Venster {
 public:
  void geopend(const platform::ChildProcess& proc) {
    std::lock_guard lock(mutex_);
    proc_ = proc;
  }
  void sluiten(const fs::path& profiel) {
    std::optional<platform::ChildProcess> proc;
    {
      std::lock_guard lock(mutex_);
      proc = proc_;
    }
    if (proc) _venster_sluiten(*proc, profiel);
  }

 private:
  std::mutex mutex_;
  std::optional<platform::ChildProcess> proc_;
};

bool gezet(const char* naam) { return non_empty(platform::environment_variable(naam)).has_value(); }

void toon_pagina(const Config& config, const std::string& url, Venster& venster) {
  const auto browser = _browser();
  const bool zonder_venster = gezet("VERHULZEN_GEEN_BROWSER");
  if (browser && !zonder_venster) {
    auto proc = _app_venster(*browser, url, config.PROFIEL_DIR);
    venster.geopend(proc);
    _wacht_tot_venster_dicht(proc, config.PROFIEL_DIR);
  } else if (zonder_venster) {
    // Without a window, the user needs the address to open the page.
    std::cout << "Drovel Verhulzen is bereikbaar op " << url << std::endl;
    const auto duur = looptijd(platform::environment_variable("VERHULZEN_LOOPTIJD").value_or("30"));
    if (duur > 0s) std::this_thread::sleep_for(duur);
  } else {
    platform::open_default_browser(url);
    _melding("Drovel Verhulzen is geopend in uw browser.\n\nKlik op OK om de tool af te sluiten.");
  }
}

int hoofdlijn(const Config& config, const std::vector<std::string>& args) {
  if (std::find(args.begin(), args.end(), "--zelftest") != args.end()) return zelftest(config);
  platform::on_console_interrupt([] { opruiming().voer_uit(true); });
  platform::raise_descriptor_limit();  // every waiting client holds one

  std::error_code nergens;
  if (!fs::exists(config.WEB_DIR / "index.html", nergens)) {
    _melding("De programmabestanden ontbreken (" + utf8_of(config.WEB_DIR) + ").");
    return 1;
  }
  datamap_inrichten(config);
  if (const auto einde = _single_instance(config)) return *einde;
  kantoorlijst_overnemen(config);
  _oude_profielen_wissen(config.PROFIELEN, config.PROFIEL_DIR, config.OUD_PROFIEL);
  if (!gezet("VERHULZEN_GEEN_UPDATE")) {
    // The check may outlive this flow, so it keeps a configuration of its own.
    wacht_op_updatecontrole([config] { controleer_online(config); }, 6s);
  }

  auto [srv, poort] = start_server(config);
  const std::string url = "http://127.0.0.1:" + std::to_string(poort) + "/";
  if (!platform::replace_file(config.INSTANCE,
                              instance_record(platform::process_id(), poort, config.PROFIEL_DIR))) {
    throw std::runtime_error("kan " + utf8_of(config.INSTANCE) + " niet schrijven");
  }

  Venster venster;
  opruiming().zet([&server = *srv, &config, &venster] {
    server.shutdown();
    std::error_code genegeerd;
    fs::remove(config.INSTANCE, genegeerd);
    venster.sluiten(config.PROFIEL_DIR);
    _profiel_wissen(config.PROFIEL_DIR);
  });
  try {
    toon_pagina(config, url, venster);
  } catch (...) {
    opruiming().voer_uit();
    throw;
  }
  opruiming().voer_uit();
  return 0;
}

bool bestaat(const fs::path& pad) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(pad, ec));
}

// Earlier versions kept their data in ~/DrovelVerhulzen, where a user may keep the
// program and documents of their own too: only the program's own files come along,
// while the data folder has no office list yet. Each is read without following a
// link, written privately and only then removed there; the office list comes last,
// so that a start broken off half-way takes over the rest at the next start. The
// earlier folder itself, its mode and everything else in it stay as they were.
void vorige_gegevens_overnemen(const Config& config) {
  if (!config.EARLIER_DATA_DIR || platform::is_link(*config.EARLIER_DATA_DIR) ||
      bestaat(config.KANTOORLIJST)) {
    return;
  }
  for (const fs::path* doel : {&config.STATUS, &config.KANTOORLIJST}) {
    if (bestaat(*doel)) continue;  // the data folder's own status file stays
    const fs::path bron = *config.EARLIER_DATA_DIR / doel->filename();
    const auto inhoud = platform::read_own_file(bron);
    std::error_code genegeerd;
    if (inhoud && platform::replace_file(*doel, *inhoud)) fs::remove(bron, genegeerd);
  }
}

}  // namespace

int main_flow(const Config& config, const std::vector<std::string>& args) {
  platform::ensure_standard_streams();
  try {
    return hoofdlijn(config, args);
  } catch (const platform::UnsafeLocation& fout) {
    _melding(fout.what());
  } catch (const std::exception& fout) {
    std::cerr << "Fout: " << fout.what() << std::endl;
  } catch (...) {
    std::cerr << "Fout: onbekende fout" << std::endl;
  }
  return 1;
}

int _melding(const std::string& tekst) {
  if (auto knop = platform::message_box(std::string(APP_NAME), tekst)) return *knop;
  std::cerr << tekst << std::endl;
  return 1;
}

void datamap_inrichten(const Config& config) {
  platform::create_private_folder(config.DATA_DIR);
  vorige_gegevens_overnemen(config);
  for (const fs::path* bestand : {&config.INSTANCE, &config.STATUS, &config.KANTOORLIJST}) {
    if (auto probleem = platform::private_file_problem(*bestand)) {
      throw platform::UnsafeLocation(*probleem);
    }
  }
}

void kantoorlijst_overnemen(const Config& config) {
  if (!config.PAKKET) return;
  std::error_code genegeerd;
  if (fs::exists(config.KANTOORLIJST, genegeerd)) return;
  fs::copy_file(config.OUDE_DATA_DIR / "kantoorlijst.txt", config.KANTOORLIJST, genegeerd);
}

void wacht_op_updatecontrole(std::function<void()> controle, std::chrono::milliseconds grens) {
  auto klaar = std::make_shared<std::promise<void>>();
  auto gedaan = klaar->get_future();
  std::thread([controle = std::move(controle), klaar] {
    try {
      controle();
    } catch (...) {
      // Its failures stay on its own thread.
    }
    klaar->set_value();
  }).detach();
  gedaan.wait_for(grens);
}

std::string instance_record(std::uint32_t pid, int port, const fs::path& profiel) {
  Json record = Json::object();
  record["pid"] = pid;
  record["port"] = port;
  record["profiel"] = utf8_of(profiel);
  return write_json(record);
}

std::chrono::duration<double> looptijd(const std::string& tekst) {
  std::string_view getal = trim(tekst);
  if (getal.size() > 1 && getal.front() == '+' && getal[1] != '-') getal.remove_prefix(1);
  double seconden = 0;
  auto [rest, fout] = std::from_chars(getal.data(), getal.data() + getal.size(), seconden);
  // Beyond about 290 years a sleep cannot be measured in nanoseconds any more.
  if (getal.empty() || fout != std::errc() || rest != getal.data() + getal.size() ||
      !std::isfinite(seconden) || seconden > 9e9) {
    throw std::invalid_argument("VERHULZEN_LOOPTIJD is geen aantal seconden: \"" + tekst + "\"");
  }
  return std::chrono::duration<double>(seconden);
}

}  // namespace verhulzen
