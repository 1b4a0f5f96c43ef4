#include "netopt/optimization_run.h"

#include <gtest/gtest.h>

#include "netopt/profiles.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using OptimizationRun = test::RunTest;

TEST_F(OptimizationRun, PercentagesBeforeEachStepThenTheClosingSequence) {
  const struct {
    int profile;
    std::vector<int> shown;
  } cases[] = {
      {1, {0, 20, 40, 60, 80}},
      {2, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85}},
      {3, {0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84}},
      {4, {0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    percentages.clear();
    seam.pauses.clear();
    report.SetProgress(0);
    report.ShowStatus(kCompletedText);  // as the previous run left it
    ApplyConnectionProfile(c.profile, report);
    EXPECT_TRUE(ProfileHeld(c.profile));
    // At each step's pause the label still shows the step before.
    std::vector<std::string> expected = {kCompletedText};
    auto texts = Texts(c.shown);
    expected.insert(expected.end(), texts.begin(), texts.end() - 1);
    expected.push_back(texts.back());
    auto closing = Closing(kApplyingText);
    std::vector<std::string> seen(percentages.begin(), percentages.end());
    ASSERT_EQ(seen.size(), c.shown.size() + 3);
    for (size_t i = 0; i < c.shown.size(); ++i) EXPECT_EQ(seen[i], expected[i]) << i;
    EXPECT_EQ(std::vector<std::string>(seen.end() - 3, seen.end()), closing);
    EXPECT_EQ(report.status, kCompletedText);
    EXPECT_EQ(report.Progress(), 100);
    EXPECT_EQ(seam.seeds, c.profile);  // reseeded once per run
  }
}

TEST_F(OptimizationRun, LastsBetweenTheClosingPausesAndOneFullPausePerStep) {
  seam.randomValue = 0;
  ApplyConnectionProfile(2, report);
  EXPECT_EQ(TotalPause(), 600);
  seam.pauses.clear();
  seam.randomValue = 1000;  // the draw is below 300 whatever the generator gives
  ApplyConnectionProfile(2, report);
  EXPECT_EQ(TotalPause(), 600 + 18 * 299);
  EXPECT_EQ(std::vector<DWORD>(seam.pauses.end() - 3, seam.pauses.end()),
            (std::vector<DWORD>{300, 200, 100}));
}

TEST_F(OptimizationRun, UnknownProfileOnlyCloses) {
  ApplyConnectionProfile(7, report);
  EXPECT_EQ(percentages, Closing(kApplyingText));
  EXPECT_TRUE(test::SnapshotValues(HKEY_LOCAL_MACHINE).empty());
}

TEST_F(OptimizationRun, HeldOnlyWhenTheRegistryHoldsEveryValue) {
  const struct {
    const char* what;
    int before;  // applied first with every write allowed; 0 for none
    int profile;
    std::string refuseWriteOf, refuseCreateOf;
    bool held;
  } cases[] = {
      {"every write allowed", 0, 3, "", "", true},
      {"every write refused", 0, 1, "*", "", false},
      {"the keys refused", 0, 3, "", "Services", false},
      {"refused, but an earlier run wrote the same", 3, 3, "*", "", true},
      {"refused after another profile", 4, 3, "*", "", false},
      {"one value refused", 0, 2, "MTU", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::RegistrySandbox fresh;
    if (c.before) ApplyConnectionProfile(c.before, report);
    test::RegistryFaults faults;
    faults.refuseWriteOf = c.refuseWriteOf;
    faults.refuseCreateOf = c.refuseCreateOf;
    ApplyConnectionProfile(c.profile, report);
    EXPECT_EQ(report.status, kCompletedText);  // the run goes on to its end
    EXPECT_EQ(ProfileHeld(c.profile), c.held);
  }
}

}  // namespace
}  // namespace velotune
