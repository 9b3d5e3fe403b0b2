#include "text/win_cmdline.h"

#include <gtest/gtest.h>

namespace verhulzen {
namespace {

struct Case {
  std::vector<std::string> argv;
  std::string line;
};

TEST(WindowsCommandLine, QuotesAsTheWindowsParserExpects) {
  const Case cases[] = {
      {{"a", "b"}, "a b"},
      {{R"(C:\Program Files\x.exe)"}, R"("C:\Program Files\x.exe")"},
      {{"tab\there"}, "\"tab\there\""},
      {{""}, R"("")"},
      {{"a", "", "b"}, R"(a "" b)"},
      {{R"(say"hi")"}, R"(say\"hi\")"},
      {{R"(back\\"q)"}, R"(back\\\\\"q)"},
      {{R"(C:\dir\)"}, R"(C:\dir\)"},
      {{R"(C:\my dir\)"}, R"("C:\my dir\\")"},
      {{R"(a\b c)"}, R"("a\b c")"},
  };
  for (const auto& c : cases) EXPECT_EQ(windows_command_line(c.argv), c.line) << c.line;
}

TEST(WindowsCommandLine, ProfileUnderAUserNameWithABlankIsOneArgument) {
  std::string line =
      windows_command_line({R"(C:\msedge.exe)", "--app=http://127.0.0.1:5000/",
                            R"(--user-data-dir=C:\Users\Jan de Vries\profielen\sessie-7)"});
  EXPECT_EQ(line, R"(C:\msedge.exe --app=http://127.0.0.1:5000/ )"
                  R"("--user-data-dir=C:\Users\Jan de Vries\profielen\sessie-7")");
}

}  // namespace
}  // namespace verhulzen
