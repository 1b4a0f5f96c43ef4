#include "platform/startup_trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace velotune {
namespace {

// Timed with real pauses, but only where the gap is wide: a phase's own time
// must leave out the 40 ms and 20 ms spent in a phase inside it.
TEST(StartupTrace, EachPhaseCountsItsOwnTimeAndIsWrittenOnce) {
  test::TempFolder folder;
  const std::string file = folder / "phases.txt";
  ASSERT_TRUE(SetEnvironmentVariableA("VELOTUNE_STARTUP_TRACE", file.c_str()));
  ASSERT_TRUE(trace::Enabled());
  trace::MarkEntry();
  {
    trace::Scope outer(trace::Phase::Controls);
    trace::Scope inner(trace::Phase::Decoding);
    Sleep(40);
  }
  {
    trace::Scope again(trace::Phase::Decoding);
    Sleep(20);
  }
  trace::Report();
  trace::Report();

  std::ifstream in(file);
  std::vector<std::string> names;
  std::map<std::string, double> ms;
  std::string name;
  double value = 0;
  while (in >> name >> value) {
    names.push_back(name);
    ms[name] = value;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"loader", "application", "controls", "resources",
                                             "decoding", "tray", "outline", "registry", "progress",
                                             "show", "other", "total"}));
  EXPECT_GE(ms["decoding"], 59.0);
  EXPECT_LT(ms["controls"], 20.0);
  EXPECT_EQ(ms["tray"], 0.0);
  EXPECT_GE(ms["total"], ms["decoding"] + ms["controls"] + ms["loader"] - 0.1);
}

}  // namespace
}  // namespace velotune
