#include "win_cmdline.h"

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
      {{"C:\\Program Files\\x.exe"}, "\"C:\\Program Files\\x.exe\""},
      {{"tab\there"}, "\"tab\there\""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a \"\" b"},
      {{"say\"hi\""}, "say\\\"hi\\\""},
      {{"back\\\\\"q"}, "back\\\\\\\\\\\"q"},
      {{"C:\\dir\\"}, "C:\\dir\\"},
      {{"C:\\my dir\\"}, "\"C:\\my dir\\\\\""},
      {{"a\\b c"}, "\"a\\b c\""},
  };
  for (const auto& c : cases) EXPECT_EQ(windows_command_line(c.argv), c.line) << c.line;
}

TEST(WindowsCommandLine, ProfileUnderAUserNameWithABlankIsOneArgument) {
  std::string line =
      windows_command_line({"C:\\msedge.exe", "--app=http://127.0.0.1:5000/",
                            "--user-data-dir=C:\\Users\\Jan de Vries\\profielen\\sessie-7"});
  EXPECT_EQ(line,
            "C:\\msedge.exe --app=http://127.0.0.1:5000/ "
            "\"--user-data-dir=C:\\Users\\Jan de Vries\\profielen\\sessie-7\"");
}

}  // namespace
}  // namespace verhulzen
