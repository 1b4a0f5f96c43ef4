#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/system_seam.h"
#include "support/registry_sandbox.h"

namespace velotune {
namespace {

using test::KeyExists;
using test::PutNumber;
using test::PutRaw;
using test::PutText;
using test::ReadRaw;
using test::RegistryFaults;
using test::RegistryTest;

using RegistryHelpers = RegistryTest;

TEST_F(RegistryHelpers, OneLeadingBackslashIsDropped) {
  PutNumber(HKEY_CURRENT_USER, "Software\\A", "n", 7);
  for (const char* path : {"Software\\A", "\\Software\\A"}) {
    EXPECT_EQ(ReadNumber(OpenKeyForRead(HKEY_CURRENT_USER, path), "n", -1), 7) << path;
    EXPECT_EQ(ReadNumber(OpenOrCreateKey(HKEY_CURRENT_USER, path), "n", -1), 7) << path;
  }
  EXPECT_FALSE(OpenKeyForRead(HKEY_CURRENT_USER, "\\\\Software\\A"));
  EXPECT_TRUE(OpenKeyForRead(HKEY_CURRENT_USER, ""));  // the root itself
}

TEST_F(RegistryHelpers, OpenForReadCreatesNothingButOpenOrCreateMakesTheWholePath) {
  EXPECT_FALSE(OpenKeyForRead(HKEY_CURRENT_USER, "Software\\Mid\\Leaf"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Mid"));
  EXPECT_TRUE(OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\Mid\\Leaf"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Mid\\Leaf"));
  EXPECT_TRUE(OpenKeyForRead(HKEY_CURRENT_USER, "Software\\Mid\\Leaf"));
}

TEST_F(RegistryHelpers, ReadNumberTakesOnlyFourByteDwords) {
  const char* key = "Software\\Values";
  PutNumber(HKEY_CURRENT_USER, key, "seven", 7);
  PutNumber(HKEY_CURRENT_USER, key, "negative", static_cast<DWORD>(-5));
  PutText(HKEY_CURRENT_USER, key, "text10", "10");
  const DWORD four = 9;
  PutRaw(HKEY_CURRENT_USER, key, "binary4", REG_BINARY, &four, 4);
  const unsigned long long eight = 9;
  PutRaw(HKEY_CURRENT_USER, key, "qword", REG_QWORD, &eight, 8);
  PutRaw(HKEY_CURRENT_USER, key, "dword8", REG_DWORD, &eight, 8);

  const auto k = OpenKeyForRead(HKEY_CURRENT_USER, key);
  const struct {
    const char* name;
    int32_t expected;
  } cases[] = {{"seven", 7},  {"negative", -5}, {"text10", 42}, {"binary4", 42},
               {"qword", 42}, {"dword8", 42},   {"missing", 42}};
  for (const auto& c : cases) EXPECT_EQ(ReadNumber(k, c.name, 42), c.expected) << c.name;
}

TEST_F(RegistryHelpers, ReadTextTakesOnlyPlainStrings) {
  const char* key = "Software\\Texts";
  PutText(HKEY_CURRENT_USER, key, "yes", "yes");
  PutText(HKEY_CURRENT_USER, key, "upper", "Yes");
  PutText(HKEY_CURRENT_USER, key, "trailing", "yes ");
  PutNumber(HKEY_CURRENT_USER, key, "number", 1);
  PutRaw(HKEY_CURRENT_USER, key, "expand", REG_EXPAND_SZ, "%TEMP%", 7);
  PutRaw(HKEY_CURRENT_USER, key, "multi", REG_MULTI_SZ, "a\0b\0", 5);
  PutRaw(HKEY_CURRENT_USER, key, "empty", REG_SZ, "", 0);
  PutRaw(HKEY_CURRENT_USER, key, "unterminated", REG_SZ, "abc", 3);
  PutRaw(HKEY_CURRENT_USER, key, "embedded", REG_SZ, "ab\0cd", 6);

  const auto k = OpenKeyForRead(HKEY_CURRENT_USER, key);
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {{"yes", "yes"},     {"upper", "Yes"},        {"trailing", "yes "},
               {"number", "dflt"}, {"expand", "dflt"},      {"multi", "dflt"},
               {"empty", ""},      {"unterminated", "abc"}, {"embedded", "ab"},
               {"missing", "dflt"}};
  for (const auto& c : cases) EXPECT_EQ(ReadText(k, c.name, "dflt"), c.expected) << c.name;
}

TEST_F(RegistryHelpers, TextsInAnyScriptSurviveWriteAndRead) {
  const auto k = OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\\xCE\xA4\xCE\xB5\xCF\x83\xCF\x84");
  const std::string texts[] = {
      "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\AppData\\\xE7\xBC\x93\xE5\xAD\x98",
      "\xF0\x9F\x8D\xAA", "plain", ""};
  for (const std::string& text : texts) {
    EXPECT_TRUE(WriteText(k, "\xCE\xB8\xCE\xAD\xCF\x83\xCE\xB7", text));
    EXPECT_EQ(ReadText(k, "\xCE\xB8\xCE\xAD\xCF\x83\xCE\xB7", "dflt"), text);
  }
}

TEST_F(RegistryHelpers, NullKeyGivesDefaultsAndRefusesWritesWithoutCallingThePlatform) {
  RegistryFaults counter;
  EXPECT_EQ(ReadNumber(nullptr, "n", 3), 3);
  EXPECT_EQ(ReadText(nullptr, "t", "d"), "d");
  EXPECT_FALSE(WriteNumber(nullptr, "n", 1));
  EXPECT_FALSE(WriteText(nullptr, "t", "x"));
  EXPECT_FALSE(DeleteSubkey(nullptr, "Software"));
  EXPECT_EQ(counter.queries, 0);
  EXPECT_EQ(counter.writes, 0);
}

TEST_F(RegistryHelpers, WritesStoreExactTypesAndSizes) {
  const auto k = OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\Out");
  EXPECT_TRUE(WriteText(k, "empty", ""));
  EXPECT_TRUE(WriteText(k, "yes", "yes"));
  EXPECT_TRUE(WriteText(k, "no", "no"));
  EXPECT_TRUE(WriteNumber(k, "zero", 0));
  EXPECT_TRUE(WriteNumber(k, "big", 256960));
  const struct {
    const char* name;
    DWORD type;
    size_t size;
  } cases[] = {{"empty", REG_SZ, 1},
               {"yes", REG_SZ, 4},
               {"no", REG_SZ, 3},
               {"zero", REG_DWORD, 4},
               {"big", REG_DWORD, 4}};
  for (const auto& c : cases) {
    const auto raw = ReadRaw(HKEY_CURRENT_USER, "Software\\Out", c.name);
    ASSERT_TRUE(raw) << c.name;
    EXPECT_EQ(raw->type, c.type) << c.name;
    EXPECT_EQ(raw->data.size(), c.size) << c.name;
  }
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Out", "big")->Number(), 256960u);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Out", "yes")->data.back(), 0);
}

TEST_F(RegistryHelpers, RefusedWriteReportsFalse) {
  const auto k = OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\Out");
  RegistryFaults faults;
  faults.refuseWriteOf = "locked";
  EXPECT_FALSE(WriteNumber(k, "locked", 1));
  EXPECT_FALSE(WriteText(k, "locked", "x"));
  EXPECT_TRUE(WriteNumber(k, "open", 1));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, "Software\\Out", "locked"));
}

TEST_F(RegistryHelpers, DeleteSubkeyTakesARootDirectly) {
  PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "x");
  EXPECT_TRUE(DeleteSubkey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer"));
  EXPECT_FALSE(
      DeleteSubkey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
}

int closes = 0;
LSTATUS CountingClose(HKEY key) {
  ++closes;
  return RealSystem().RegCloseKey(key);
}

TEST_F(RegistryHelpers, OpenedKeysAreClosedOnceAndRootsNever) {
  closes = 0;
  Sys().RegCloseKey = CountingClose;
  {
    auto a = OpenOrCreateKey(HKEY_CURRENT_USER, "Software\\X");
    auto b = std::move(a);  // moving hands over, it does not close
    EXPECT_EQ(closes, 0);
    b = OpenKeyForRead(HKEY_CURRENT_USER, "Software\\X");  // the old one goes now
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(OpenKeyForRead(HKEY_CURRENT_USER, "Software\\Missing"));
    CloseKey(HKEY_CURRENT_USER);
    CloseKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(closes, 1);
  }
  EXPECT_EQ(closes, 2);
  Sys().RegCloseKey = RealSystem().RegCloseKey;
}

}  // namespace
}  // namespace velotune
