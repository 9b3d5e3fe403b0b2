#include "update/versie.h"

#include <gtest/gtest.h>

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

TEST(Versions, CompareAsTuplesOfIntegersOfAnySize) {
  EXPECT_LT(versie("1.3"), versie("1.3.0"));
  EXPECT_GT(versie("1.10"), versie("1.9.9"));
  EXPECT_LT(versie("geen"), versie("0"));
  EXPECT_EQ(versie("1.3.0.7"), versie("1.3.0"));
  EXPECT_LT(versie("9.1"), versie("10.0"));
  EXPECT_LT(versie("99999999999999999999"), versie("100000000000000000000"));
}

TEST(SafeLinks, OnlyHttpsOnTheMakersDomainInLowerCase) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"https://drovel.nl", true},
      {"https://drovel.nl/", true},
      {"https://drovel.nl/verhulzen_ai#download", true},
      {"https://www.drovel.nl/x?y=1", true},
      {"https://a-1.b.drovel.nl", true},
      {"http://drovel.nl/", false},
      {"HTTPS://drovel.nl/", false},
      {"https://Drovel.nl/", false},
      {"https://drovel.nl:443/", false},
      {"https://drovel.nl?x", false},
      {"https://drovel.nl.evil.com/", false},
      {"https://xdrovel.nl/", false},
      {"https://.drovel.nl/", false},
      {"https://user@drovel.nl/", false},
      {"https://www_x.drovel.nl/", false},
      {"javascript:alert(1)//https://drovel.nl", false},
      {"https://drovel.nl/a\nb", false},
      {"https://drovel.nl/a b", false},
      {"", false},
  };
  for (const auto& [link, safe] : cases) {
    EXPECT_EQ(veilige_link(link), safe ? std::optional<std::string>(link) : std::nullopt) << link;
  }
  EXPECT_EQ(veilige_link(nullptr), std::nullopt);
  EXPECT_EQ(veilige_link(42), std::nullopt);
}

}  // namespace
}  // namespace verhulzen
