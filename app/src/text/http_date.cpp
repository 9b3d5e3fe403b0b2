#include "text/http_date.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "text/ascii_text.h"

namespace verhulzen {

namespace {

namespace chr = std::chrono;

constexpr std::array<std::string_view, 7> kDays{"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
constexpr std::array<std::string_view, 7> kFullDays{"monday", "tuesday",  "wednesday", "thursday",
                                                    "friday", "saturday", "sunday"};
constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                   "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<std::string_view, 12> kFullMonths{
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

struct NamedZone {
  std::string_view name;
  int hours;
};
constexpr std::array<NamedZone, 14> kZones{{{"UT", 0},
                                            {"UTC", 0},
                                            {"GMT", 0},
                                            {"Z", 0},
                                            {"AST", -4},
                                            {"ADT", -3},
                                            {"EST", -5},
                                            {"EDT", -4},
                                            {"CST", -6},
                                            {"CDT", -5},
                                            {"MST", -7},
                                            {"MDT", -6},
                                            {"PST", -8},
                                            {"PDT", -7}}};

std::optional<int> number(std::string_view s, std::size_t max_digits) {
  if (!all_digits(s) || s.size() > max_digits) return std::nullopt;
  int value = 0;
  for (const char c : s) value = value * 10 + (c - '0');
  return value;
}

template <std::size_t N>
std::optional<unsigned> index_in(const std::array<std::string_view, N>& names, std::string_view s) {
  const auto found = std::find(names.begin(), names.end(), s);
  if (found == names.end()) return std::nullopt;
  return static_cast<unsigned>(found - names.begin());
}

std::optional<unsigned> month_number(std::string_view token) {
  const std::string name = ascii_lower(token);
  if (auto i = index_in(kMonths, name)) return *i + 1;
  if (auto i = index_in(kFullMonths, name)) return *i + 1;
  return std::nullopt;
}

bool is_weekday(std::string_view token) {
  const std::string name = ascii_lower(token);
  return index_in(kDays, name) || index_in(kFullDays, name);
}

// Whitespace and commas separate; "08-Dec-26" of the RFC 850 form is three tokens.
std::vector<std::string_view> tokens_of(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (is_blank(text[i]) || text[i] == ',')) ++i;
    const std::size_t start = i;
    while (i < text.size() && !is_blank(text[i]) && text[i] != ',') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  if (!tokens.empty() && is_weekday(tokens.front())) tokens.erase(tokens.begin());
  if (!tokens.empty() && std::count(tokens.front().begin(), tokens.front().end(), '-') == 2) {
    const std::string_view joined = tokens.front();
    const std::size_t a = joined.find('-');
    const std::size_t b = joined.find('-', a + 1);
    tokens.erase(tokens.begin());
    tokens.insert(tokens.begin(),
                  {joined.substr(0, a), joined.substr(a + 1, b - a - 1), joined.substr(b + 1)});
  }
  return tokens;
}

struct Time {
  int hour;
  int minute;
  int second;
};

std::optional<Time> time_of(std::string_view token) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t colon; (colon = token.find(':', start)) != std::string_view::npos;
       start = colon + 1) {
    parts.push_back(token.substr(start, colon - start));
  }
  parts.push_back(token.substr(start));
  if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
  const auto h = number(parts[0], 2);
  const auto m = number(parts[1], 2);
  const auto s = parts.size() == 3 ? number(parts[2], 2) : std::optional<int>(0);
  if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
  return Time{*h, *m, *s};
}

// nullopt inside: local time. Outer nullopt: a numeric offset that cannot be.
std::optional<std::optional<std::int64_t>> zone_of(std::string_view token) {
  std::string name(token);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (const auto& zone : kZones) {
    if (zone.name == name) return std::optional<std::int64_t>(zone.hours * 3600);
  }
  if (name.size() == 5 && (name[0] == '+' || name[0] == '-') && all_digits(name.substr(1))) {
    const int hh = *number(name.substr(1, 2), 2);
    const int mm = *number(name.substr(3, 2), 2);
    if (hh > 23 || mm > 59) return std::nullopt;
    if (name == "-0000") return std::optional<std::int64_t>();
    const std::int64_t offset = hh * 3600 + mm * 60;
    return std::optional<std::int64_t>(name[0] == '-' ? -offset : offset);
  }
  return std::optional<std::int64_t>();
}

}  // namespace

std::optional<MailDate> parse_mail_date(std::string_view text) {
  std::vector<std::string_view> t = tokens_of(text);
  if (t.size() < 4) return std::nullopt;

  // Day and month in either order, then year and time in either order.
  if (!month_number(t[1]) && month_number(t[0])) std::swap(t[0], t[1]);
  if (t[2].find(':') != std::string_view::npos) std::swap(t[2], t[3]);
  // A zone written against the time, as in 22:15:00+0100.
  if (t.size() == 4) {
    const std::size_t sign = t[3].find_first_of("+-", 1);
    if (sign != std::string_view::npos) {
      t.push_back(t[3].substr(sign));
      t[3] = t[3].substr(0, sign);
    }
  }

  const auto month = month_number(t[1]);
  const auto day = number(t[0], 2);
  auto year = number(t[2], 4);
  const auto time = time_of(t[3]);
  if (!month || !day || !year || !time) return std::nullopt;
  if (t[2].size() == 2) *year += *year >= 69 ? 1900 : 2000;
  if (t[2].size() == 3) *year += 1900;

  MailDate date{.year = *year,
                .month = *month,
                .day = static_cast<unsigned>(*day),
                .hour = time->hour,
                .minute = time->minute,
                .second = time->second,
                .offset = std::nullopt};
  if (!chr::year_month_day(chr::year(date.year), chr::month(date.month), chr::day(date.day)).ok()) {
    return std::nullopt;
  }
  if (t.size() > 4) {
    const auto zone = zone_of(t[4]);
    if (!zone) return std::nullopt;
    date.offset = *zone;
  }
  return date;
}

double MailDate::epoch_seconds() const {
  if (!offset) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = static_cast<int>(month) - 1;
    local.tm_mday = static_cast<int>(day);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<double>(std::mktime(&local));
  }
  return static_cast<double>(fields_as_utc() - *offset);
}

std::int64_t MailDate::fields_as_utc() const {
  const chr::sys_days days{chr::year(year) / chr::month(month) / chr::day(day)};
  const auto instant = days + chr::hours(hour) + chr::minutes(minute) + chr::seconds(second);
  return instant.time_since_epoch().count();
}

double epoch_seconds_now() {
  return chr::duration<double>(chr::system_clock::now().time_since_epoch()).count();
}

std::string format_http_date(double epoch_seconds) {
  static constexpr std::array<const char*, 7> kDayNames{"Sun", "Mon", "Tue", "Wed",
                                                        "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonthNames{
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const chr::sys_seconds instant{
      chr::seconds(static_cast<std::int64_t>(std::floor(epoch_seconds)))};
  const auto days = chr::floor<chr::days>(instant);
  const chr::year_month_day date{days};
  const chr::hh_mm_ss time{instant - days};
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT",
                kDayNames[chr::weekday(days).c_encoding()], static_cast<unsigned>(date.day()),
                kMonthNames[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

}  // namespace verhulzen
