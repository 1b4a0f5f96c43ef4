#include "enhance/catalogue.h"

#include <gtest/gtest.h>

#include "support/registry_sandbox.h"

namespace velotune {
namespace {

using test::KeyExists;
using test::PutNumber;
using test::PutText;
using test::ReadRaw;
using test::RegistryTest;

using Enhancements = RegistryTest;

constexpr const char* kIeMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kAutoComplete =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";

std::vector<bool> ReadAll(const std::string& identity) {
  std::vector<bool> ticks;
  for (const auto& e : kEnhancements) ticks.push_back(ReadEnhancementState(e, identity));
  return ticks;
}

TEST_F(Enhancements, CleanProfileReadsAllUntickedAndCreatesNothing) {
  EXPECT_EQ(ReadAll("{ID}"), std::vector<bool>(11, false));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kIeMain));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Outlook Express"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Identities"));
  EXPECT_EQ(ReadIdentity(), "");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Identities"));  // the identity read creates it
}

TEST_F(Enhancements, StoredValuesReadBackAsTicks) {
  const std::string ident = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0";
  const struct {
    const char* what;
    int box;  // 1-based
    std::function<void()> store;
    bool ticked;
  } cases[] = {
      {"yes", 4, [] { PutText(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", "yes"); },
       true},
      {"Yes", 4, [] { PutText(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", "Yes"); },
       false},
      {"yes ", 4, [] { PutText(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", "yes "); },
       false},
      {"number 1", 4, [] { PutNumber(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", 1); },
       false},
      {"NoSplash 5", 2, [&] { PutNumber(HKEY_CURRENT_USER, ident, "NoSplash", 5); }, true},
      {"NoSplash other identity", 2,
       [] {
         PutNumber(HKEY_CURRENT_USER,
                   "Identities\\{OTHER}\\Software\\Microsoft\\Outlook Express\\5.0", "NoSplash", 1);
       },
       false},
      {"SmoothScroll", 3,
       [&] { PutNumber(HKEY_CURRENT_USER, ident + "\\Trident\\Main", "SmoothScroll", 1); }, true},
      {"10 and 4", 5,
       [] {
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 10);
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPer1_0Server", 4);
       },
       false},
      {"10 and 10", 5,
       [] {
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 10);
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPer1_0Server", 10);
       },
       true},
      {"4 and 10", 5,
       [] {
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 4);
         PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPer1_0Server", 10);
       },
       false},
      {"10 and missing", 5,
       [] { PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 10); }, false},
      {"Hide Messenger", 1,
       [] {
         PutNumber(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Outlook Express", "Hide Messenger", 1);
       },
       true},
      {"NoUpdateCheck", 10, [] { PutNumber(HKEY_CURRENT_USER, kIeMain, "NoUpdateCheck", 1); },
       true},
      {"NotifyDownloadComplete", 11,
       [] { PutText(HKEY_CURRENT_USER, kIeMain, "NotifyDownloadComplete", "yes"); }, true},
      {"e Web Based FTP", 9,
       [] { PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Ftp", "e Web Based FTP", "yes"); },
       true},
      {"Web Based FTP without the e", 9,
       [] { PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Ftp", "Web Based FTP", "yes"); },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::RegistrySandbox fresh;
    c.store();
    std::vector<bool> expected(11, false);
    expected[c.box - 1] = c.ticked;
    EXPECT_EQ(ReadAll("{ID}"), expected);
  }
}

TEST_F(Enhancements, IdentityComesFromLastUserId) {
  PutText(HKEY_CURRENT_USER, "Identities", "Last User ID", "{ABC}");
  EXPECT_EQ(ReadIdentity(), "{ABC}");
  EXPECT_EQ(KeyPathOf(kEnhancements[1], "{ABC}"),
            "Identities\\{ABC}\\Software\\Microsoft\\Outlook Express\\5.0");
  EXPECT_EQ(KeyPathOf(kEnhancements[1], ""),
            "Identities\\\\Software\\Microsoft\\Outlook Express\\5.0");
  EXPECT_EQ(KeyPathOf(kEnhancements[3], "{ABC}"), kAutoComplete);
}

TEST_F(Enhancements, WritingEveryRowTickedAndUnticked) {
  for (bool ticked : {true, false}) {
    SCOPED_TRACE(ticked);
    for (const auto& e : kEnhancements) EXPECT_EQ(WriteEnhancement(e, "{ID}", ticked), 0) << e.box;
    const struct {
      HKEY root;
      std::string path;
      const char* name;
      DWORD on, off;  // numbers
      const char* onText;
    } expected[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Outlook Express", "Hide Messenger", 1, 0,
         nullptr},
        {HKEY_CURRENT_USER, "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0",
         "NoSplash", 1, 0, nullptr},
        {HKEY_CURRENT_USER,
         "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0\\Trident\\Main",
         "SmoothScroll", 1, 0, nullptr},
        {HKEY_CURRENT_USER, kAutoComplete, "Append Completion", 0, 0, "yes"},
        {HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 10, 2, nullptr},
        {HKEY_CURRENT_USER, kSettings, "MaxConnectionsPer1_0Server", 10, 2, nullptr},
        {HKEY_CURRENT_USER, kIeMain, "FavIntelliMenus", 0, 0, "yes"},
        {HKEY_CURRENT_USER, kIeMain, "Friendly http errors", 0, 0, "yes"},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
         "NoExpandedNewMenu", 1, 0, nullptr},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Ftp", "e Web Based FTP", 0, 0, "yes"},
        {HKEY_CURRENT_USER, kIeMain, "NoUpdateCheck", 1, 0, nullptr},
        {HKEY_CURRENT_USER, kIeMain, "NotifyDownloadComplete", 0, 0, "yes"},
    };
    for (const auto& x : expected) {
      const auto raw = ReadRaw(x.root, x.path, x.name);
      ASSERT_TRUE(raw) << x.name;
      if (x.onText) {
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ)) << x.name;
        EXPECT_EQ(raw->Text(), ticked ? "yes" : "no") << x.name;
        EXPECT_EQ(raw->data.size(), ticked ? 4u : 3u) << x.name;
      } else {
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD)) << x.name;
        EXPECT_EQ(raw->Number(), ticked ? x.on : x.off) << x.name;
      }
    }
    EXPECT_EQ(ReadAll("{ID}"), std::vector<bool>(11, ticked));
  }
}

TEST_F(Enhancements, EmptyIdentityStillWritesBelowItsPath) {
  EXPECT_EQ(WriteEnhancement(kEnhancements[1], "", true), 0);
  EXPECT_TRUE(ReadEnhancementState(kEnhancements[1], ""));
  EXPECT_FALSE(ReadEnhancementState(kEnhancements[1], "{ID}"));
}

TEST_F(Enhancements, RefusedOpensAndWritesAreCounted) {
  test::RegistryFaults faults;
  faults.refuseCreateOf = "Outlook Express";
  faults.refuseWriteOf = "MaxConnectionsPer1_0Server";
  EXPECT_EQ(WriteEnhancement(kEnhancements[0], "", true), 1);
  EXPECT_EQ(WriteEnhancement(kEnhancements[4], "", true), 1);
  EXPECT_EQ(WriteEnhancement(kEnhancements[5], "", true), 0);
  EXPECT_FALSE(
      ReadRaw(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Outlook Express", "Hide Messenger"));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer")->Number(), 10u);
}

}  // namespace
}  // namespace velotune
