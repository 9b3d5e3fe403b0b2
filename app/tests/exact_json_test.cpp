#include "json/exact_json.h"

#include <gtest/gtest.h>

#include <limits>

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

constexpr double kInfinite = std::numeric_limits<double>::infinity();

struct KeptNumber {
  const char* source;  // as the feed or a hand-edited status file writes it
  const char* text;
  std::optional<double> value;
};

// A number kept as it was written is, taken as text, its own shortest text: as
// write_json writes the double or 64-bit integer that holds it, and where none
// does, its digits as written. Never how it is kept.
TEST(ExactJson, NumbersKeptAsWrittenAreTakenAsTheirOwnTextAndValue) {
  const KeptNumber cases[] = {
      {"1.30", "1.3", 1.3},
      {"1E0", "1.0", 1},
      {"1e2", "100.0", 100},
      {"1.7E9", "1700000000.0", 1.7e9},
      {"9e15", "9e+15", 9e15},
      {"0.1000000000000000000001", "0.1", 0.1},
      {"-0", "0", 0},
      {"0e5", "0.0", 0},
      {"1e-999", "0.0", 0},
      {"18446744073709551616", "18446744073709551616", 18446744073709551616.0},
      {"-123456789012345678901234567890", "-123456789012345678901234567890",
       -123456789012345678901234567890.0},
      {"1e999", "1e999", kInfinite},
      {"-1E999", "-1E999", -kInfinite},
      {"1.4", "1.4", 1.4},  // kept as an ordinary number
      {"[1.30, {\"a\": 1E0}]", "[1.3,{\"a\":1.0}]", std::nullopt},
  };
  for (const KeptNumber& c : cases) {
    const auto value = read_exact_json(c.source);
    ASSERT_TRUE(value) << c.source;
    EXPECT_EQ(text_of(*value), c.text) << c.source;
    EXPECT_EQ(number_value(*value), c.value) << c.source;
    EXPECT_EQ(is_empty(*value), c.value == 0.0) << c.source;
    EXPECT_EQ(write_json(*value), c.source) << "stored as written";
  }
  EXPECT_EQ(number_value("1.3"), std::nullopt) << "a text is no number";
}

}  // namespace
}  // namespace verhulzen
