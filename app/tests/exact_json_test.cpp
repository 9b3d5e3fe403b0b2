#include "json/exact_json.h"

#include <gtest/gtest.h>

namespace verhulzen {
namespace {

// Documents in the writer's own layout come back byte for byte.
TEST(ExactJson, KeepsEveryNumberAndEscapeAsReceived) {
  for (
      const std::string text : {
          R"({"groot": 123456789012345678901234567890, "min": -123456789012345678901234567890})",
          R"({"ver": 1e400, "fijn": 0.1000000000000000000001, "klein": 5e-400})",
          R"({"nul": -0, "E": 1E2, "plus": 1e+2, "nullen": 1.50, "gewoon": [1, 2.5, -3]})",
          R"({"grens": [9223372036854775807, 18446744073709551615, 18446744073709551616]})",
          R"({"alleen": "\ud800", "laag": "a\udc00b", "paar": "\ud83d\ude00", "twee": "\udbff\ud800"})",
          R"({"tekst": "\u00eb \"\\\b\f\n\r\t\u0001\u007f", "leeg": {}, "lijst": [true, null]})",
      }) {
    const auto value = read_exact_json(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(write_json(*value), text);
  }
}

TEST(ExactJson, ReadsWhatTheGrammarAllowsAndNothingElse) {
  const auto value =
      read_exact_json(" {\"a\" :\t[ 1 ,\r\n2 ] , \"\xC3\xAB\": \"\xF0\x9F\x98\x80\"} ");
  ASSERT_TRUE(value);
  EXPECT_EQ(write_json(*value), R"({"a": [1, 2], "\u00eb": "\ud83d\ude00"})");
  EXPECT_EQ((*value)["a"][1], 2) << "ordinary numbers stay numbers";

  for (const std::string& text :
       std::vector<std::string>{"",
                                "{",
                                "{\"a\": 1,}",
                                "[1,]",
                                "{\"a\" 1}",
                                "{a: 1}",
                                "01",
                                "1.",
                                ".5",
                                "-",
                                "1e",
                                "+1",
                                R"("\x")",
                                R"("\u12")",
                                R"("\ud800\u12")",
                                "\"tab\there\"",
                                "nul",
                                "true false",
                                "\xEF\xBB\xBF{}",
                                "\"\xC3\x28\"",
                                "'a'",
                                std::string(300, '[') + std::string(300, ']')}) {
    EXPECT_FALSE(read_exact_json(text)) << text;
  }
}

}  // namespace
}  // namespace verhulzen
