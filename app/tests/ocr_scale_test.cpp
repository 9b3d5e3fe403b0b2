#include <gtest/gtest.h>

#include "ocr/ocr_service.h"

namespace verhulzen::ocr_service {
namespace {

TEST(OcrScale, ShrinksOnlyPastTheEnginesMaximum) {
  EXPECT_EQ(schaal({10000, 300}, 10000), 1.0);
  EXPECT_EQ(schaal({300, 10000}, 10000), 1.0);
  EXPECT_EQ(schaal({20000, 500}, 10000), 0.5);
  EXPECT_EQ(schaal({1, 1}, 10000), 1.0);
}

TEST(OcrScale, BoxesReturnToThePostedGridWithHalvesToEven) {
  const std::pair<double, std::int64_t> half_size[] = {
      {50.25, 100}, {50.75, 102}, {1.25, 2}, {1.75, 4}, {0, 0}};
  for (const auto& [scaled, expected] : half_size) {
    EXPECT_EQ(terug_geschaald(scaled, 0.5), expected) << scaled;
  }
  EXPECT_EQ(terug_geschaald(2.5, 1.0), 2);
  EXPECT_EQ(terug_geschaald(3.5, 1.0), 4);
}

}  // namespace
}  // namespace verhulzen::ocr_service
