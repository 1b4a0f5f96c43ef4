#include "platform/original_values.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "support/hive_state.h"
#include "support/run_fixture.h"

namespace velotune {
namespace {

using test::HiveState;
using test::KeyExists;
using test::PutNumber;
using test::PutText;
using test::ReadRaw;
using test::StateOf;

const std::string kValues = std::string(kOriginalsPath) + "\\Values\\";
const std::string kKeys = std::string(kOriginalsPath) + "\\Keys";

// The change Velotune would make: the note first, then the write.
void Change(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  ASSERT_TRUE(RecordBeforeWrite(root, path, name)) << path << "!" << name;
  ASSERT_TRUE(WriteNumber(OpenOrCreateKey(root, path), name, static_cast<int32_t>(value)));
}

// Stored exactly as given: the ANSI call would convert the bytes of text types.
void PutBytes(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::vector<BYTE>& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  // Not a NUL past the bytes, or the registry would count it as the text's.
  std::vector<BYTE> guarded(bytes);
  guarded.insert(guarded.end(), {0xFF, 0xFF});
  EXPECT_EQ(RegSetValueExW(key, Widen(name).c_str(), 0, type, guarded.data(),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct Hives {
  HiveState machine, user;
};
Hives Now() { return {StateOf(HKEY_LOCAL_MACHINE), StateOf(HKEY_CURRENT_USER)}; }
void ExpectSame(const Hives& before, const Hives& after) {
  {
    SCOPED_TRACE("HKEY_LOCAL_MACHINE");
    ExpectSameState(before.machine, after.machine);
  }
  SCOPED_TRACE("HKEY_CURRENT_USER");
  ExpectSameState(before.user, after.user);
}

class OriginalValues : public test::RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    // As on every Windows: the roots' Software keys, and the settings key.
    PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "x", "y");
    PutNumber(HKEY_CURRENT_USER, kSettingsPath, "ie_box1", 1);
  }
};

TEST_F(OriginalValues, NotesHoldTheOldTypeAndBytesOrThatNothingWasThere) {
  const BYTE multi[] = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0, 0, 0};
  const BYTE unterminated[] = {'h', 0, 'i', 0};
  const struct {
    const char* what;
    const char* path;
    DWORD type;  // REG_NONE with no bytes: nothing stored before
    std::vector<BYTE> bytes;
    bool keyThere;
  } cases[] = {
      {"a number", "A\\Number", REG_DWORD, {7, 0, 0, 0}, true},
      {"a text without its NUL",
       "A\\Text",
       REG_SZ,
       {std::begin(unterminated), std::end(unterminated)},
       true},
      {"a multi-text", "A\\Multi", REG_MULTI_SZ, {std::begin(multi), std::end(multi)}, true},
      {"empty binary", "A\\Empty", REG_BINARY, {}, true},
      {"a typed none with bytes", "A\\None", REG_NONE, {1, 2}, true},
      {"an eight-byte number", "A\\Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, true},
      {"no value", "A\\Absent", REG_NONE, {}, true},
      {"no key", "B\\Absent", REG_NONE, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::RegistrySandbox fresh;
    PutText(HKEY_CURRENT_USER, "A", "other", "stays");
    const bool stored = c.type != REG_NONE || !c.bytes.empty();
    if (stored) PutBytes(HKEY_CURRENT_USER, c.path, "v", c.type, c.bytes);
    if (!stored && c.keyThere) PutText(HKEY_CURRENT_USER, c.path, "other", "stays");
    ASSERT_TRUE(RecordOriginalValue(HKEY_CURRENT_USER, c.path, "v"));
    const auto note = ReadRaw(HKEY_CURRENT_USER, kValues + c.path, "v");
    ASSERT_TRUE(note);
    if (stored) {
      EXPECT_EQ(note->type, static_cast<DWORD>(REG_BINARY));
      std::vector<BYTE> expected(4);
      std::memcpy(expected.data(), &c.type, 4);
      expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
      EXPECT_EQ(note->data, expected);
    } else {
      EXPECT_EQ(note->type, static_cast<DWORD>(REG_NONE));
      EXPECT_TRUE(note->data.empty());
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKeys));  // noting a value creates no key note
    EXPECT_TRUE(AnyOriginalRecorded());
  }
}

// Every kind of old value comes back byte for byte, whatever was written over it.
TEST_F(OriginalValues, OldValuesComeBackByteForByte) {
  const BYTE unterminated[] = {'h', 0, 'i', 0};
  const BYTE odd[] = {'x', 0, 'y'};  // an odd length for a text type
  const struct {
    DWORD type;
    std::vector<BYTE> bytes;
  } olds[] = {{REG_SZ, {std::begin(unterminated), std::end(unterminated)}},
              {REG_EXPAND_SZ, {std::begin(odd), std::end(odd)}},
              {REG_SZ, {}},
              {REG_DWORD, {1, 2}},
              {REG_BINARY, {0, 0, 0, 0, 0}},
              {REG_DWORD_BIG_ENDIAN, {0, 0, 0, 9}},
              {REG_NONE, {}}};
  for (size_t i = 0; i < std::size(olds); ++i)
    PutBytes(HKEY_CURRENT_USER, "Software\\K", "v" + std::to_string(i), olds[i].type,
             olds[i].bytes);
  const Hives before = Now();
  for (size_t i = 0; i < std::size(olds); ++i)
    Change(HKEY_CURRENT_USER, "Software\\K", "v" + std::to_string(i), 1);
  EXPECT_EQ(RestoreOriginalSettings(report).restored, static_cast<int>(std::size(olds)));
  ExpectSame(before, Now());
  // The text without its NUL was compared as stored: four bytes.
  for (const auto& v : before.user.values) {
    if (v.name == "v0") {
      EXPECT_EQ(v.data.size(), 4u);
    }
  }
}

TEST_F(OriginalValues, EveryMissingKeyAlongThePathIsNoted) {
  PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\There", "x", "y");
  ASSERT_TRUE(RecordKeysToCreate(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\There\\New\\Newer\\"));
  EXPECT_EQ(ValueNames(OpenKeyForRead(HKEY_LOCAL_MACHINE, kKeys)),
            (std::vector<std::string>{"SOFTWARE\\There\\New", "SOFTWARE\\There\\New\\Newer"}));
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kKeys, "SOFTWARE\\There\\New")->Number(), 1u);
  // Keys that exist need no note, and writing none can fail.
  test::RegistrySandbox fresh;
  PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\There", "x", "y");
  test::RegistryFaults faults;
  faults.refuseWriteOf = "*";
  EXPECT_TRUE(RecordKeysToCreate(HKEY_LOCAL_MACHINE, "SOFTWARE\\There"));
  EXPECT_FALSE(RecordKeysToCreate(HKEY_LOCAL_MACHINE, "SOFTWARE\\There\\New"));
  EXPECT_EQ(faults.refusedWrites, 1);
}

TEST_F(OriginalValues, ARefusedNoteIsReported) {
  PutNumber(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v", 3);
  {
    test::RegistryFaults faults;
    faults.refuseCreateOf = "Quorvane";
    EXPECT_FALSE(RecordOriginalValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v"));
    EXPECT_FALSE(RecordBeforeWrite(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v"));
  }
  {
    test::RegistryFaults faults;
    faults.refuseWriteOf = "v";
    EXPECT_FALSE(RecordOriginalValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v"));
  }
  EXPECT_FALSE(AnyOriginalRecorded());
  EXPECT_TRUE(RecordOriginalValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v"));
  EXPECT_TRUE(AnyOriginalRecorded());
}

// Names and paths that a flat encoding would mix up each keep their own note;
// spellings of one key (letter case, a trailing backslash) share one.
TEST_F(OriginalValues, PathsAndNamesStayApart) {
  const struct {
    const char* path;
    const char* name;
  } values[] = {{"K", "a\\b"}, {"K\\a", "b"}, {"K", ""}, {"K\\a\\b", ""}, {"K", "K\\a"}};
  DWORD n = 100;
  for (const auto& v : values) PutNumber(HKEY_CURRENT_USER, v.path, v.name, n++);
  const Hives before = Now();
  for (const auto& v : values) Change(HKEY_CURRENT_USER, v.path, v.name, 1);
  // Spelled otherwise, and changed again: the first notes stand.
  Change(HKEY_CURRENT_USER, "k\\A\\", "B", 2);
  Change(HKEY_CURRENT_USER, "\\K", "a\\b", 2);
  const RestoreOutcome outcome = RestoreOriginalSettings(report);
  EXPECT_EQ(outcome.restored, 5);
  EXPECT_TRUE(outcome.AllRestored());
  ExpectSame(before, Now());
}

TEST_F(OriginalValues, TheFirstNoteStands) {
  PutText(HKEY_CURRENT_USER, "K", "v", "first");
  const Hives before = Now();
  Change(HKEY_CURRENT_USER, "K", "v", 1);
  Change(HKEY_CURRENT_USER, "K", "v", 2);
  PutText(HKEY_CURRENT_USER, "K", "v", "the user's");
  ASSERT_TRUE(RecordOriginalValue(HKEY_CURRENT_USER, "K", "v"));
  EXPECT_EQ(RestoreOriginalSettings(report).restored, 1);
  ExpectSame(before, Now());
  // Once restored, the next change notes afresh.
  PutText(HKEY_CURRENT_USER, "K", "v", "second");
  const Hives later = Now();
  Change(HKEY_CURRENT_USER, "K", "v", 3);
  RestoreOriginalSettings(report);
  ExpectSame(later, Now());
}

TEST_F(OriginalValues, RestoreWithNothingNotedChangesNothing) {
  PutNumber(HKEY_CURRENT_USER, kSettingsPath, "noset", 2);
  PutNumber(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "v", 3);
  const Hives before = Now();
  EXPECT_FALSE(AnyOriginalRecorded());
  const RestoreOutcome outcome = RestoreOriginalSettings(report);
  EXPECT_TRUE(outcome.nothingRecorded);
  EXPECT_TRUE(outcome.AllRestored());
  EXPECT_EQ(outcome.restored, 0);
  ExpectSame(before, Now());
  EXPECT_TRUE(seam.pauses.empty());
  EXPECT_TRUE(report.progressSet.empty());
  EXPECT_EQ(report.detail, "");
  EXPECT_EQ(report.status, "");
}

// A created key goes only when nothing is left in it; one the user has put
// something into stays, with what the user put there.
TEST_F(OriginalValues, CreatedKeysGoOnlyWhenEmpty) {
  PutText(HKEY_CURRENT_USER, "Software\\Top", "x", "y");
  const Hives before = Now();
  Change(HKEY_CURRENT_USER, "Software\\Top\\A\\B\\C", "v", 1);
  Change(HKEY_CURRENT_USER, "Software\\Top\\A\\D", "v", 1);
  PutText(HKEY_CURRENT_USER, "Software\\Top\\A\\D", "mine", "kept");
  const RestoreOutcome outcome = RestoreOriginalSettings(report);
  EXPECT_TRUE(outcome.AllRestored());
  EXPECT_EQ(outcome.restored, 2);
  EXPECT_EQ(outcome.keysRemoved, 2);  // C and B
  EXPECT_EQ(outcome.keysKept, 2);     // D and A, which holds D
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Top\\A\\B"));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, "Software\\Top\\A\\D", "v"));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Top\\A\\D", "mine")->Text(), "kept");
  EXPECT_FALSE(AnyOriginalRecorded());
  // Without the user's value it is exactly as before.
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Top\\A\\D");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Top\\A");
  ExpectSame(before, Now());
}

TEST_F(OriginalValues, WhatCannotBePutBackStaysNotedForAnotherTry) {
  PutNumber(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "machine", 5);
  PutText(HKEY_CURRENT_USER, "Software\\K", "user", "old");
  const Hives before = Now();
  PutNumber(HKEY_CURRENT_USER, kSettingsPath, "noset", 2);
  Change(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "machine", 1);
  Change(HKEY_LOCAL_MACHINE, "SOFTWARE\\K\\New", "created", 1);
  Change(HKEY_CURRENT_USER, "Software\\K", "user", 1);
  RestoreOutcome outcome;
  {
    test::RegistryFaults faults;
    faults.refuseWriteOf = "machine";
    outcome = RestoreOriginalSettings(report);
  }
  EXPECT_FALSE(outcome.AllRestored());
  EXPECT_EQ(outcome.failed, 1);
  EXPECT_EQ(outcome.restored, 2);
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "machine")->Number(), 1u);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\K", "user")->Text(), "old");
  EXPECT_TRUE(AnyOriginalRecorded());
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kValues + "Software\\K", "user"));  // done with
  // A machine-wide value came back, so the profile no longer shows as applied.
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsPath, "noset"));
  outcome = RestoreOriginalSettings(report);
  EXPECT_TRUE(outcome.AllRestored());
  EXPECT_EQ(outcome.restored, 1);
  EXPECT_FALSE(AnyOriginalRecorded());
  ExpectSame(before, Now());
}

TEST_F(OriginalValues, TheAppliedProfileIsForgottenUnlessNoMachineValueCameBack) {
  const struct {
    const char* what;
    bool machineNote, userNote;
    const char* refuse;
    bool settingsOpen;
    bool forgotten;
  } cases[] = {
      {"everything back", true, true, "", true, true},
      {"everything back, settings key not open", true, false, "", false, true},
      {"only a user's value noted", false, true, "", true, true},
      {"the machine-wide value refused", true, true, "machine", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::RegistrySandbox fresh;
    PutNumber(HKEY_CURRENT_USER, kSettingsPath, "noset", 3);
    PutNumber(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "machine", 7);  // so it must be written back
    if (c.settingsOpen) OpenSettingsKey();
    if (c.machineNote) Change(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", "machine", 1);
    if (c.userNote) Change(HKEY_CURRENT_USER, "Software\\K", "user", 1);
    test::RegistryFaults faults;
    faults.refuseWriteOf = c.refuse;
    RestoreOriginalSettings(report);
    EXPECT_EQ(!ReadRaw(HKEY_CURRENT_USER, kSettingsPath, "noset"), c.forgotten);
    if (SettingsKey) RegCloseKey(SettingsKey);
    SettingsKey = nullptr;
  }
}

TEST_F(OriginalValues, ReportsOneStepPerValueThenCloses) {
  for (const char* name : {"a", "b", "c"}) Change(HKEY_CURRENT_USER, "Software\\K", name, 1);
  report.ShowStatus(kCompletedText);  // as the previous run left it
  RestoreOriginalSettings(report);
  EXPECT_EQ(report.detail, kRestoringText);
  EXPECT_EQ(seam.seeds, 1);
  const std::vector<std::string> expected = {kCompletedText,     PercentageText(0),
                                             PercentageText(33), PercentageText(100),
                                             kFinishingText,     kCompletedText};
  EXPECT_EQ(percentages, expected);
  EXPECT_EQ(std::vector<DWORD>(seam.pauses.end() - 3, seam.pauses.end()),
            (std::vector<DWORD>{300, 200, 100}));
  EXPECT_EQ(report.Progress(), 100);
}

TEST_F(OriginalValues, NotesLeaveNoKeysBehind) {
  const Hives before = Now();
  Change(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "machine", 1);
  Change(HKEY_CURRENT_USER, "Software\\K", "user", 1);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOriginalsPath));
  RestoreOriginalSettings(report);
  // The machine-wide notes' keys go up to Quorvane; the user's settings key stays.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quorvane"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOriginalsPath));
  ExpectSame(before, Now());
}

}  // namespace
}  // namespace velotune
