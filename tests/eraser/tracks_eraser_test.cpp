#include "eraser/tracks_eraser.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "platform/folders.h"
#include "platform/text.h"
#include "support/run_fixture.h"
#include "support/temp_folder.h"

namespace velotune {
namespace {

using test::PutText;
using test::TempFolder;

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A seeded set of traces of all four browsers, in a temporary folder, with
// the registry pointing at them and canaries around them.
class TracksEraser : public test::RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    dir.MakeFile("canary.txt");
    // Firefox under an application data folder of our own.
    PutText(HKEY_CURRENT_USER,
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "AppData",
            dir / "appdata");
    dir.MakeFile("appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.txt");
    dir.MakeFile("appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\0\\entry");
    dir.MakeFile("appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\bookmarks.html");
    dir.MakeFile("ie\\Cookies\\user@site.txt");
    dir.MakeFile("ie\\Cache\\Content.IE5\\x.htm");
    dir.MakeFile("ie\\History\\History.IE5\\index.dat");
    PutText(HKEY_CURRENT_USER, kShellFolders, "Cookies", dir / "ie\\Cookies");
    PutText(HKEY_CURRENT_USER, kShellFolders, "Cache", dir / "ie\\Cache");
    PutText(HKEY_CURRENT_USER, kShellFolders, "History", dir / "ie\\History");
    PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
            "http://example.com/");
    dir.MakeFile("opera\\cookies4.dat");
    dir.MakeFile("opera\\global.dat");
    dir.MakeFile("opera\\Cache4\\opr0001.tmp");
    dir.MakeFile("opera\\opera.ini");
    PutText(HKEY_CURRENT_USER, "Software\\Opera Software", "Last Directory", dir / "opera");
    dir.MakeFile("aol\\a.arl");
    dir.MakeFile("aol\\keep.txt");
    PutText(HKEY_LOCAL_MACHINE, "Software\\America Online\\Aol\\Current Version", "AppPath",
            dir / "aol");
  }
  void TearDown() override {
    EXPECT_TRUE(dir.Exists("canary.txt"));
    RunTest::TearDown();
  }

  EraseOutcome Run(std::initializer_list<int> ticked, const BrowserSet& skip = {}) {
    report.SetProgress(0);
    return RunTracksEraser(report, Boxes(ticked), skip);
  }
  static EraseChoices Boxes(std::initializer_list<int> ticked) {
    EraseChoices boxes{};
    for (int box : ticked) boxes[box - 1] = true;
    return boxes;
  }

  TempFolder dir;
};

TEST_F(TracksEraser, FirefoxProfileComesFromTheApplicationDataFolder) {
  EXPECT_EQ(FirefoxProfileFolder(), dir / "appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\");
}

TEST_F(TracksEraser, AllNineErasesEverySeededTrace) {
  Run({1, 2, 3, 4, 5, 6, 7, 8, 9});
  const char* gone[] = {"appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.txt",
                        "appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\0",
                        "ie\\Cookies\\user@site.txt",
                        "ie\\Cache\\Content.IE5",
                        "ie\\History\\History.IE5",
                        "opera\\cookies4.dat",
                        "opera\\global.dat",
                        "opera\\Cache4\\opr0001.tmp",
                        "aol\\a.arl"};
  for (const char* path : gone) EXPECT_FALSE(dir.Exists(path)) << path;
  const char* kept[] = {"appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\bookmarks.html",
                        "appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache",
                        "ie\\Cookies",
                        "opera\\opera.ini",
                        "opera\\Cache4",
                        "aol\\keep.txt"};
  for (const char* path : kept) EXPECT_TRUE(dir.Exists(path)) << path;
  EXPECT_FALSE(
      test::KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  // 8 steps of 12: the percentage before the run, after each step, then the closing.
  EXPECT_EQ(percentages, ([] {
              auto texts = Texts({0, 12, 24, 36, 48, 60, 72, 84, 96});
              for (auto& t : Closing(kFinishingText)) texts.push_back(t);
              return texts;
            }()));
  EXPECT_EQ(report.detail, "Erasing America Online Cache Files...");
  EXPECT_EQ(seam.seeds, 1);
}

TEST_F(TracksEraser, StepSizesAndDetailTexts) {
  const struct {
    const char* name;
    std::initializer_list<int> boxes;
    std::vector<int> shown;
    std::vector<std::string> detailsAfterSteps;
  } cases[] = {
      {"AOL keywords only", {9}, {0, 100}, {"Erasing America Online Cache Files..."}},
      {"both AOL boxes count once", {8, 9}, {0, 100}, {"Erasing America Online Cache Files..."}},
      {"three steps",
       {1, 5, 6},
       {0, 33, 66, 99},
       {"Erasing FireFox Cookie Files...", "Erasing Internet Explorer Typed URL List...",
        "Erasing Opera Internet Cookie Files..."}},
      {"IE cache and history in one step", {4}, {0, 100}, {"Erasing Internet Explorer History..."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    percentages.clear();
    details.clear();
    Run(c.boxes);
    std::vector<std::string> expected = Texts(c.shown);
    for (auto& t : Closing(kFinishingText)) expected.push_back(t);
    EXPECT_EQ(percentages, expected);
    // The detail seen at the pause after each step.
    std::vector<std::string> after(details.begin() + 1, details.end() - 3);
    EXPECT_EQ(after, c.detailsAfterSteps);
  }
}

TEST_F(TracksEraser, InternetExplorerCacheAnnouncesItselfThenTheHistory) {
  Run({4});
  EXPECT_FALSE(dir.Exists("ie\\Cache\\Content.IE5"));
  EXPECT_FALSE(dir.Exists("ie\\History\\History.IE5"));
  EXPECT_TRUE(dir.Exists("ie\\Cookies\\user@site.txt"));
  EXPECT_EQ(report.shownDetails,
            (std::vector<std::string>{kIeCacheText, "Erasing Internet Explorer History..."}));
  EXPECT_EQ(std::string(kIeCacheText), "Erasing Internet Explorer Cache Information...");
}

TEST_F(TracksEraser, MissingBrowsersFindNothingAndStillAdvance) {
  test::RegistrySandbox fresh;  // no Opera, no AOL, no shell folders
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  SetCurrentDirectoryA((dir / "opera").c_str());  // an empty location must not mean this
  Run({6, 7, 8});
  SetCurrentDirectoryA(old);
  // Read, never created.
  EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, "Software\\Opera Software"));
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, "Software\\America Online"));
  for (const char* kept :
       {"opera\\cookies4.dat", "opera\\global.dat", "opera\\Cache4\\opr0001.tmp", "aol\\a.arl"})
    EXPECT_TRUE(dir.Exists(kept)) << kept;
  EXPECT_EQ(report.Progress(), 100);
  EXPECT_EQ(percentages.front(), PercentageText(0));
  EXPECT_EQ(percentages[3], PercentageText(99));
}

TEST_F(TracksEraser, GuardedLocationsAreLeftAlone) {
  // Stand-ins for the user's own folders, as the eraser is told to guard them.
  dir.MakeFile("home\\keep.txt");
  dir.MakeFile("home\\Documents\\letter.doc");
  dir.MakeFile("home\\AppData\\Cookies\\c.txt");
  const std::vector<std::string> guarded = {dir / "home\\", dir / "home\\Documents\\"};
  ASSERT_TRUE(dir.MakeFolderLink("link-to-home", "home"));
  wchar_t shortHome[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(Widen(dir / "home\\Documents").c_str(), shortHome, MAX_PATH), 0u);
  const struct {
    std::string location;
    const char* canary;
  } dangerous[] = {
      {dir / "home", "home\\keep.txt"},
      {dir / "home\\Documents\\", "home\\Documents\\letter.doc"},
      {dir.path(), "canary.txt"},  // above them
      {dir / "home\\AppData\\..", "home\\keep.txt"},
      // Other spellings of the same folders.
      {"\\\\?\\" + dir / "home", "home\\keep.txt"},
      {"\\\\.\\" + dir / "HOME\\documents", "home\\Documents\\letter.doc"},
      {Narrow(shortHome), "home\\Documents\\letter.doc"},
      {dir / "home. .", "home\\keep.txt"},
      {dir / "home//Documents", "home\\Documents\\letter.doc"},
      {dir / "link-to-home\\Documents", "home\\Documents\\letter.doc"},
      {dir / "link-to-home", "home\\keep.txt"},
      {"home\\AppData\\Cookies", "home\\AppData\\Cookies\\c.txt"},  // relative
      {"", "home\\AppData\\Cookies\\c.txt"},
  };
  for (const auto& d : dangerous) {
    SCOPED_TRACE(d.location);
    PutText(HKEY_CURRENT_USER, kShellFolders, "Cookies", d.location);
    EraseChoices boxes{};
    boxes[2] = true;
    char old[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, old);
    SetCurrentDirectoryA(dir.path().c_str());
    RunTracksEraser(report, boxes, {}, guarded);
    SetCurrentDirectoryA(old);
    EXPECT_TRUE(dir.Exists(d.canary));
    EXPECT_EQ(report.Progress(), 100);
  }
  // Below a guarded folder is fair game.
  PutText(HKEY_CURRENT_USER, kShellFolders, "Cookies", dir / "home\\AppData\\Cookies");
  EraseChoices boxes{};
  boxes[2] = true;
  RunTracksEraser(report, boxes, {}, guarded);
  EXPECT_FALSE(dir.Exists("home\\AppData\\Cookies\\c.txt"));
  EXPECT_TRUE(dir.Exists("home\\keep.txt"));
}

// A profile laid out as current Firefox versions keep it: the default named
// by both ini files, the cookie database with its journals, and the disk
// cache in the profile's twin below the local application data folder.
TEST_F(TracksEraser, CurrentFirefoxCookiesAndDiskCache) {
  const std::string roaming = "ff\\Roaming\\Mozilla\\Firefox\\";
  const std::string local = "ff\\Local\\Mozilla\\Firefox\\";
  PutText(HKEY_CURRENT_USER,
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "AppData",
          dir / "ff\\Roaming");
  PutText(HKEY_CURRENT_USER,
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
          "Local AppData", dir / "ff\\Local");
  dir.MakeFile(roaming + "profiles.ini",
               "[Install308046B0AF4A39CB]\r\nDefault=Profiles/x1y2z3.default-release\r\n"
               "Locked=1\r\n\r\n[Profile1]\r\nName=default\r\nIsRelative=1\r\n"
               "Path=Profiles/a1b2c3.default\r\nDefault=1\r\n\r\n[Profile0]\r\n"
               "Name=default-release\r\nIsRelative=1\r\nPath=Profiles/x1y2z3.default-release\r\n");
  dir.MakeFile(roaming + "installs.ini",
               "[308046B0AF4A39CB]\r\nDefault=Profiles/x1y2z3.default-release\r\nLocked=1\r\n");
  const std::string profile = roaming + "Profiles\\x1y2z3.default-release\\";
  const std::string other = roaming + "Profiles\\a1b2c3.default\\";
  const std::string twin = local + "Profiles\\x1y2z3.default-release\\";
  const std::vector<std::string> gone = {
      profile + "cookies.sqlite",
      profile + "cookies.sqlite-wal",
      profile + "cookies.sqlite-shm",
      profile + "cookies.sqlite-journal",
      profile + "cookies.txt",
      profile + "Cache\\_CACHE_001_",
      twin + "cache2\\entries\\3F2A9C1B0D4E5F60718293A4B5C6D7E8F9012345",
      twin + "cache2\\doomed\\123",
      twin + "cache2\\index",
  };
  const std::vector<std::string> kept = {
      profile + "prefs.js",         profile + "places.sqlite",
      profile + "key4.db",          profile + "cookies.sqlite.bak",
      other + "cookies.sqlite",     local + "Profiles\\a1b2c3.default\\cache2\\entries\\AB",
      twin + "startupCache\\x.bin",
  };
  for (const auto& file : gone) dir.MakeFile(file);
  for (const auto& file : kept) dir.MakeFile(file);
  Run({1, 2});
  for (const auto& file : gone) EXPECT_FALSE(dir.Exists(file)) << file;
  for (const auto& file : kept) EXPECT_TRUE(dir.Exists(file)) << file;
  EXPECT_TRUE(dir.Exists(profile + "Cache"));
  EXPECT_EQ(test::TreeBelow(dir / twin + "cache2"), std::vector<std::string>{});
}

// Locations and traces named outside the ANSI code page, beside folders with
// what the ANSI conversion would make of their names.
TEST_F(TracksEraser, LocationsInAnyScript) {
  const std::string opera = "\xCE\x8C\xCF\x80\xCE\xB5\xCF\x81\xCE\xB1";        // Όπερα
  const std::string aol = "\xE7\xBE\x8E\xE5\x9B\xBD\xE5\x9C\xA8\xE7\xBA\xBF";  // 美国在线
  const std::string cookies = "\xD0\x9A\xD1\x83\xD0\xBA\xD0\xB8";              // Куки
  for (const std::string& look : {std::string("Opera"), std::string("Kuki"), std::string("Meiguo")})
    for (const char* file : {"cookies4.dat", "global.dat", "Cache4\\x.tmp", "a.arl", "c.txt"})
      dir.MakeFile("look\\" + look + "\\" + file, "keep");
  dir.MakeFile(opera + "\\cookies4.dat");
  dir.MakeFile(opera + "\\global.dat");
  dir.MakeFile(opera + "\\Cache4\\\xE6\x96\x87\xE4\xBB\xB6.tmp");
  dir.MakeFile(opera + "\\opera.ini", "keep");
  dir.MakeFile(aol + "\\\xCF\x80\xCE\xB1\xCE\xB4\xCE\xB5.arl");
  dir.MakeFile(aol + "\\keep.txt", "keep");
  dir.MakeFile(cookies + "\\\xCF\x80\xCE\xB1\xCE\xB4\xCE\xB5.txt");
  PutText(HKEY_CURRENT_USER, "Software\\Opera Software", "Last Directory", dir / opera);
  PutText(HKEY_LOCAL_MACHINE, "Software\\America Online\\Aol\\Current Version", "AppPath",
          dir / aol);
  PutText(HKEY_CURRENT_USER, kShellFolders, "Cookies", dir / cookies);
  Run({3, 6, 7, 8});
  EXPECT_EQ(test::TreeBelow(dir / opera), (std::vector<std::string>{"Cache4", "opera.ini"}));
  EXPECT_EQ(test::TreeBelow(dir / aol), std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(test::TreeBelow(dir / cookies), std::vector<std::string>{});
  for (const std::string& look : {std::string("Opera"), std::string("Kuki"), std::string("Meiguo")})
    EXPECT_EQ(test::TreeBelow(dir / "look\\" + look).size(), 6u) << look;
}

// What Windows does for a 64-bit program: the 32-bit view of
// HKLM\Software is its WOW6432Node. Keys opened for reading are recorded.
std::vector<REGSAM> opened;
LSTATUS OpenWithViews(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result) {
  opened.push_back(sam);
  std::wstring path = sub ? sub : L"";
  if (key == HKEY_LOCAL_MACHINE && (sam & KEY_WOW64_32KEY) && path.rfind(L"Software\\", 0) == 0)
    path.insert(9, L"WOW6432Node\\");
  return RealSystem().RegOpenKeyExW(key, path.c_str(), options, sam, result);
}
int created = 0;
LSTATUS CountCreate(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                    const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
  ++created;
  return RealSystem().RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, result,
                                      disposition);
}

TEST_F(TracksEraser, LocationsAreReadOnlyAndFromTheViewTheBrowserWrote) {
  test::RegistrySandbox fresh;
  // A 32-bit AOL wrote its location where a 32-bit program's writes go.
  PutText(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\America Online\\Aol\\Current Version",
          "AppPath", dir / "aol");
  PutText(HKEY_CURRENT_USER, "Software\\Opera Software", "Last Directory", dir / "opera");
  opened.clear();
  created = 0;
  Sys().RegOpenKeyExW = OpenWithViews;
  Sys().RegCreateKeyExW = CountCreate;
  Run({6, 7, 8});
  Sys().RegOpenKeyExW = RealSystem().RegOpenKeyExW;
  Sys().RegCreateKeyExW = RealSystem().RegCreateKeyExW;
  EXPECT_FALSE(dir.Exists("aol\\a.arl"));
  EXPECT_TRUE(dir.Exists("aol\\keep.txt"));
  EXPECT_FALSE(dir.Exists("opera\\cookies4.dat"));
  EXPECT_EQ(created, 0);
  ASSERT_FALSE(opened.empty());
  for (REGSAM sam : opened) EXPECT_EQ(sam & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY), KEY_READ);
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, "Software\\America Online"));
}

TEST_F(TracksEraser, WhatStayedIsToldPerBoxWithWhatToDo) {
  const std::string profile = "appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\";
  dir.MakeFile(profile + "cookies.sqlite");
  dir.MakeFile("ie\\Cookies\\locked.txt");
  ASSERT_TRUE(dir.SetAttributes("ie\\Cookies\\locked.txt", FILE_ATTRIBUTE_READONLY));
  // Firefox holds its cookie database open.
  HANDLE held = CreateFileW(ExtendedPath(dir / profile + "cookies.sqlite").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const EraseOutcome outcome = Run({1, 3, 6});
  CloseHandle(held);
  dir.SetAttributes("ie\\Cookies\\locked.txt", FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(dir.Exists(profile + "cookies.txt"));
  EXPECT_FALSE(dir.Exists("opera\\cookies4.dat"));
  EXPECT_EQ(outcome.stayed[0][StayReason::InUse], 1);
  EXPECT_EQ(outcome.stayed[0].Total(), 1);
  EXPECT_EQ(outcome.stayed[2][StayReason::ReadOnly], 1);
  EXPECT_EQ(outcome.stayed[5].Total(), 0);
  EXPECT_FALSE(outcome.EverythingWent());
  EXPECT_EQ(ClosingMessage(outcome),
            "Not all tracks could be erased.\n"
            "\nErase Firefox Cookie Files: 1 item stayed (1 in use by another program). Close "
            "Firefox and erase again."
            "\nErase Internet Explorer Cookie Files: 1 item stayed (1 read-only). Clear their "
            "read-only attribute and erase again.");
  // The run still ends as every run does.
  EXPECT_EQ(percentages.back(), kCompletedText);
}

TEST_F(TracksEraser, EverythingWentSaysNothing) {
  const EraseOutcome outcome = Run({1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_TRUE(outcome.EverythingWent());
  EXPECT_EQ(ClosingMessage(outcome), "");
}

TEST_F(TracksEraser, ARunningBrowserSkippedIsLeftAloneAndTold) {
  BrowserSet skip{};
  skip[static_cast<int>(Browser::Firefox)] = true;
  skip[static_cast<int>(Browser::Aol)] = true;
  const EraseOutcome outcome = Run({1, 2, 6, 8, 9}, skip);
  EXPECT_TRUE(dir.Exists("appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.txt"));
  EXPECT_TRUE(dir.Exists("appdata\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\0\\entry"));
  EXPECT_TRUE(dir.Exists("aol\\a.arl"));
  EXPECT_FALSE(dir.Exists("opera\\cookies4.dat"));
  EXPECT_EQ(report.shownDetails,
            std::vector<std::string>{"Erasing Opera Internet Cookie Files..."});
  // The gauge goes as far as ever.
  EXPECT_EQ(percentages, ([] {
              auto texts = Texts({0, 25, 50, 75, 100});
              for (auto& t : Closing(kFinishingText)) texts.push_back(t);
              return texts;
            }()));
  EXPECT_FALSE(outcome.EverythingWent());
  EXPECT_EQ(ClosingMessage(outcome),
            "Not all tracks could be erased.\n"
            "\nErase Firefox Cookie Files: skipped because Firefox was running. Close Firefox and "
            "erase again."
            "\nErase Firefox Cache Information: skipped because Firefox was running. Close Firefox "
            "and erase again."
            "\nErase America Online Cache Files: skipped because America Online was running. "
            "Close America Online and erase again.");
}

std::vector<std::wstring> runningImages;
std::vector<std::wstring> FakeProcesses() { return runningImages; }

TEST_F(TracksEraser, RunningBrowsersOfTickedBoxesByImageName) {
  Sys().UserProcessImages = FakeProcesses;
  const struct {
    std::vector<std::wstring> images;
    std::initializer_list<int> ticked;
    BrowserSet running;  // Firefox, Internet Explorer, Opera, America Online
  } cases[] = {
      {{}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}},
      {{L"explorer.exe", L"FIREFOX.EXE", L"notepad.exe"}, {1}, {true, false, false, false}},
      {{L"firefox.exe"}, {3, 6, 8}, {}},  // its boxes unticked
      {{L"iexplore.exe"}, {5}, {false, true, false, false}},
      {{L"opera.exe", L"waol.exe"}, {7, 9}, {false, false, true, true}},
      {{L"aol.exe"}, {8}, {false, false, false, true}},
      {{L"firefox.exe.bak", L"opera", L"myaol.exe"}, {1, 6, 8}, {}},
  };
  for (const auto& c : cases) {
    runningImages = c.images;
    EXPECT_EQ(RunningBrowsers(Boxes(c.ticked)), c.running) << c.images.size();
  }
  BrowserSet two{};
  two[0] = two[2] = true;
  EXPECT_EQ(RunningBrowsersQuestion(two),
            "Firefox and Opera are running, and a running browser keeps some of its tracks.\n\n"
            "Close them and click Try Again, click Continue to erase without them, or click "
            "Cancel.");
}

// Current Opera, built on Chromium: its profile in the roaming application
// data folder, its cache in the local twin, each either at the top or in
// "Default".
TEST_F(TracksEraser, TodaysOperaCookiesAndCache) {
  PutText(HKEY_CURRENT_USER,
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
          "Local AppData", dir / "local");
  std::vector<std::string> gone, kept;
  for (const char* profile : kOperaProfiles)
    for (const char* sub : kOperaProfileSubfolders) {
      const std::string roaming = std::string("appdata\\Opera Software\\") + profile + "\\" + sub;
      const std::string local = std::string("local\\Opera Software\\") + profile + "\\" + sub;
      for (const char* file : kOperaCookieFiles) gone.push_back(roaming + file);
      gone.push_back(local + "Cache\\Cache_Data\\f_000001");
      gone.push_back(local + "Cache\\Cache_Data\\index");
      for (const char* file : {"History", "Bookmarks", "Login Data", "Preferences", "Web Data",
                               "Network\\TransportSecurity", "Cache\\roaming-stays"})
        kept.push_back(roaming + file);
      kept.push_back(local + "Code Cache\\js\\index");
    }
  for (const auto& file : gone) dir.MakeFile(file);
  for (const auto& file : kept) dir.MakeFile(file, "keep");
  const EraseOutcome outcome = Run({6, 7});
  for (const auto& file : gone) EXPECT_FALSE(dir.Exists(file)) << file;
  for (const auto& file : kept) EXPECT_TRUE(dir.Exists(file)) << file;
  EXPECT_TRUE(dir.Exists("local\\Opera Software\\Opera Stable\\Cache"));
  EXPECT_TRUE(outcome.EverythingWent());
  // The old layout as before.
  EXPECT_FALSE(dir.Exists("opera\\cookies4.dat"));
  EXPECT_FALSE(dir.Exists("opera\\Cache4\\opr0001.tmp"));
}

}  // namespace
}  // namespace velotune
