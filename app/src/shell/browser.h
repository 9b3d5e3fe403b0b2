// The browser window of the program: finding Edge or Chrome, opening the app
// window with its own profile folder, and waiting until that window is closed.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/process.h"

namespace verhulzen {

// The first browser of the search list that exists, or nothing.
std::optional<std::filesystem::path> _browser(
    const platform::BrowserSearch& lijst = platform::browser_search());

// Creates the profile folder and starts the browser on url in an app window
// with that profile. Does not wait. Failures reach the caller.
platform::ChildProcess _app_venster(const std::filesystem::path& browser, const std::string& url,
                                    const std::filesystem::path& profiel);

struct WachtTijden {
  std::chrono::milliseconds interval{1000};
  // How long a browser that never took the profile's lock is given.
  std::chrono::milliseconds gratie{30000};
};

// Returns once the browser has ended and the profile is free, provided the
// profile was seen in use; a browser that never held it releases the wait only
// after the grace period.
void _wacht_tot_venster_dicht(platform::ChildProcess& proc, const std::filesystem::path& profiel,
                              const WachtTijden& tijden = {});

// Ends the browser of a window that is still open (the program was interrupted) and
// waits, at most `grens` in all, until it has ended and released the profile: a
// browser that is ending still writes its files there.
void _venster_sluiten(platform::ChildProcess& proc, const std::filesystem::path& profiel,
                      std::chrono::milliseconds grens = std::chrono::seconds(10));

}  // namespace verhulzen
