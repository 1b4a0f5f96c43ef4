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
    SetGaugeProgress(Gauge(), 0);
    SetLabelText(Percentage(), kCompletedText);  // as the previous run left it
    EXPECT_EQ(ApplyConnectionProfile(c.profile, Gauge(), Percentage()), 0);
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
    EXPECT_EQ(Percentage().Text(), kCompletedText);
    EXPECT_EQ(Gauge().Progress(), 100);
    EXPECT_EQ(seam.seeds, c.profile);  // reseeded once per run
  }
}

TEST_F(OptimizationRun, LastsBetweenTheClosingPausesAndOneFullPausePerStep) {
  seam.randomValue = 0;
  ApplyConnectionProfile(2, Gauge(), Percentage());
  EXPECT_EQ(TotalPause(), 600);
  seam.pauses.clear();
  seam.randomValue = 1000;  // the draw is below 300 whatever the generator gives
  ApplyConnectionProfile(2, Gauge(), Percentage());
  EXPECT_EQ(TotalPause(), 600 + 18 * 299);
  EXPECT_EQ(std::vector<DWORD>(seam.pauses.end() - 3, seam.pauses.end()),
            (std::vector<DWORD>{300, 200, 100}));
}

TEST_F(OptimizationRun, UnknownProfileOnlyCloses) {
  EXPECT_EQ(ApplyConnectionProfile(7, Gauge(), Percentage()), 0);
  EXPECT_EQ(percentages, Closing(kApplyingText));
  EXPECT_TRUE(test::SnapshotValues(HKEY_LOCAL_MACHINE).empty());
}

TEST_F(OptimizationRun, RefusedWritesAreCountedAndTheRunGoesOn) {
  test::RegistryFaults faults;
  faults.refuseWriteOf = "*";
  EXPECT_EQ(ApplyConnectionProfile(1, Gauge(), Percentage()), 3);
  EXPECT_EQ(percentages.back(), kCompletedText);
  faults.refuseWriteOf.clear();
  faults.refuseCreateOf = "Services";
  EXPECT_EQ(ApplyConnectionProfile(3, Gauge(), Percentage()), 15);
}

}  // namespace
}  // namespace velotune
