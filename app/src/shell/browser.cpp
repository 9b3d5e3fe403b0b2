#include "shell/browser.h"

#include <thread>
#include <vector>

#include "shell/profile.h"
#include "text/utf8.h"

namespace verhulzen {
namespace fs = std::filesystem;

std::optional<fs::path> _browser(const platform::BrowserSearch& lijst) {
  for (const auto& pad : lijst.locations) {
    std::error_code ec;
    if (fs::exists(pad, ec)) return pad;
  }
  for (const auto& opdracht : lijst.commands) {
    if (auto pad = platform::find_on_path(opdracht)) return pad;
  }
  return std::nullopt;
}

platform::ChildProcess _app_venster(const fs::path& browser, const std::string& url,
                                    const fs::path& profiel) {
  // The browser keeps the page's storage there: nobody else may look in or change it.
  profielmap_maken(profiel);
  std::vector<std::string> argv{
      utf8_of(browser),
      "--app=" + url,
      "--user-data-dir=" + utf8_of(profiel),
      "--window-size=1440,900",
      "--no-first-run",
      "--no-default-browser-check",
      "--disable-sync",
      "--disable-extensions",
      "--disable-features=msEdgeSidebarV2,msHubApps,msImplicitSignin,Translate",
      "--disable-background-networking",
  };
  for (auto& extra : platform::extra_browser_arguments()) argv.push_back(std::move(extra));
  return platform::start_process(argv);
}

void _wacht_tot_venster_dicht(platform::ChildProcess& proc, const fs::path& profiel,
                              const WachtTijden& tijden) {
  const auto begin = std::chrono::steady_clock::now();
  bool gezien = false;
  for (;;) {
    if (platform::profile_in_use(profiel)) {
      gezien = true;
    } else if (proc.has_ended() &&
               (gezien || std::chrono::steady_clock::now() - begin > tijden.gratie)) {
      return;
    }
    std::this_thread::sleep_for(tijden.interval);
  }
}

void _venster_sluiten(platform::ChildProcess& proc, const fs::path& profiel,
                      std::chrono::milliseconds grens) {
  const auto einde = std::chrono::steady_clock::now() + grens;
  proc.end(grens);
  while (platform::profile_in_use(profiel) && std::chrono::steady_clock::now() < einde) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace verhulzen
