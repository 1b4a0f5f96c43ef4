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

// The read-back asks the seam for read access only, row by row; only the
// identity look-up before it opens its key for writing, as designed.
TEST_F(Enhancements, ReadBackOpensForReadingOnly) {
  const std::string oe = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0";
  const struct {
    const char* box;
    std::vector<std::string> opened;  // in order
    std::vector<std::string> queried;
  } rows[] = {
      {"EN_BOX1", {"SOFTWARE\\Microsoft\\Outlook Express"}, {"Hide Messenger"}},
      {"EN_BOX2", {oe}, {"NoSplash"}},
      {"EN_BOX3", {oe + "\\Trident\\Main"}, {"SmoothScroll"}},
      {"EN_BOX4", {kAutoComplete}, {"Append Completion"}},
      {"EN_BOX5",
       {kSettings, kSettings},
       {"MaxConnectionsPerServer", "MaxConnectionsPer1_0Server"}},
      {"EN_BOX6", {kIeMain}, {"FavIntelliMenus"}},
      {"EN_BOX7", {kIeMain}, {"Friendly http errors"}},
      {"EN_BOX8",
       {"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"},
       {"NoExpandedNewMenu"}},
      {"EN_BOX9", {"Software\\Microsoft\\Ftp"}, {"e Web Based FTP"}},
      {"EN_BOX10", {kIeMain}, {"NoUpdateCheck"}},
      {"EN_BOX11", {kIeMain}, {"NotifyDownloadComplete"}},
  };
  ASSERT_EQ(std::size(rows), kEnhancements.size());
  // Every key there, so the pair's second value is read as well.
  PutNumber(HKEY_CURRENT_USER, kSettings, "MaxConnectionsPerServer", 10);
  for (size_t i = 0; i < kEnhancements.size(); ++i) {
    SCOPED_TRACE(rows[i].box);
    ASSERT_STREQ(kEnhancements[i].box, rows[i].box);
    for (const auto& path : rows[i].opened)
      PutNumber(kEnhancements[i].machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, path, "x", 0);
    test::RegistryLog log;
    ReadEnhancementState(kEnhancements[i], "{ID}");
    std::vector<std::string> opened, queried;
    for (const auto& call : log.calls) {
      ASSERT_NE(call.kind, test::RegistryCall::Create) << call.path;
      ASSERT_NE(call.kind, test::RegistryCall::Set) << call.name;
      if (call.kind == test::RegistryCall::Open) {
        EXPECT_EQ(call.access, static_cast<REGSAM>(KEY_READ)) << call.path;
        opened.push_back(call.path);
      } else if (call.kind == test::RegistryCall::Query && !call.name.empty()) {
        if (queried.empty() || queried.back() != call.name) queried.push_back(call.name);
      }
    }
    EXPECT_EQ(opened, rows[i].opened);
    EXPECT_EQ(queried, rows[i].queried);
  }
  test::RegistryLog log;
  ReadIdentity();
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[0].kind, test::RegistryCall::Create);
  EXPECT_EQ(log.calls[0].path, "Identities");
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
