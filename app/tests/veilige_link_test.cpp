#include "update/veilige_link.h"

#include <gtest/gtest.h>

namespace verhulzen {
namespace {

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
