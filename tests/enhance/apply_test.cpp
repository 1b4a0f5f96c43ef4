#include "enhance/apply.h"

#include <gtest/gtest.h>

#include "enhance/catalogue.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using ApplyingEnhancements = test::RunTest;

TEST_F(ApplyingEnhancements, PercentagesAndDetailsRowByRow) {
  EnhancementTicks ticks{};
  SetGaugeProgress(Gauge(), 0);
  EXPECT_EQ(ApplyEnhancements(Gauge(), Percentage(), Detail(), ticks), 0);
  // Pause i comes after the percentage for row i and before its detail text.
  std::vector<std::string> expected = Texts({0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99});
  for (auto& t : Closing(kFinishingText)) expected.push_back(t);
  EXPECT_EQ(percentages, expected);
  ASSERT_EQ(details.size(), 15u);
  for (size_t row = 1; row < 11; ++row) EXPECT_EQ(details[row], kEnhancements[row - 1].detail);
  for (size_t i = 11; i < 15; ++i)
    EXPECT_EQ(details[i], "Disable Internet Explorer Download Notification");  // stays to the end
  EXPECT_EQ(Gauge().Progress(), 100);
  EXPECT_EQ(seam.seeds, 1);
}

TEST_F(ApplyingEnhancements, WritesEveryRowForItsTickTwiceTheSame) {
  EnhancementTicks ticks{};
  for (size_t i = 0; i < ticks.size(); ++i) ticks[i] = i % 2 == 0;
  ApplyEnhancements(Gauge(), Percentage(), Detail(), ticks);
  const auto once = test::SnapshotValues(HKEY_CURRENT_USER);
  ApplyEnhancements(Gauge(), Percentage(), Detail(), ticks);
  EXPECT_EQ(test::SnapshotValues(HKEY_CURRENT_USER), once);
  const std::string identity = ReadIdentity();
  for (size_t i = 0; i < ticks.size(); ++i)
    EXPECT_EQ(ReadEnhancementState(kEnhancements[i], identity), ticks[i]) << kEnhancements[i].box;
}

TEST_F(ApplyingEnhancements, RefusedWritesAreCounted) {
  test::RegistryFaults faults;
  faults.refuseCreateOf = "Outlook Express";  // rows 1 to 3 cannot open their keys
  EnhancementTicks ticks{};
  ticks.fill(true);
  EXPECT_EQ(ApplyEnhancements(Gauge(), Percentage(), Detail(), ticks), 3);
  EXPECT_EQ(Gauge().Progress(), 100);
}

}  // namespace
}  // namespace velotune
