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

std::string EnvironmentValue(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD got = GetEnvironmentVariableW(name, value, 4096);
  return got > 0 && got < 4096 ? Narrow(value) : std::string();
}

TEST(ProgramLocation, NamesThisExecutableAndItsFolder) {
  const std::string path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_EQ(ProgramFolder(), FolderOfPath(path));
  EXPECT_EQ(ProgramFolder().back(), '\\');
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  // Run again from another folder (below), this copy knows where it is.
  if (const std::string expected = EnvironmentValue(L"VELOTUNE_EXPECTED_FOLDER");
      !expected.empty()) {
    EXPECT_EQ(ProgramFolder(), expected);
  }
}

// The program installed in a folder named outside the ANSI code page still
// finds itself, and so its licence and help file.
TEST(ProgramLocation, InAFolderNamedInAnyScript) {
  if (!EnvironmentValue(L"VELOTUNE_EXPECTED_FOLDER").empty()) GTEST_SKIP() << "the copy itself";
  TempFolder dir;
  const std::string folder = dir /
                             "\xCE\xA0\xCF\x81\xCE\xBF\xCE\xB3\xCF\x81\xCE\xAC\xCE\xBC\xCE\xBC\xCE"
                             "\xB1\xCF\x84\xCE\xB1 \xE7\xA8\x8B\xE5\xBA\x8F\\";
  dir.MakeFolder(folder.substr(dir.path().size()));
  const std::wstring copy = ExtendedPath(folder + "tests.exe");
  ASSERT_TRUE(CopyFileW(ExtendedPath(ProgramFilePath()).c_str(), copy.c_str(), TRUE));
  ASSERT_TRUE(SetEnvironmentVariableW(L"VELOTUNE_EXPECTED_FOLDER", Widen(folder).c_str()));
  std::wstring line = L"\"" + Widen(folder) +
                      L"tests.exe\" --gtest_filter=ProgramLocation.NamesThisExecutableAndItsFolder";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(L"VELOTUNE_EXPECTED_FOLDER", nullptr);
  ASSERT_TRUE(started);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(code, 0u) << "the copy did not find itself";
}

TEST(SpecialFolder, AppDataResolvesWithoutTrailingBackslash) {
  const std::string appData = SpecialFolderPath(CSIDL_APPDATA);
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(appData.back(), '\\');
  EXPECT_NE(GetFileAttributesA(appData.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(SpecialFolderPath(0x7FFF), "");  // no such folder
}

TEST(KnownFolder, DownloadsLiesInTheProfile) {
  const std::string profile = SpecialFolderPath(CSIDL_PROFILE);
  ASSERT_FALSE(profile.empty());
  EXPECT_EQ(KnownFolderPath(FOLDERID_Downloads), profile + "\\Downloads");
  EXPECT_EQ(KnownFolderPath(GUID{}), "");  // no such folder
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

TEST_F(FirefoxProfileTest, ProfileNamedInAnyScriptChosenByInstallsIni) {
  const std::string name =
      "\xD0\xBF\xD1\x80\xD0\xBE\xD1\x84\xD0\xB8\xD0\xBB\xD1\x8C.default-release";
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\aaaa.first");
  dir.MakeFolder("Mozilla\\Firefox\\Profiles\\" + name);
  // Only installs.ini names the default; profiles.ini marks another one.
  dir.MakeFile(
      "Mozilla\\Firefox\\profiles.ini",
      "\xEF\xBB\xBF[Profile0]\r\nIsRelative=1\r\nPath=Profiles/aaaa.first\r\nDefault=1\r\n");
  dir.MakeFile("Mozilla\\Firefox\\installs.ini",
               "[308046B0AF4A39CB]\r\nDefault=Profiles/" + name + "\r\nLocked=1\r\n");
  EXPECT_EQ(FirefoxProfileFolderIn(appData()), profiles() + name + "\\");
}

TEST(FirefoxLocalTwinTest, SameProfileNameBelowTheLocalFolder) {
  const std::string roaming = "C:\\u\\AppData\\Roaming", local = "C:\\u\\AppData\\Local";
  const std::string profiles = roaming + "\\Mozilla\\Firefox\\Profiles\\";
  const struct {
    std::string profile;
    std::string twin;
  } cases[] = {
      {profiles + "ab.default\\", local + "\\Mozilla\\Firefox\\Profiles\\ab.default\\"},
      {"c:\\U\\appdata\\roaming\\MOZILLA\\Firefox\\Profiles\\ab.default\\",
       local + "\\Mozilla\\Firefox\\Profiles\\ab.default\\"},
      {profiles, ""},                       // no profile found
      {profiles + "a\\b\\", ""},            // not a profile folder
      {"D:\\Elsewhere\\ab.default\\", ""},  // outside the roaming folder
  };
  for (const auto& c : cases)
    EXPECT_EQ(FirefoxLocalTwin(c.profile, roaming, local), c.twin) << c.profile;
  EXPECT_EQ(FirefoxLocalTwin(profiles + "ab.default\\", roaming, ""), "");
}

TEST(ExtendedPathTest, AbsoluteFormsForTheWideCalls) {
  const struct {
    const char* path;
    const wchar_t* extended;
  } cases[] = {
      {"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
      {"C:/a//b/./c/..", L"\\\\?\\C:\\a\\b"},
      {"C:\\a\\b. . ", L"\\\\?\\C:\\a\\b"},
      {"C:\\a\\", L"\\\\?\\C:\\a\\"},
      {"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
      {"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},  // taken as it is
      {"\\\\.\\C:\\a", L"\\\\.\\C:\\a"},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtendedPath(std::string(c.path)), c.extended) << c.path;
  const std::string deep = "C:\\" + std::string(40000, 'x');
  EXPECT_EQ(ExtendedPath(deep), L"\\\\?\\" + Widen(deep));
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
