// The way back from the profiles: whatever the registry held before, a
// profile, another profile over it, and the restore leave it as it was.
#include <gtest/gtest.h>

#include <functional>

#include "netopt/optimization_run.h"
#include "netopt/profiles.h"
#include "platform/original_values.h"
#include "support/hive_state.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using test::PutNumber;
using test::PutRaw;
using test::PutText;
using test::StateOf;

constexpr const char* kServices = "System\\CurrentControlSet\\Services";
constexpr const char* kNetTrans = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kTcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// What the registry holds before Velotune runs. Each has HKLM\SOFTWARE, as
// every Windows has, and something else under Services that must stay.
const struct {
  const char* what;
  std::function<void()> store;
} kBefore[] = {
    {"values of other types",
     [] {
       PutText(HKEY_LOCAL_MACHINE, kMstcp, "Tcp1323Opts", "1");
       PutText(HKEY_LOCAL_MACHINE, kTcpip, "MTU", "1400");
       PutNumber(HKEY_LOCAL_MACHINE, kNetTrans, "MaxMTU", 1500);
       const BYTE odd[] = {1, 2, 3};
       PutRaw(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL", REG_BINARY, odd, sizeof odd);
       const BYTE unterminated[] = {'6', 0, '4', 0};
       PutRaw(HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL", REG_SZ, unterminated, sizeof unterminated);
       const BYTE expand[] = {'%', 0, 'x', 0, '%', 0, 0, 0};
       PutRaw(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize", REG_EXPAND_SZ, expand, sizeof expand);
       const BYTE qword[] = {1, 0, 0, 0, 0, 0, 0, 0};
       PutRaw(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize", REG_QWORD, qword, sizeof qword);
       PutRaw(HKEY_LOCAL_MACHINE, kMstcp, "SackOpts", REG_BINARY, nullptr, 0);
     }},
    {"values absent from keys that are there",
     [] {
       for (const char* key : {kNetTrans, kMstcp, kTcpip})
         PutText(HKEY_LOCAL_MACHINE, key, "Hostname", "pc");
     }},
    {"keys absent",  // an NT system without the 9x keys, and without Tcpip
     [] { PutNumber(HKEY_LOCAL_MACHINE, std::string(kServices) + "\\Other", "Start", 2); }},
    {"the values a profile writes, already there",
     [] {
       PutNumber(HKEY_LOCAL_MACHINE, kTcpip, "MTU", 1500);
       PutText(HKEY_LOCAL_MACHINE, kMstcp, "DefaultRcvWindow", "32767");
       PutNumber(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize", 256960);
     }},
};

// Profile pairs: every value the second writes that the first wrote too is
// written twice, often with other data (MTU 576 then 1500, the windows...).
const std::pair<int, int> kPairs[] = {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {2, 2}};

using WayBackFromProfiles = test::RunTest;

TEST_F(WayBackFromProfiles, ApplyApplyAgainRestoreLeavesEveryValueAsBefore) {
  for (const auto& before : kBefore) {
    for (const auto& [first, second] : kPairs) {
      SCOPED_TRACE(std::string(before.what) + ", profile " + std::to_string(first) + " then " +
                   std::to_string(second));
      test::RegistrySandbox fresh;
      PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "x", "y");
      PutNumber(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "ie_box1", 1);
      before.store();
      const auto machine = StateOf(HKEY_LOCAL_MACHINE);
      const auto user = StateOf(HKEY_CURRENT_USER);
      ApplyConnectionProfile(first, report);
      ASSERT_TRUE(ProfileHeld(first));
      ApplyConnectionProfile(second, report);
      ASSERT_TRUE(ProfileHeld(second));
      EXPECT_TRUE(AnyOriginalRecorded());
      const RestoreOutcome outcome = RestoreOriginalSettings(report);
      EXPECT_FALSE(outcome.nothingRecorded);
      EXPECT_TRUE(outcome.AllRestored());
      test::ExpectSameState(machine, StateOf(HKEY_LOCAL_MACHINE));
      test::ExpectSameState(user, StateOf(HKEY_CURRENT_USER));
      EXPECT_FALSE(AnyOriginalRecorded());
    }
  }
}

// Without a note there is no change: a profile whose notes are refused leaves
// the registry exactly as it was, and does not count as held.
TEST_F(WayBackFromProfiles, ARefusedNoteMeansNoChange) {
  for (const auto& before : kBefore) {
    SCOPED_TRACE(before.what);
    test::RegistrySandbox fresh;
    before.store();
    const auto machine = StateOf(HKEY_LOCAL_MACHINE);
    {
      test::RegistryFaults faults;
      faults.refuseCreateOf = "Quorvane";
      ApplyConnectionProfile(2, report);
    }
    EXPECT_EQ(report.status, kCompletedText);
    EXPECT_FALSE(ProfileHeld(2));
    test::ExpectSameState(machine, StateOf(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(AnyOriginalRecorded());
  }
}

// Only the value whose note is refused is left alone; the others change.
TEST_F(WayBackFromProfiles, ARefusedNoteSkipsOnlyItsValue) {
  PutNumber(HKEY_LOCAL_MACHINE, kTcpip, "MTU", 1400);
  PutText(HKEY_LOCAL_MACHINE, kNetTrans, "MaxMTU", "1400");
  const std::string notes = std::string(kOriginalsPath) + "\\Values\\";
  {
    test::RegistryFaults faults;
    faults.refuseCreateOf = notes + kTcpip;  // the note's key, not the value's
    ApplyConnectionProfile(1, report);
  }
  EXPECT_EQ(test::ReadRaw(HKEY_LOCAL_MACHINE, kTcpip, "MTU")->Number(), 1400u);
  EXPECT_EQ(test::ReadRaw(HKEY_LOCAL_MACHINE, kNetTrans, "MaxMTU")->Text(), "576");
  EXPECT_TRUE(RestoreOriginalSettings(report).AllRestored());
  EXPECT_EQ(test::ReadRaw(HKEY_LOCAL_MACHINE, kNetTrans, "MaxMTU")->Text(), "1400");
}

// An open whose key note is refused opens nothing: the writes up to the next
// open are skipped, not sent into the key opened before.
TEST_F(WayBackFromProfiles, ARefusedKeyNoteSkipsTheWritesThatFollowIt) {
  PutText(HKEY_LOCAL_MACHINE, kMstcp, "Hostname", "pc");
  PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "x", "y");
  const auto machine = StateOf(HKEY_LOCAL_MACHINE);
  {
    test::RegistryFaults faults;
    faults.refuseWriteOf = std::string(kServices) + "\\Tcpip";  // the first key to create
    ApplyConnectionProfile(2, report);
  }
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, kTcpip));
  EXPECT_EQ(test::ReadRaw(HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL")->Text(), "128");
  EXPECT_FALSE(test::ReadRaw(HKEY_LOCAL_MACHINE, kMstcp, "GlobalMaxTcpWindowSize"));
  EXPECT_FALSE(test::ReadRaw(HKEY_LOCAL_MACHINE, kMstcp, "MTU"));
  EXPECT_TRUE(RestoreOriginalSettings(report).AllRestored());
  test::ExpectSameState(machine, StateOf(HKEY_LOCAL_MACHINE));
}

}  // namespace
}  // namespace velotune
