#include "platform/settings.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/registry_sandbox.h"

namespace velotune {
namespace {

using test::PutText;
using test::ReadRaw;
using test::RegistryFaults;
using test::RegistryTest;

using Settings = RegistryTest;

constexpr const char* kKey = "Software\\Quorvane\\Velotune";

TEST_F(Settings, OpeningCreatesTheKeyAndValuesRoundTrip) {
  OpenSettingsKey();
  ASSERT_NE(SettingsKey, nullptr);
  EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kKey));
  EXPECT_EQ(test::ValueCount(HKEY_CURRENT_USER, kKey), 0);  // "noset" only after a run

  EXPECT_EQ(ReadAppliedProfile(1), 1);
  EXPECT_EQ(ReadAppliedProfile(0), 0);
  WriteAppliedProfile(3);
  EXPECT_EQ(ReadAppliedProfile(0), 3);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kKey, "noset")->type, static_cast<DWORD>(REG_DWORD));

  for (int box = 1; box <= 9; ++box) {
    EXPECT_EQ(ReadEraseBox(box, 1), 1);
    WriteEraseBox(box, box % 2 == 0);
  }
  for (int box = 1; box <= 9; ++box) {
    const auto raw = ReadRaw(HKEY_CURRENT_USER, kKey, "ie_box" + std::to_string(box));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->Number(), box % 2 == 0 ? 1u : 0u);
    EXPECT_EQ(ReadEraseBox(box, 1), box % 2 == 0 ? 1 : 0);
  }
}

TEST_F(Settings, TextValuesCountAsAbsent) {
  PutText(HKEY_CURRENT_USER, kKey, "noset", "3");
  OpenSettingsKey();
  EXPECT_EQ(ReadAppliedProfile(1), 1);
  EXPECT_EQ(ReadAppliedProfile(0), 0);
}

TEST_F(Settings, KeyThatCannotBeOpenedGivesDefaultsAndWritesNothing) {
  RegistryFaults faults;
  faults.refuseCreateOf = "Quorvane";
  OpenSettingsKey();
  EXPECT_EQ(SettingsKey, nullptr);
  EXPECT_EQ(ReadAppliedProfile(1), 1);
  EXPECT_EQ(ReadEraseBox(4, 1), 1);
  WriteAppliedProfile(2);
  WriteEraseBox(4, false);
  EXPECT_EQ(faults.writes, 0);
  EXPECT_EQ(faults.queries, 0);
  EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kKey));
}

}  // namespace
}  // namespace velotune
