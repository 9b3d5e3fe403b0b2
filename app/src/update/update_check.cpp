#include "update/update_check.h"

#include <optional>
#include <variant>

#include "json/exact_json.h"
#include "text/http_date.h"
#include "update/feed_request.h"
#include "update/status_file.h"

namespace verhulzen {

namespace {

struct FeedDocument {
  Json info;
  double server_ts;
};

// The feed's document and the server's time, or nullopt on any failure.
std::optional<FeedDocument> haal_feed(const Config& config, std::chrono::milliseconds wait) {
  auto outcome = vraag_feed(config.UPDATE_URL, wait);
  auto* answer = std::get_if<FeedAnswer>(&outcome);
  if (!answer || answer->status < 200 || answer->status > 299) return std::nullopt;
  auto info = read_exact_json(answer->body);             // stored exactly as received
  if (!info || !info->is_object()) return std::nullopt;  // "onverwacht antwoord"
  double server_ts = epoch_seconds_now();
  if (answer->date && !answer->date->empty()) {
    const auto date = parse_mail_date(*answer->date);
    if (!date) return std::nullopt;
    server_ts = date->epoch_seconds();
  }
  return FeedDocument{std::move(*info), server_ts};
}

}  // namespace

// The status file is not locked across the request: the outcome is merged into the
// file as it is then, so that a message hidden meanwhile stays hidden.
bool controleer_online(const Config& config, bool forceer, std::chrono::milliseconds wait) {
  const double begin = epoch_seconds_now();
  bool due = forceer;
  wijzig_status(config.STATUS, [&](Json& s) {
    if (!s.contains("eerste_start")) s["eerste_start"] = begin;
    // A hand-edited value that is no number counts as never checked.
    if (begin - status_time(s, "gecontroleerd").value_or(0) >= DAG) due = true;
  });
  if (!due) return true;

  const std::optional<FeedDocument> feed = haal_feed(config, wait);
  wijzig_status(config.STATUS, [&](Json& s) {
    if (!s.contains("eerste_start")) s["eerste_start"] = begin;
    if (!feed) return;
    s["server_ts"] = feed->server_ts;
    s["gecontroleerd"] = epoch_seconds_now();
    s["info"] = feed->info;
  });
  return feed.has_value();
}

}  // namespace verhulzen
