// The way back from the enhancements: whatever the registry held before, two
// runs with other ticks and the restore leave it as it was, the machine-wide
// row and the rows below the Outlook Express identity included.
#include <gtest/gtest.h>

#include <functional>

#include "enhance/apply.h"
#include "enhance/catalogue.h"
#include "platform/original_values.h"
#include "support/hive_state.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using test::PutNumber;
using test::PutRaw;
using test::PutText;
using test::StateOf;

constexpr const char* kMessenger = "SOFTWARE\\Microsoft\\Outlook Express";
constexpr const char* kIdentityOe = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0";
constexpr const char* kIeMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kAutoComplete =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";

const struct {
  const char* what;
  const char* identity;  // "Last User ID"; null for none
  std::function<void()> store;
} kBefore[] = {
    {"values of other types", "{ID}",
     [] {
       PutText(HKEY_LOCAL_MACHINE, kMessenger, "Hide Messenger", "1");
       PutText(HKEY_CURRENT_USER, kIdentityOe, "NoSplash", "yes");
       PutNumber(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", 1);
       const BYTE odd[] = {9, 9};
       PutRaw(HKEY_CURRENT_USER, kIeMain, "NoUpdateCheck", REG_BINARY, odd, sizeof odd);
       PutText(HKEY_CURRENT_USER, kIeMain, "FavIntelliMenus", "YES");
     }},
    {"values absent, one of a pair there", "{ID}",
     [] {
       PutText(HKEY_LOCAL_MACHINE, kMessenger, "InstallRoot", "C:\\OE");
       PutText(HKEY_CURRENT_USER, kIdentityOe, "Other", "x");
       PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 4);
       PutText(HKEY_CURRENT_USER, kIeMain, "Start Page", "about:blank");
     }},
    {"keys absent", "{ID}", [] {}},
    {"keys absent, no identity", nullptr, [] {}},
};

EnhancementTicks Ticks(bool (*tick)(size_t)) {
  EnhancementTicks t{};
  for (size_t i = 0; i < t.size(); ++i) t[i] = tick(i);
  return t;
}

using WayBackFromEnhancements = test::RunTest;

TEST_F(WayBackFromEnhancements, ApplyApplyAgainRestoreLeavesEveryValueAsBefore) {
  const EnhancementTicks runs[][2] = {
      {Ticks([](size_t) { return true; }), Ticks([](size_t) { return false; })},
      {Ticks([](size_t i) { return i % 2 == 0; }), Ticks([](size_t i) { return i % 3 == 0; })},
  };
  for (const auto& before : kBefore) {
    for (const auto& ticks : runs) {
      SCOPED_TRACE(before.what);
      test::RegistrySandbox fresh;
      PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "x", "y");
      PutNumber(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "ie_box1", 1);
      // Every start of the window makes "Identities".
      ReadIdentity();
      if (before.identity)
        PutText(HKEY_CURRENT_USER, "Identities", "Last User ID", before.identity);
      before.store();
      const auto machine = StateOf(HKEY_LOCAL_MACHINE);
      const auto user = StateOf(HKEY_CURRENT_USER);
      ApplyEnhancements(report, ticks[0]);
      ASSERT_TRUE(EnhancementsHeld(ticks[0]));
      ApplyEnhancements(report, ticks[1]);
      ASSERT_TRUE(EnhancementsHeld(ticks[1]));
      const RestoreOutcome outcome = RestoreOriginalSettings(report);
      EXPECT_TRUE(outcome.AllRestored());
      EXPECT_EQ(outcome.restored, 12);  // eleven rows, one of them two values
      test::ExpectSameState(machine, StateOf(HKEY_LOCAL_MACHINE));
      test::ExpectSameState(user, StateOf(HKEY_CURRENT_USER));
      EXPECT_FALSE(AnyOriginalRecorded());
    }
  }
}

// The machine-wide row's note lies machine-wide, the others with the user.
TEST_F(WayBackFromEnhancements, NotesLieWhereTheirValuesLie) {
  PutText(HKEY_CURRENT_USER, "Identities", "Last User ID", "{ID}");
  ApplyEnhancements(report, Ticks([](size_t) { return true; }));
  const std::string values = std::string(kOriginalsPath) + "\\Values\\";
  EXPECT_TRUE(test::ReadRaw(HKEY_LOCAL_MACHINE, values + kMessenger, "Hide Messenger"));
  EXPECT_FALSE(test::ReadRaw(HKEY_CURRENT_USER, values + kMessenger, "Hide Messenger"));
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, values + kIdentityOe, "NoSplash"));
  EXPECT_FALSE(test::ReadRaw(HKEY_LOCAL_MACHINE, values + kIdentityOe, "NoSplash"));
}

// A standard user: the machine-wide note is refused, so that row is not
// written, and the rest are; the restore puts the rest back.
TEST_F(WayBackFromEnhancements, ARefusedMachineWideNoteLeavesThatRowAlone) {
  PutNumber(HKEY_LOCAL_MACHINE, kMessenger, "Hide Messenger", 0);
  PutText(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", "no");
  PutNumber(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "ie_box1", 1);
  ReadIdentity();
  const auto machine = StateOf(HKEY_LOCAL_MACHINE);
  const auto user = StateOf(HKEY_CURRENT_USER);
  const auto ticks = Ticks([](size_t) { return true; });
  {
    test::RegistryFaults faults;
    faults.refuseCreateOf = std::string(kOriginalsPath) + "\\Values\\SOFTWARE";
    EXPECT_EQ(WriteEnhancement(kEnhancements[0], "", true), 1);
    ApplyEnhancements(report, ticks);
  }
  test::ExpectSameState(machine, StateOf(HKEY_LOCAL_MACHINE));
  EXPECT_FALSE(EnhancementsHeld(ticks));
  EXPECT_TRUE(ReadEnhancementState(kEnhancements[3], ""));
  EXPECT_TRUE(RestoreOriginalSettings(report).AllRestored());
  test::ExpectSameState(user, StateOf(HKEY_CURRENT_USER));
}

}  // namespace
}  // namespace velotune
