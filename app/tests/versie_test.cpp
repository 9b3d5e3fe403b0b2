#include "update/versie.h"

#include <gtest/gtest.h>

#include "json/exact_json.h"

namespace verhulzen {
namespace {

Versie v(std::vector<std::string> delen) { return Versie{std::move(delen)}; }

TEST(Versions, AreTheFirstThreeRunsOfDigits) {
  const std::vector<std::pair<Json, Versie>> cases = {
      {"1.3.0", v({"1", "3", "0"})},
      {"2.10-beta4", v({"2", "10", "4"})},
      {"1.4", v({"1", "4"})},
      {1.4, v({"1", "4"})},
      {"1.03", v({"1", "3"})},
      {"1.3.0.7", v({"1", "3", "0"})},
      {"geen", v({})},
      {nullptr, v({"0"})},
      {"", v({"0"})},
      {0, v({"0"})},
      {false, v({"0"})},
      {"000", v({"0"})},
      {"99999999999999999999999.1", v({"99999999999999999999999", "1"})},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(versie(value), expected) << value;
}

// A feed may write a version as a JSON number; it counts by its own text.
TEST(Versions, OfNumbersAreTakenFromTheNumbersText) {
  const std::vector<std::pair<std::string, Versie>> cases = {
      {"1.30", v({"1", "3"})},
      {"1.03", v({"1", "3"})},
      {"1E0", v({"1", "0"})},
      {"1e2", v({"100", "0"})},
      {"-0", v({"0"})},
      {"123456789012345678901234567890", v({"123456789012345678901234567890"})},
      {"1e999", v({"1", "999"})},
  };
  for (const auto& [source, expected] : cases) {
    EXPECT_EQ(versie(read_exact_json(source).value()), expected) << source;
  }
  EXPECT_LT(versie(read_exact_json("1.30").value()), versie("1.3.0"));
}

TEST(Versions, CompareAsTuplesOfIntegersOfAnySize) {
  EXPECT_LT(versie("1.3"), versie("1.3.0"));
  EXPECT_GT(versie("1.10"), versie("1.9.9"));
  EXPECT_LT(versie("geen"), versie("0"));
  EXPECT_EQ(versie("1.3.0.7"), versie("1.3.0"));
  EXPECT_LT(versie("9.1"), versie("10.0"));
  EXPECT_LT(versie("99999999999999999999"), versie("100000000000000000000"));
}

}  // namespace
}  // namespace verhulzen
