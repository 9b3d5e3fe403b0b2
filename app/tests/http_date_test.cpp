#include "text/http_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace verhulzen {
namespace {

constexpr double kInstant = 1796768100;  // Tue, 08 Dec 2026 22:15:00 GMT

struct DateCase {
  const char* text;
  std::optional<double> instant;  // nullopt: no date
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.text; }

class MailDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(MailDates, ParseToTheInstantTheyName) {
  const DateCase& c = GetParam();
  const auto date = parse_mail_date(c.text);
  ASSERT_EQ(date.has_value(), c.instant.has_value()) << c.text;
  if (date) {
    EXPECT_EQ(date->epoch_seconds(), *c.instant) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MailDates,
    ::testing::Values(DateCase{"Tue, 08 Dec 2026 22:15:00 GMT", kInstant},
                      DateCase{"Tuesday, 08-Dec-26 22:15:00 GMT", kInstant},
                      DateCase{"08 Dec 2026 22:15:00 +0000", kInstant},
                      DateCase{"Dec 08 2026 22:15:00 UT", kInstant},
                      DateCase{"tue, 8 december 2026 22:15 z", kInstant},
                      DateCase{"Wed, 09 Dec 2026 00:15:00 +0200", kInstant},
                      DateCase{"Tue, 08 Dec 2026 17:15:00 EST", kInstant},
                      DateCase{"Tue, 08 Dec 2026 15:15:00 PDT", kInstant},
                      DateCase{"Tue, 08 Dec 2026 18:15:00 AST", kInstant},
                      DateCase{"Tue, 08 Dec 2026 21:45:00 -0030", kInstant},
                      DateCase{"Tue, 08 Dec 2026 21:15:00-0100", kInstant},
                      DateCase{"Wed, 08 Dec 99 22:15:00 GMT", 944691300},
                      DateCase{"Thu, 08 Dec 68 22:15:00 GMT", 3122230500},
                      DateCase{"gisteren", std::nullopt}, DateCase{"", std::nullopt},
                      DateCase{"Tue, 08 Dec 2026", std::nullopt},
                      DateCase{"Tue, 31 Feb 2026 10:00:00 GMT", std::nullopt},
                      DateCase{"Tue, 08 Dec 2026 24:00:00 GMT", std::nullopt},
                      DateCase{"Tue, 08 Foo 2026 22:15:00 GMT", std::nullopt},
                      DateCase{"Tue, 08 Dec 2026 22:15:00 +2400", std::nullopt}));

// Dates without a zone, with an unknown zone or with -0000 are local time.
TEST(MailDates, WithoutKnownZoneAreLocalTime) {
  // Each test runs in a process of its own, before any other thread exists.
#ifdef _WIN32
  // The C library of Windows knows no zone names; in December the rule is the same.
  ASSERT_EQ(_putenv_s("TZ", "CET-1CEST"), 0);
  _tzset();
#else
  ASSERT_EQ(setenv("TZ", "Europe/Amsterdam", 1), 0);  // NOLINT(concurrency-mt-unsafe)
  tzset();
#endif
  for (const char* text : {"Tue Dec  8 23:15:00 2026", "Tue, 08 Dec 2026 23:15:00 -0000",
                           "Tue, 08 Dec 2026 23:15:00 CET"}) {
    const auto date = parse_mail_date(text);
    ASSERT_TRUE(date) << text;
    EXPECT_FALSE(date->offset) << text;
    EXPECT_EQ(date->epoch_seconds(), kInstant) << text;
  }
}

TEST(HttpDates, AreWrittenInTheFixedFormInGmt) {
  EXPECT_EQ(format_http_date(kInstant + 0.9), "Tue, 08 Dec 2026 22:15:00 GMT");
  EXPECT_EQ(format_http_date(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(format_http_date(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
}

}  // namespace
}  // namespace verhulzen
