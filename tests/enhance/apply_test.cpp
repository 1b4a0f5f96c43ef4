#include "enhance/apply.h"

#include <gtest/gtest.h>

#include "enhance/catalogue.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using ApplyingEnhancements = test::RunTest;

TEST_F(ApplyingEnhancements, PercentagesAndDetailsRowByRow) {
  EnhancementTicks ticks{};
  report.SetProgress(0);
  ApplyEnhancements(report, ticks);
  // Pause i comes after the percentage for row i and before its detail text.
  std::vector<std::string> expected = Texts({0, 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99});
  for (auto& t : Closing(kFinishingText)) expected.push_back(t);
  EXPECT_EQ(percentages, expected);
  ASSERT_EQ(details.size(), 15u);
  for (size_t row = 1; row < 11; ++row) EXPECT_EQ(details[row], kEnhancements[row - 1].detail);
  for (size_t i = 11; i < 15; ++i)
    EXPECT_EQ(details[i], "Disable Internet Explorer Download Notification");  // stays to the end
  EXPECT_EQ(report.Progress(), 100);
  EXPECT_EQ(seam.seeds, 1);
}

TEST_F(ApplyingEnhancements, WritesEveryRowForItsTickTwiceTheSame) {
  EnhancementTicks ticks{};
  for (size_t i = 0; i < ticks.size(); ++i) ticks[i] = i % 2 == 0;
  ApplyEnhancements(report, ticks);
  const auto once = test::SnapshotValues(HKEY_CURRENT_USER);
  ApplyEnhancements(report, ticks);
  EXPECT_EQ(test::SnapshotValues(HKEY_CURRENT_USER), once);
  const std::string identity = ReadIdentity();
  for (size_t i = 0; i < ticks.size(); ++i)
    EXPECT_EQ(ReadEnhancementState(kEnhancements[i], identity), ticks[i]) << kEnhancements[i].box;
}

// What the registry holds afterwards decides, not what a write answered:
// rewriting a machine-wide value that is already right takes nothing away.
TEST_F(ApplyingEnhancements, HeldWhenTheRegistryHoldsWhatWasAskedFor) {
  EnhancementTicks none{}, asked{}, row1Other{}, row5On{};
  for (size_t i = 0; i < asked.size(); ++i) asked[i] = i % 3 == 0;
  row1Other = asked;
  row1Other[0] = !asked[0];
  row5On[4] = true;
  const struct {
    const char* what;
    EnhancementTicks before, asked;  // `before` applied first, every write allowed
    std::string refuseWriteOf, refuseCreateOf;
    bool held;
  } cases[] = {
      {"every write allowed", none, asked, "", "", true},
      {"row 1 refused but already right", asked, asked, "Hide Messenger", "", true},
      {"row 1 refused and different", row1Other, asked, "Hide Messenger", "", false},
      {"the Outlook Express keys refused", none, asked, "", "Outlook Express", false},
      {"one of the pair refused", none, row5On, "MaxConnectionsPer1_0Server", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::RegistrySandbox fresh;
    ApplyEnhancements(report, c.before);
    test::RegistryFaults faults;
    faults.refuseWriteOf = c.refuseWriteOf;
    faults.refuseCreateOf = c.refuseCreateOf;
    ApplyEnhancements(report, c.asked);
    EXPECT_EQ(report.status, kCompletedText);
    EXPECT_EQ(EnhancementsHeld(c.asked), c.held);
  }
}

TEST_F(ApplyingEnhancements, TheCheckOpensForReadingOnly) {
  EnhancementTicks ticks{};
  ApplyEnhancements(report, ticks);
  test::RegistryFaults faults;
  faults.refuseCreateOf = "Software";  // any open for writing would be refused and counted
  EXPECT_TRUE(EnhancementsHeld(ticks));
  EXPECT_EQ(faults.refusedCreates, 0);
}

}  // namespace
}  // namespace velotune
