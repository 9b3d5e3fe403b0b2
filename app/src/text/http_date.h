// Dates of HTTP headers: written in the fixed HTTP form, read as Internet message
// dates with the obsolete forms allowed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace verhulzen {

struct MailDate {
  int year = 1970;
  unsigned month = 1;
  unsigned day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  // Seconds east of UTC; nullopt when the date names no zone, an unknown one or
  // -0000, which all mean local time.
  std::optional<std::int64_t> offset;

  // The instant in seconds since the Unix epoch.
  double epoch_seconds() const;
  // The written date and time read as UTC, whatever the zone.
  std::int64_t fields_as_utc() const;
};

// Parses a date such as "Tue, 08 Dec 2026 22:15:00 GMT", "Tuesday, 08-Dec-26 22:15:00
// GMT" or "Tue Dec  8 22:15:00 2026"; nullopt when it is no date or an impossible one.
std::optional<MailDate> parse_mail_date(std::string_view text);

// The current time in seconds since the Unix epoch, with fraction.
double epoch_seconds_now();

// "Tue, 08 Dec 2026 22:15:00 GMT" for the given epoch seconds (fraction dropped).
std::string format_http_date(double epoch_seconds);

}  // namespace verhulzen
