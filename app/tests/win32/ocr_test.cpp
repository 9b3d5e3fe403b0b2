// The Windows Runtime OCR layer. Wine has no Windows.Media.Ocr: there the layer
// must say so through obtain_facilities, and every call must throw, never crash.
#include "platform/ocr.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace verhulzen {
namespace {
namespace ocr = platform::ocr;

TEST(WindowsOcr, MissingFacilitiesAreNamedNotFatal) {
  const auto missing = ocr::obtain_facilities();
  if (!missing) GTEST_SKIP() << "this system has Windows OCR";
  EXPECT_EQ(missing->kind, "Windows Runtime");
  EXPECT_NE(missing->message.find("RoGetActivationFactory Windows."), std::string::npos)
      << missing->message;
  EXPECT_THROW(ocr::Engine::max_image_dimension(), std::runtime_error);
  EXPECT_THROW(ocr::Decoder::create("\x89PNG\r\n\x1a\n"), std::runtime_error);
}

}  // namespace
}  // namespace verhulzen
