#include "text/utf8.h"

#include <gtest/gtest.h>

namespace verhulzen {
namespace {

TEST(Utf8, StrictValidityRefusesEveryIllFormedSequence) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", true},
      {"kantoor \xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80", true},
      {"\xEF\xBB\xBF"
       "bom",
       true},
      {"\xC3\x28", false},              // second byte no continuation
      {"\xC0\xAF", false},              // overlong "/"
      {"\xE0\x80\xAE", false},          // overlong "."
      {"\xF0\x80\x80\xAF", false},      // overlong in four bytes
      {"\xED\xA0\x80", false},          // encoded surrogate
      {"\xF4\x90\x80\x80", false},      // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", false},  // five-byte form
      {"\xE2\x82", false},              // cut off at the end
      {"\x80", false},                  // lone continuation
  };
  for (const auto& [bytes, valid] : cases) EXPECT_EQ(is_valid_utf8(bytes), valid) << bytes;
}

TEST(Utf8, InvalidSequencesAreReplacedAndEscapesDecoded) {
  const std::vector<std::pair<std::string, std::string>> replaced = {
      {"a\xC0\xAF"
       "b\xC3\xAB",
       "a\xEF\xBF\xBD\xEF\xBF\xBD"
       "b\xC3\xAB"},
      // A cut-off beginning of a sequence is one character, the byte after it is kept.
      {"\xE2\x82", "\xEF\xBF\xBD"},
      {"\xF0\x9F\x98"
       "a",
       "\xEF\xBF\xBD"
       "a"},
      {"\xE2\x82\xC3\xAB", "\xEF\xBF\xBD\xC3\xAB"},
      // A second byte out of its lead's range begins no sequence.
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& [bytes, text] : replaced) EXPECT_EQ(replace_invalid_utf8(bytes), text) << bytes;
  EXPECT_EQ(percent_decode("%2e%2E/%C3%ab%zz%4"), "../\xC3\xAB%zz%4");
}

}  // namespace
}  // namespace verhulzen
