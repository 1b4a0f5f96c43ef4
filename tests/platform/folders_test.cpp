#include "platform/folders.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <set>

#include "platform/text.h"
#include "support/temp_folder.h"

namespace velotune {
namespace {

using test::TempFolder;

TEST(FolderOfPath, KeepsUpToTheLastBackslashOrColon) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\Program Files\\Velotune\\velotune.exe", "C:\\Program Files\\Velotune\\"},
      {"C:velotune.exe", "C:"},
      {"C:\\", "C:\\"},
      {"\\\\server\\share\\a.txt", "\\\\server\\share\\"},
      {"velotune.exe", ""},
      {"", ""},
      {"a\\b:c", "a\\b:"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
}

TEST(ProgramLocation, NamesThisExecutableAndItsFolder) {
  const std::string path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_EQ(ProgramFolder(), FolderOfPath(path));
  EXPECT_EQ(ProgramFolder().back(), '\\');
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
}

TEST(SpecialFolder, AppDataResolvesWithoutTrailingBackslash) {
  const std::string appData = SpecialFolderPath(CSIDL_APPDATA);
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(appData.back(), '\\');
  EXPECT_NE(GetFileAttributesA(appData.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(SpecialFolderPath(0x7FFF), "");  // no such folder
}

TEST(FileExistsTest, OnlyFilesCount) {
  TempFolder dir;
  dir.MakeFile("license.txt");
  dir.MakeFolder("velotunehelp.chm");
  EXPECT_TRUE(FileExists(dir / "license.txt"));
  EXPECT_FALSE(FileExists(dir / "velotunehelp.chm"));  // a folder of that name
  EXPECT_FALSE(FileExists(dir / "missing.txt"));
  EXPECT_FALSE(FileExists(dir / "lic*.txt"));  // no wildcard matching
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(dir / std::string(5000, 'a')));  // too long, but no overflow
}

std::set<std::string> List(const std::string& pattern, DWORD filter) {
  std::set<std::string> names;
  EnumerateFolder search;
  FolderEntry entry;
  for (DWORD status = search.First(Widen(pattern), filter, entry); status == 0;
       status = search.Next(entry))
    names.insert(Narrow(entry.name));
  search.Close();
  search.Close();  // closing twice is harmless
  return names;
}

TEST(EnumerateFolderTest, FilterDecidesWhichEntriesShow) {
  TempFolder dir;
  dir.MakeFile("plain.txt");
  dir.MakeFile("readonly.txt");
  dir.MakeFile("hidden.txt");
  dir.MakeFile("system.txt");
  dir.MakeFolder("folder");
  dir.MakeFolder("hiddenfolder");
  ASSERT_TRUE(SetFileAttributesA((dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA((dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA((dir / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesA((dir / "hiddenfolder").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_NE(GetFileAttributesA((dir / "hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u)
      << "the file system keeps no hidden bit";

  EXPECT_EQ(List(dir / "*", kFilterFolders),
            (std::set<std::string>{".", "..", "plain.txt", "readonly.txt", "folder"}));
  EXPECT_EQ(List(dir / "*.*", kFilterAll),
            (std::set<std::string>{".", "..", "plain.txt", "readonly.txt", "hidden.txt",
                                   "system.txt", "folder", "hiddenfolder"}));
  // Without the folder bit, folders are skipped but files still show.
  EXPECT_EQ(List(dir / "*", 0), (std::set<std::string>{"plain.txt", "readonly.txt"}));
  SetFileAttributesA((dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(EnumerateFolderTest, MissingFolderOrNoMatchGivesAnErrorAtFirst) {
  TempFolder dir;
  dir.MakeFile("a.txt");
  for (const std::string& pattern : {dir / "nowhere\\*.*", dir / "*.arl"}) {
    EnumerateFolder search;
    FolderEntry entry;
    EXPECT_NE(search.First(Widen(pattern), kFilterAll, entry), 0u) << pattern;
    EXPECT_NE(search.Next(entry), 0u);
  }
}

TEST(EnumerateFolderTest, OnlySkippedEntriesEndTheListing) {
  TempFolder dir;
  dir.MakeFile("h1.txt");
  dir.MakeFile("h2.txt");
  SetFileAttributesA((dir / "h1.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((dir / "h2.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(List(dir / "h*.txt", kFilterFolders).empty());
  EXPECT_EQ(List(dir / "h*.txt", kFilterAll), (std::set<std::string>{"h1.txt", "h2.txt"}));
}

class FirefoxProfileTest : public testing::Test {
 protected:
  TempFolder dir;
  std::string appData() const {
    std::string p = dir.path();
    return p.substr(0, p.size() - 1);
  }
  std::string profiles() const { return dir / "Mozilla\\Firefox\\Profiles\\"; }
};

TEST_F(FirefoxProfileTest, NoProfilesFolderGivesThatFolderItself) {
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles());
}

TEST_F(FirefoxProfileTest, EmptyProfilesFolderGivesItself) {
  dir.MakeFolder("Mozilla\\Firefox\\Profiles");
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles());
}

TEST_F(FirefoxProfileTest, OneProfileGivesItsFolder) {
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\abcd1234.default");
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\.hidden-by-name");
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles() + "abcd1234.default\\");
}

TEST_F(FirefoxProfileTest, SeveralProfilesUseTheDefaultThatProfilesIniNames) {
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\aaaa.first");
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\zzzz.default-release");
  dir.MakeFile("Mozilla\\Firefox\\Profiles\\stray.txt");
  dir.MakeFile("Mozilla\\Firefox\\profiles.ini",
               "[Profile1]\r\nName=first\r\nIsRelative=1\r\nPath=Profiles/aaaa.first\r\n\r\n"
               "[Install4F96D1932A9F858E]\r\nDefault=Profiles/zzzz.default-release\r\n");
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles() + "zzzz.default-release\\");
}

TEST_F(FirefoxProfileTest, SeveralProfilesWithoutIniUseAFolderNeverAFile) {
  dir.MakeFile("Mozilla\\Firefox\\Profiles\\0-stray.txt");
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\only.folder");
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles() + "only.folder\\");
}

TEST(FirefoxProfileFolderTest, EmptyAppDataNeverGivesARootedPath) {
  EXPECT_EQ(FirefoxProfileFolderIn(""), "");
}

TEST(PickFirefoxProfileTest, ChoosesByProfilesIni) {
  const std::vector<std::string> folders = {"a.one", "b.two", "c.three"};
  const struct {
    const char* ini;
    const char* expected;
  } cases[] = {
      {"", "a.one"},
      {"[Profile0]\nName=x\nIsRelative=1\nPath=Profiles/b.two\nDefault=1\n", "b.two"},
      {"[Profile0]\nPath=Profiles/c.three\nIsRelative=1\n\n[Profile1]\nPath=Profiles/b.two\n"
       "IsRelative=1\nDefault=1\n",
       "b.two"},
      // Install default wins over a marked profile.
      {"[Profile0]\nPath=Profiles/b.two\nIsRelative=1\nDefault=1\n[InstallX]\nDefault=Profiles/"
       "c.three\n",
       "c.three"},
      // Backslashes and letter case as Windows users write them.
      {"[InstallX]\r\nDefault=profiles\\C.THREE\r\n", "c.three"},
      // An absolute path, a missing folder or a nested path falls back to the first.
      {"[Profile0]\nPath=D:\\elsewhere\\b.two\nIsRelative=0\nDefault=1\n", "a.one"},
      {"[InstallX]\nDefault=Profiles/gone\n", "a.one"},
      {"[InstallX]\nDefault=Profiles/b.two/../c.three\n", "a.one"},
  };
  for (const auto& c : cases) EXPECT_EQ(PickFirefoxProfile(folders, c.ini), c.expected) << c.ini;
  EXPECT_EQ(PickFirefoxProfile({}, "[InstallX]\nDefault=Profiles/a\n"), "");
}

}  // namespace
}  // namespace velotune
