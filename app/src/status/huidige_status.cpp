#include "status/huidige_status.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <set>
#include <vector>

#include "ocr/ocr_service.h"
#include "text/http_date.h"
#include "text/utf8.h"
#include "update/status_file.h"
#include "update/veilige_link.h"
#include "update/versie.h"

namespace verhulzen {

namespace {

constexpr std::size_t kMessageLength = 300;
constexpr std::size_t kNoteLength = 500;
constexpr std::size_t kMaxMessages = 10;
constexpr std::size_t kMaxHidden = 50;
constexpr double kClockSlack = 3600;

const Json& member(const Json& object, const char* key) {
  static const Json missing;
  const auto found = object.find(key);
  return found == object.end() ? missing : *found;
}

bool lower_than_app(const Json& version) { return versie(APP_VERSION) < versie(version); }

std::optional<int> digits(std::string_view text, std::size_t min, std::size_t max) {
  if (text.size() < min || text.size() > max) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Local midnight at the start of a "YYYY-M-D" date in the first ten characters.
std::optional<double> start_of_day(const Json& expires) {
  const std::string text = first_code_points(text_of(expires), 10);
  const std::size_t first = text.find('-');
  const std::size_t second = first == std::string::npos ? first : text.find('-', first + 1);
  if (second == std::string::npos) return std::nullopt;
  const auto year = digits(std::string_view(text).substr(0, first), 4, 4);
  const auto month = digits(std::string_view(text).substr(first + 1, second - first - 1), 1, 2);
  const auto day = digits(std::string_view(text).substr(second + 1), 1, 2);
  if (!year || !month || !day) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(*month),
                                         std::chrono::day(*day)};
  if (!date.ok()) return std::nullopt;
  std::tm local{};
  local.tm_year = *year - 1900;
  local.tm_mon = *month - 1;
  local.tm_mday = *day;
  local.tm_isdst = -1;
  const std::time_t midnight = std::mktime(&local);
  if (midnight == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<double>(midnight);
}

std::optional<const char*> blocking_reason(const Json& s, const Json& info, double nu, bool store) {
  if (store) {
    const Json& minimum = member(info, "store_min_required");
    if (!is_empty(minimum) && lower_than_app(minimum)) return "update";
    return std::nullopt;
  }
  if (const auto server_ts = status_time(s, "server_ts");
      server_ts && nu < *server_ts - kClockSlack) {
    return "klok";
  }
  const double laatst =
      status_time(s, "gecontroleerd").value_or(status_time(s, "eerste_start").value_or(nu));
  if (nu - laatst > WEEK) return "offline";
  const Json& minimum = member(info, "min_required");
  if (!is_empty(minimum) && lower_than_app(minimum)) return "update";
  return std::nullopt;
}

std::set<std::string> hidden_texts(const Json& s) {
  std::set<std::string> hidden;
  const Json& verborgen = member(s, "verborgen");
  if (!verborgen.is_array()) return hidden;
  for (const Json& text : verborgen) {
    if (text.is_string()) hidden.insert(text.get<std::string>());
  }
  return hidden;
}

Json messages(const Json& s, const Json& info, double nu) {
  Json result = Json::array();
  const Json& berichten = member(info, "berichten");
  if (!berichten.is_array()) return result;
  const std::set<std::string> hidden = hidden_texts(s);
  for (const Json& entry : berichten) {
    if (result.size() == kMaxMessages) break;
    if (!entry.is_object() || !member(entry, "message").is_string()) continue;
    std::string message =
        first_code_points(member(entry, "message").get<std::string>(), kMessageLength);
    if (hidden.contains(message)) continue;
    if (const Json& expires = member(entry, "expires"); !is_empty(expires)) {
      const auto expiry = start_of_day(expires);
      if (!expiry || nu >= *expiry) continue;
    }
    const auto url = veilige_link(member(entry, "url"));
    result.push_back(
        Json{{"message", std::move(message)}, {"url", url ? Json(*url) : Json(nullptr)}});
  }
  return result;
}

Json text_or_null(const Json& value, std::size_t length) {
  if (is_empty(value)) return nullptr;
  return first_code_points(text_of(value), length);
}

}  // namespace

Json bouw_status(const Json& s, double nu, bool store, const Json& ocr) {
  const Json& stored = member(s, "info");
  const Json info = stored.is_object() ? stored : Json::object();
  const Json& version = member(info, "version");
  const auto download = veilige_link(member(info, "download_url"));
  const auto reason = blocking_reason(s, info, nu, store);

  Json status{
      {"versie", APP_VERSION},
      {"laatste", is_empty(version) ? Json(nullptr) : Json(text_of(version))},
      {"nieuwer", !store && !is_empty(version) && lower_than_app(version)},
      {"notitie", store ? Json(nullptr) : text_or_null(member(info, "notes"), kNoteLength)},
      {"download", store ? std::string(STORE_URL) : download.value_or(std::string(DOWNLOAD_URL))},
      {"store", store},
      {"blokkeer", reason ? Json(*reason) : Json(nullptr)},
      {"berichten", messages(s, info, nu)},
  };
  for (const auto& [key, value] : ocr.items()) status[key] = value;
  return status;
}

Json ocr_info() {
  try {
    return ocr_service::info();
  } catch (const std::exception&) {
    return Json{{"ocr", false}, {"taal", nullptr}};
  }
}

Json huidige_status(const Config& config) {
  const Json s = lees_status(config.STATUS);
  return bouw_status(s, epoch_seconds_now(), config.STORE, ocr_info());
}

void verberg_bericht(const Config& config, std::string_view tekst) {
  wijzig_status(config.STATUS, [&](Json& s) {
    std::set<std::string> hidden = hidden_texts(s);
    hidden.insert(first_code_points(tekst, kMessageLength));
    // A set is sorted by bytes, which for UTF-8 is the order of code points.
    std::vector<std::string> kept(hidden.begin(), hidden.end());
    if (kept.size() > kMaxHidden) kept.erase(kept.begin(), kept.end() - kMaxHidden);
    s["verborgen"] = kept;
  });
}

std::string status_script(const Json& status) {
  return "window.ANON_STATUS = " + write_json(status) + ";\n";
}

}  // namespace verhulzen
