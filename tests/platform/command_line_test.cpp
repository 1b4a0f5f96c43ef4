#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace velotune {
namespace {

struct ArgumentCase {
  const char* line;
  int n;
  const char* expected;
};

class CommandLineTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(CommandLineTest, SplitsAsTheShellPassesThem) {
  const auto& c = GetParam();
  EXPECT_EQ(CommandLineArgumentOf(c.line, c.n), c.expected) << "line: " << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    testing::Values(
        ArgumentCase{"velotune.exe", 0, "velotune.exe"}, ArgumentCase{"velotune.exe", 1, ""},
        ArgumentCase{"velotune.exe -s", 1, "-s"},
        ArgumentCase{"\"C:\\Program Files\\Velotune\\velotune.exe\" -s", 1, "-s"},
        ArgumentCase{"\"C:\\Program Files\\Velotune\\velotune.exe\" -s", 0,
                     "C:\\Program Files\\Velotune\\velotune.exe"},
        ArgumentCase{"app \"-s\"", 1, "-s"}, ArgumentCase{"app \"two words\" next", 1, "two words"},
        ArgumentCase{"app \"two words\" next", 2, "next"},
        // Quotes standing inside an argument stay.
        ArgumentCase{"app a\"b c\"d", 1, "a\"b c\"d"}, ArgumentCase{"app \"ab\"cd", 1, "\"ab\"cd"},
        // An empty quoted pair is skipped like a blank and not counted.
        ArgumentCase{"app \"\" -s", 1, "-s"}, ArgumentCase{"app \"\"", 1, ""},
        ArgumentCase{"app \"\" \"\" x", 1, "x"},
        // A lone quote runs to the end of the line.
        ArgumentCase{"app \"open end", 1, "\"open end"}, ArgumentCase{"app \"", 1, "\""},
        // Tabs and control characters are blanks; bytes above 127 are not.
        ArgumentCase{"app\t-s\t\x01x", 2, "x"}, ArgumentCase{"app \xe9t\xe9", 1, "\xe9t\xe9"},
        ArgumentCase{"  app   -s  ", 1, "-s"}, ArgumentCase{"app -s", 5, ""},
        ArgumentCase{"", 0, ""}, ArgumentCase{"   ", 0, ""}));

TEST(CommandLineLong, HandlesLinesOfAnyLength) {
  std::string longArg(100000, 'a');
  std::string line = "app " + longArg + " \"" + std::string(70000, ' ') + "\" end";
  EXPECT_EQ(CommandLineArgumentOf(line, 1), longArg);
  EXPECT_EQ(CommandLineArgumentOf(line, 2), std::string(70000, ' '));
  EXPECT_EQ(CommandLineArgumentOf(line, 3), "end");
}

}  // namespace
}  // namespace velotune
