#include "netopt/profiles.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <variant>

#include "support/registry_sandbox.h"

namespace velotune {
namespace {

using test::RegistryFaults;
using test::RegistryTest;
using test::SnapshotValues;
using test::StoredValue;

constexpr const char* kNetTrans = "\\System\\CurrentControlSet\\Services\\Class\\NetTrans";
constexpr const char* kMstcp = "\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kTcpip = "\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

using Expected = std::variant<const char*, DWORD>;
using Summary = std::map<std::pair<std::string, std::string>, Expected>;

// What each profile leaves in the registry, value by value.
Summary ExpectedAfter(int profile) {
  Summary s;
  if (profile == 1) {
    s[{kNetTrans, "MaxMTU"}] = "576";
    s[{kNetTrans, "MaxMSS"}] = "536";
    s[{kTcpip, "MTU"}] = DWORD{576};
    return s;
  }
  const bool broadband = profile == 2;
  const char* window = broadband ? "32767" : profile == 3 ? "256960" : "255552";
  const DWORD windowNumber = broadband ? 32767 : profile == 3 ? 256960 : 255552;
  s[{kMstcp, "DefaultTTL"}] = broadband ? "128" : "64";
  s[{kMstcp, "DefaultRcvWindow"}] = window;
  s[{kMstcp, "PMTUBlackHoleDetect"}] = "0";
  s[{kMstcp, "PMTUDiscovery"}] = "1";
  s[{kMstcp, "SackOpts"}] = "1";
  s[{kMstcp, "Tcp1323Opts"}] = DWORD{1};
  s[{kTcpip, "DefaultTTL"}] = DWORD{broadband ? 128u : 64u};
  s[{kTcpip, "EnablePMTUBHDetect"}] = DWORD{0};
  s[{kTcpip, "EnablePMTUDiscovery"}] = DWORD{1};
  s[{kTcpip, "TcpMaxDupAcks"}] = DWORD{broadband ? 2u : 3u};
  s[{kTcpip, "SackOpts"}] = DWORD{1};
  s[{kTcpip, "Tcp1323Opts"}] = DWORD{1};
  s[{kTcpip, "TcpWindowSize"}] = windowNumber;
  if (broadband) {
    s[{kTcpip, "GlobalMaxTcpWindowSize"}] = DWORD{32767};
    s[{kTcpip, "MTU"}] = DWORD{1500};
  }
  return s;
}

void Apply(int number) {
  ProfileWriter writer;
  for (const auto& step : LookupProfile(number).steps) writer.Perform(step);
}

void ExpectRegistryHolds(const Summary& expected) {
  const auto values = SnapshotValues(HKEY_LOCAL_MACHINE);
  Summary actual;
  for (const auto& v : values) {
    const std::string shown = v.key + "!" + v.name;
    if (v.type == REG_SZ) {
      ASSERT_FALSE(v.data.empty()) << shown;
      EXPECT_EQ(v.data.back(), 0) << shown << " lacks its NUL";
      actual[{v.key, v.name}] = reinterpret_cast<const char*>(v.data.data());
    } else {
      ASSERT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << shown;
      ASSERT_EQ(v.data.size(), 4u) << shown;
      actual[{v.key, v.name}] = *reinterpret_cast<const DWORD*>(v.data.data());
    }
  }
  ASSERT_EQ(actual.size(), expected.size());
  for (const auto& [where, value] : expected) {
    const auto it = actual.find(where);
    ASSERT_NE(it, actual.end()) << where.first << "!" << where.second;
    if (std::holds_alternative<DWORD>(value)) {
      ASSERT_TRUE(std::holds_alternative<DWORD>(it->second)) << where.second << " is not a number";
      EXPECT_EQ(std::get<DWORD>(it->second), std::get<DWORD>(value)) << where.second;
    } else {
      ASSERT_TRUE(std::holds_alternative<const char*>(it->second)) << where.second;
      EXPECT_STREQ(std::get<const char*>(it->second), std::get<const char*>(value)) << where.second;
    }
  }
}

TEST(ConnectionProfiles, TableShape) {
  const struct {
    int number;
    const char* name;
    int increment;
    size_t steps;
  } cases[] = {{1, "Internet Dialup", 20, 5},
               {2, "ADSL, DSL, Cable Modem", 5, 18},
               {3, "Home, Office LAN", 6, 15},
               {4, "T1, Satellite or Corporate LAN", 6, 15}};
  for (const auto& c : cases) {
    const auto& p = LookupProfile(c.number);
    EXPECT_EQ(p.number, c.number);
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.gaugeIncrement, c.increment);
    EXPECT_EQ(p.steps.size(), c.steps);
    EXPECT_EQ(p.steps.front().kind, StepKind::OpenKey);
    // The key path with a trailing backslash is opened only right before an "MTU" write.
    for (size_t i = 0; i < p.steps.size(); ++i) {
      const auto& s = p.steps[i];
      if (s.kind == StepKind::OpenKey && s.keyPath.ends_with("\\")) {
        ASSERT_LT(i + 1, p.steps.size());
        EXPECT_EQ(p.steps[i + 1].name, "MTU");
      }
      if (s.kind != StepKind::OpenKey && s.name == "MTU") {
        EXPECT_TRUE(p.steps[i - 1].keyPath.ends_with("Parameters\\"));
      }
    }
  }
  EXPECT_EQ(LookupProfile(1).description,
            "For the systems which connected with Interned via Modem or ISDN.");
  for (int unknown : {0, 5, -1, 7}) EXPECT_TRUE(LookupProfile(unknown).steps.empty()) << unknown;
}

using ApplyingProfiles = RegistryTest;

TEST_F(ApplyingProfiles, EachProfileLeavesExactlyItsValues) {
  for (int profile = 1; profile <= 4; ++profile) {
    SCOPED_TRACE(profile);
    test::RegistrySandbox fresh;
    Apply(profile);
    ExpectRegistryHolds(ExpectedAfter(profile));
  }
}

// Through the seam, in the table's order: one create with full access for each
// key step, one write of the right type and bytes for each value step, and
// nothing else; the values written are those each profile must leave.
TEST_F(ApplyingProfiles, OpensAndWritesInTheTablesOrder) {
  for (int profile = 1; profile <= 4; ++profile) {
    SCOPED_TRACE(profile);
    test::RegistrySandbox fresh;
    test::RegistryLog log;
    Apply(profile);
    const auto& steps = LookupProfile(profile).steps;
    ASSERT_EQ(log.calls.size(), steps.size());
    std::map<std::pair<std::string, std::string>, std::variant<std::string, DWORD>> written;
    std::string key;
    for (size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE(i);
      const auto& call = log.calls[i];
      if (steps[i].kind == StepKind::OpenKey) {
        ASSERT_EQ(call.kind, test::RegistryCall::Create);
        EXPECT_EQ(call.access, static_cast<REGSAM>(KEY_ALL_ACCESS));
        EXPECT_EQ(call.path, steps[i].keyPath);
        // As the snapshot names keys: from the root, without a trailing backslash.
        key = "\\" + call.path.substr(0, call.path.find_last_not_of('\\') + 1);
        continue;
      }
      ASSERT_EQ(call.kind, test::RegistryCall::Set);
      EXPECT_EQ(call.name, steps[i].name);
      if (steps[i].kind == StepKind::WriteString) {
        EXPECT_EQ(call.type, static_cast<DWORD>(REG_SZ));
        const std::wstring text(reinterpret_cast<const wchar_t*>(call.data.data()),
                                call.data.size() / sizeof(wchar_t));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), L'\0');
        written[{key, call.name}] = std::string(text.begin(), text.end() - 1);
      } else {
        EXPECT_EQ(call.type, static_cast<DWORD>(REG_DWORD));
        ASSERT_EQ(call.data.size(), 4u);
        written[{key, call.name}] = *reinterpret_cast<const DWORD*>(call.data.data());
      }
    }
    const Summary expected = ExpectedAfter(profile);
    ASSERT_EQ(written.size(), expected.size());
    for (const auto& [where, value] : expected) {
      SCOPED_TRACE(where.second);
      ASSERT_TRUE(written.count(where));
      if (std::holds_alternative<DWORD>(value))
        EXPECT_EQ(std::get<DWORD>(written[where]), std::get<DWORD>(value));
      else
        EXPECT_EQ(std::get<std::string>(written[where]), std::get<const char*>(value));
    }
  }
}

TEST_F(ApplyingProfiles, ThreeThenFourChangesExactlyTwoValues) {
  Apply(3);
  const auto before = SnapshotValues(HKEY_LOCAL_MACHINE);
  Apply(4);
  const auto after = SnapshotValues(HKEY_LOCAL_MACHINE);
  ASSERT_EQ(before.size(), after.size());
  std::set<std::string> changed;
  for (size_t i = 0; i < before.size(); ++i)
    if (!(before[i] == after[i])) changed.insert(after[i].key + "!" + after[i].name);
  EXPECT_EQ(changed, (std::set<std::string>{std::string(kMstcp) + "!DefaultRcvWindow",
                                            std::string(kTcpip) + "!TcpWindowSize"}));
}

TEST_F(ApplyingProfiles, SwitchingKeepsWhatTheNewProfileDoesNotWrite) {
  Apply(1);
  Apply(2);
  Apply(3);
  Summary expected = ExpectedAfter(3);
  expected[{kNetTrans, "MaxMTU"}] = "576";
  expected[{kNetTrans, "MaxMSS"}] = "536";
  expected[{kTcpip, "GlobalMaxTcpWindowSize"}] = DWORD{32767};
  expected[{kTcpip, "MTU"}] = DWORD{1500};
  ExpectRegistryHolds(expected);
}

TEST_F(ApplyingProfiles, NumberReplacesAStringOfTheSameNameAndReapplyingChangesNothing) {
  test::PutText(HKEY_LOCAL_MACHINE, kMstcp + 1, "Tcp1323Opts", "1");
  Apply(2);
  const auto once = SnapshotValues(HKEY_LOCAL_MACHINE);
  Apply(2);
  EXPECT_EQ(SnapshotValues(HKEY_LOCAL_MACHINE), once);
  ExpectRegistryHolds(ExpectedAfter(2));
}

TEST_F(ApplyingProfiles, RefusedWriteIsSkippedAndTheRestFollows) {
  RegistryFaults faults;
  faults.refuseWriteOf = "DefaultRcvWindow";
  ProfileWriter writer;
  int refused = 0;
  for (const auto& step : LookupProfile(3).steps) refused += writer.Perform(step) ? 0 : 1;
  EXPECT_EQ(refused, 1);
  Summary expected = ExpectedAfter(3);
  expected.erase({kMstcp, "DefaultRcvWindow"});
  ExpectRegistryHolds(expected);
}

TEST_F(ApplyingProfiles, FailedOpenSkipsWritesUntilTheNextOpen) {
  RegistryFaults faults;
  faults.refuseCreateOf = "MSTCP";
  ProfileWriter writer;
  int refused = 0;
  for (const auto& step : LookupProfile(2).steps) refused += writer.Perform(step) ? 0 : 1;
  EXPECT_EQ(refused, 7);  // the open and its six writes
  Summary expected;
  for (const auto& [where, value] : ExpectedAfter(2))
    if (where.first == kTcpip) expected[where] = value;
  ExpectRegistryHolds(expected);
}

}  // namespace
}  // namespace velotune
