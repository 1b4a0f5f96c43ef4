#include "eraser/removal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/folders.h"
#include "platform/text.h"
#include "support/seam_recorder.h"
#include "support/temp_folder.h"

namespace velotune {
namespace {

using test::TempFolder;
using Names = std::vector<std::string>;

class RemovalTest : public testing::Test {
 protected:
  void SetUp() override {
    dir.MakeFile("canary.txt", "keep");  // beside the tree, never inside it
    dir.MakeFolder("tree");
  }
  void TearDown() override { EXPECT_EQ(dir.Read("canary.txt"), "keep"); }
  std::string tree() const { return dir / "tree"; }
  Names Left() const { return test::TreeBelow(tree()); }
  test::SeamRecorder seam;
  TempFolder dir;
  const EraseGuard guard = EraseGuard::ForThisUser();
};

TEST_F(RemovalTest, EmptiesAWholeTreeAndKeepsTheTopFolder) {
  dir.MakeFile("tree\\a.txt");
  dir.MakeFile("tree\\.dotfile");
  dir.MakeFile("tree\\sub\\b.txt");
  dir.MakeFile("tree\\sub\\deeper\\c.txt");
  dir.MakeFolder("tree\\emptysub");
  dir.SetAttributes("tree\\sub\\b.txt", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(RemoveFolderContents(guard, tree()));
  EXPECT_TRUE(dir.Exists("tree"));
  EXPECT_EQ(Left(), Names{});
  EXPECT_TRUE(seam.boxes.empty());
}

TEST_F(RemovalTest, ReadOnlyFileKeepsItselfAndTheFoldersAboveIt) {
  dir.MakeFile("tree\\x\\y\\locked.txt");
  dir.MakeFile("tree\\x\\y\\free.txt");
  dir.MakeFile("tree\\x\\other.txt");
  dir.MakeFile("tree\\z\\gone.txt");
  ASSERT_TRUE(dir.SetAttributes("tree\\x\\y\\locked.txt", FILE_ATTRIBUTE_READONLY));
  RemoveFolderContents(guard, tree());
  EXPECT_EQ(Left(), (Names{"x", "x\\y", "x\\y\\locked.txt"}));
  dir.SetAttributes("tree\\x\\y\\locked.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RemovalTest, DotFoldersAreNotEntered) {
  dir.MakeFile("tree\\.keep\\inside.txt");
  dir.MakeFolder("tree\\.empty");
  dir.MakeFile("tree\\plain.txt");
  RemoveFolderContents(guard, tree());
  EXPECT_EQ(Left(), (Names{".keep", ".keep\\inside.txt"}));
}

TEST_F(RemovalTest, FolderEmptyAtTheStartGoesMissingFolderIsNothing) {
  EXPECT_TRUE(RemoveFolderContents(guard, tree()));
  EXPECT_FALSE(dir.Exists("tree"));
  EXPECT_TRUE(RemoveFolderContents(guard, dir / "nowhere"));
  EXPECT_TRUE(RemoveArlFiles(guard, dir / "nowhere"));
  EXPECT_TRUE(seam.boxes.empty());
}

TEST_F(RemovalTest, EmptyOrRelativeNameNeverMeansTheCurrentFolder) {
  dir.MakeFile("tree\\here.txt");
  dir.MakeFile("tree\\sub\\there.txt");
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryA(tree().c_str()));
  for (const char* name : {"", "  ", "\t", ".", "sub", ".\\sub", "\\"}) {
    EXPECT_TRUE(RemoveFolderContents(guard, name)) << name;
    EXPECT_TRUE(RemoveArlFiles(guard, name)) << name;
    EraseFile(guard, name, "here.txt");
  }
  SetCurrentDirectoryW(old);
  EXPECT_EQ(Left(), (Names{"here.txt", "sub", "sub\\there.txt"}));
}

TEST_F(RemovalTest, ArlFilesOnly) {
  dir.MakeFile("tree\\a.arl");
  dir.MakeFile("tree\\b.txt");
  dir.MakeFile("tree\\sub\\c.arl");
  dir.MakeFile("tree\\x.arl\\y.arl");
  dir.MakeFile("tree\\x.arl\\z.txt");
  EXPECT_TRUE(RemoveArlFiles(guard, tree()));
  EXPECT_EQ(Left(), (Names{"b.txt", "sub", "sub\\c.arl", "x.arl", "x.arl\\z.txt"}));
}

// Names from several scripts, one with a character outside the basic plane,
// and a path longer than MAX_PATH.
const std::string kGreek = "\xCF\x80\xCE\xB1\xCE\xB4\xCE\xB5.txt";              // παδε.txt
const std::string kCyrillic = "\xD0\xBA\xD1\x8D\xD1\x88";                       // кэш
const std::string kCjk = "\xE7\xBC\x93\xE5\xAD\x98\\\xE6\x96\x87\xE4\xBB\xB6";  // 缓存\文件
const std::string kEmoji = "\xF0\x9F\x8D\xAA.dat";                              // cookie emoji

constexpr int kCacheEntries = 90;
constexpr int kLinkedEntries[] = {0, 41, 89};

std::string CacheEntry(int i) {
  char name[24];
  std::snprintf(name, sizeof name, "%08X%08X", i * 2654435761u, i);
  return name;
}

std::string DeepFolder() {
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += "folder-number-" + std::to_string(i) + "-of-a-deep-cache\\";
  return deep;
}

// A tree as caches hold them, with every hazard at once: names outside the
// code page, a path past MAX_PATH, hidden, system and read-only files, and a
// folder link and a file link leading to canaries outside the tree.
class HostileTree : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    // Outside a UTF-8 locale Wine stores such names mangled.
    dir.MakeFile(kGreek);
    ASSERT_EQ(test::TreeBelow(dir.path()), (Names{"canary.txt", "tree", kGreek}))
        << "names do not survive: run Wine with LANG=C.UTF-8";
  }
  void Seed(const std::string& top) {
    dir.MakeFile("outside\\precious.txt", "keep");
    dir.MakeFile("outside\\nested\\more.txt", "keep");
    dir.MakeFile("outside-file.txt", "keep");
    dir.MakeFile("outside\\pade.txt", "keep");  // what "παδε.txt" looks like in ANSI
    dir.MakeFile(top + "\\" + kGreek);
    dir.MakeFile(top + "\\" + kCyrillic + "\\" + kEmoji);
    dir.MakeFile(top + "\\" + kCjk);
    deepFile = top + "\\" + DeepFolder() + "deep.txt";
    dir.MakeFile(deepFile);
    ASSERT_GT((dir / deepFile).size(), 320u);
    dir.MakeFile(top + "\\hidden.txt");
    dir.MakeFile(top + "\\system.txt");
    dir.MakeFile(top + "\\ro\\readonly.txt");
    ASSERT_TRUE(dir.SetAttributes(top + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(dir.SetAttributes(top + "\\system.txt", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(dir.SetAttributes(top + "\\ro\\readonly.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(dir.MakeFolderLink(top + "\\" + kCyrillic + "\\folder-link", "outside"));
    ASSERT_TRUE(dir.MakeFileLink(top + "\\" + kCyrillic + "\\file-link.txt", "outside-file.txt"));
    ASSERT_TRUE(dir.MakeFileLink(top + "\\deep-link\\" + DeepFolder() + "link.txt",
                                 "outside\\precious.txt"));
    // A cache folder as browsers fill them, big enough to be shared out
    // among several deleting threads, with links among its entries.
    for (int i = 0; i < kCacheEntries; ++i) dir.MakeFile(top + "\\entries\\" + CacheEntry(i));
    for (int i : kLinkedEntries)
      ASSERT_TRUE(
          dir.MakeFileLink(top + "\\entries\\" + CacheEntry(i) + "-link", "outside\\precious.txt"));
  }
  void ExpectOnlySurvivors(const std::string& top) {
    EXPECT_FALSE(dir.Exists(deepFile));
    // The links themselves are never deleted, so their folders stay; the
    // read-only file stays as well.
    Names expected = {"ro", "ro\\readonly.txt", kCyrillic, kCyrillic + "\\folder-link",
                      kCyrillic + "\\file-link.txt"};
    std::string sofar = "deep-link";
    expected.push_back(sofar);
    const std::string deep = DeepFolder();
    for (size_t from = 0, to; (to = deep.find('\\', from)) != std::string::npos; from = to + 1)
      expected.push_back(sofar += "\\" + deep.substr(from, to - from));
    expected.push_back(sofar + "\\link.txt");
    expected.push_back("entries");
    for (int i : kLinkedEntries) expected.push_back("entries\\" + CacheEntry(i) + "-link");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::TreeBelow(dir / top), expected);
    for (const char* canary : {"outside\\precious.txt", "outside\\nested\\more.txt",
                               "outside-file.txt", "outside\\pade.txt"})
      EXPECT_EQ(dir.Read(canary), "keep") << canary;
    dir.SetAttributes(top + "\\ro\\readonly.txt", FILE_ATTRIBUTE_NORMAL);
  }
  std::string deepFile;
};

TEST_F(HostileTree, EveryTraceGoesEveryCanaryAndLinkTargetStays) {
  Seed("tree");
  EXPECT_TRUE(RemoveFolderContents(guard, tree()));
  ExpectOnlySurvivors("tree");
  EXPECT_TRUE(seam.boxes.empty());
}

TEST_F(HostileTree, ThroughALocationWhoseOwnNameIsOutsideTheCodePage) {
  const std::string top =
      "\xCE\xA0\xCF\x81\xCF\x8C\xCF\x87\xCE\xB5\xCE\xB9\xCF\x81\xCE\xBF "
      "\xE7\xBC\x93\xE5\xAD\x98";  // Πρόχειρο 缓存
  Seed(top);
  EXPECT_TRUE(RemoveFolderContents(guard, dir / top));
  ExpectOnlySurvivors(top);
}

TEST_F(RemovalTest, LinksAreNeverEnteredNorRemoved) {
  dir.MakeFile("outside\\precious.txt", "keep");
  dir.MakeFolder("outside\\empty");
  dir.MakeFile("tree\\sub\\plain.txt");
  ASSERT_TRUE(dir.MakeFolderLink("tree\\sub\\link", "outside"));
  ASSERT_TRUE(dir.MakeFolderLink("tree\\.dotlink", "outside"));
  // Wine removes the target of a link to an empty folder along with the link.
  ASSERT_TRUE(dir.MakeFolderLink("tree\\emptylink", "outside\\empty"));
  ASSERT_TRUE(dir.MakeFolderLink("toplink", "outside"));
  RemoveFolderContents(guard, tree());
  // A location that is itself a link, with and without its backslash.
  RemoveFolderContents(guard, dir / "toplink");
  RemoveFolderContents(guard, dir / "toplink\\");
  RemoveArlFiles(guard, dir / "toplink");
  EraseFile(guard, dir / "toplink", "precious.txt");
  EXPECT_EQ(test::TreeBelow(dir / "outside"), (Names{"empty", "precious.txt"}));
  EXPECT_EQ(Left(), (Names{".dotlink", "emptylink", "sub", "sub\\link"}));
}

TEST_F(RemovalTest, EraseFileDeletesOnlyThatFileAndNeverThroughALink) {
  dir.MakeFile("tree\\cookies.txt");
  dir.MakeFile("tree\\Cookies4.DAT");
  dir.MakeFile("tree\\other.txt");
  dir.MakeFile("tree\\folder.txt\\inside.txt");
  dir.MakeFile("target.txt", "keep");
  ASSERT_TRUE(dir.MakeFileLink("tree\\global.dat", "target.txt"));
  for (const char* name :
       {"cookies.txt", "cookies4.dat", "global.dat", "folder.txt", "*.txt", "..\\canary.txt", ""})
    EraseFile(guard, tree(), name);
  EXPECT_EQ(Left(), (Names{"folder.txt", "folder.txt\\inside.txt", "global.dat", "other.txt"}));
  EXPECT_EQ(dir.Read("target.txt"), "keep");
}

TEST(MatchesMask, LongNamesAgainstTheMask) {
  const struct {
    const wchar_t* name;
    const wchar_t* mask;
    bool matches;
  } cases[] = {
      {L"a.arl", L"*.arl", true},      {L"B.ARL", L"*.arl", true},
      {L".arl", L"*.arl", true},       {L"x.y.arl", L"*.arl", true},
      {L"keep.arlx", L"*.arl", false}, {L"notes.arl_old", L"*.arl", false},
      {L"arl", L"*.arl", false},       {L"a.arl.txt", L"*.arl", false},
      {L"no-dot", L"*.*", true},       {L"a.b", L"?.b", true},
      {L"ab.b", L"?.b", false},        {L"trace.", L"*.*", true},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name;
}

// Under Wine, as on NTFS, the listing's "*.arl" also matches the short
// names of these (KEEP~1.ARL and the like).
TEST_F(RemovalTest, ArlMaskLooksAtTheLongNameOnly) {
  dir.MakeFile("tree\\a.arl");
  dir.MakeFile("tree\\keep.arlx", "keep");
  dir.MakeFile("tree\\notes.arl_old", "keep");
  dir.MakeFile("tree\\box.arlx\\inner.arl", "keep");
  dir.MakeFile("tree\\in.arl\\x.arl");
  dir.MakeFile("tree\\in.arl\\keep.arlx", "keep");
  EXPECT_TRUE(RemoveArlFiles(guard, tree()));
  EXPECT_EQ(Left(), (Names{"box.arlx", "box.arlx\\inner.arl", "in.arl", "in.arl\\keep.arlx",
                           "keep.arlx", "notes.arl_old"}));
}

// Legal on NTFS, and reachable only through "\\?\" paths.
TEST_F(RemovalTest, NamesEndingInADotOrASpaceGo) {
  const std::wstring top = L"\\\\?\\" + Widen(tree()) + L"\\";
  ASSERT_TRUE(CreateDirectoryW((top + L"sub.").c_str(), nullptr));
  const wchar_t* files[] = {L"trace.", L"trace ", L"sub.\\t."};
  for (const wchar_t* file : files) {
    HANDLE made = CreateFileW((top + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE) << Narrow(file);
    CloseHandle(made);
  }
  // (The listing helper does not enter "sub.", but the removal must.)
  ASSERT_EQ(Left(), (Names{"sub.", "trace ", "trace."}));
  StayCounts stayed;
  EXPECT_TRUE(RemoveFolderContents(guard, tree(), &stayed));
  EXPECT_EQ(Left(), Names{});
  EXPECT_EQ(stayed.Total(), 0);
}

TEST_F(RemovalTest, WhatStaysIsCountedWithItsReason) {
  dir.MakeFile("tree\\locked.txt");
  dir.MakeFile("tree\\sub\\held.txt");
  dir.MakeFile("tree\\sub\\free.txt");
  dir.MakeFile("tree\\free.txt");
  ASSERT_TRUE(dir.SetAttributes("tree\\locked.txt", FILE_ATTRIBUTE_READONLY));
  // Another program holds it open without sharing deletion.
  HANDLE held = CreateFileW(ExtendedPath(dir / "tree\\sub\\held.txt").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  StayCounts stayed;
  RemoveFolderContents(guard, tree(), &stayed);
  CloseHandle(held);
  EXPECT_EQ(Left(), (Names{"locked.txt", "sub", "sub\\held.txt"}));
  EXPECT_EQ(stayed[StayReason::ReadOnly], 1);
  EXPECT_EQ(stayed[StayReason::InUse], 1);
  EXPECT_EQ(stayed.Total(), 2);  // the folder that holds one is not counted again
  dir.SetAttributes("tree\\locked.txt", FILE_ATTRIBUTE_NORMAL);
}

// Runs on a thread that asks for a small stack. Wine gives threads no less
// than its default stack, and its Unix paths end near 2,000 levels, so the
// crash of a walk whose stack grows with the depth cannot be shown here; this
// shows that the walk empties a deep tree.
DWORD WINAPI RemoveOnSmallStack(void* folder) {
  const EraseGuard guard = EraseGuard::ForThisUser();
  return RemoveFolderContents(guard, *static_cast<const std::string*>(folder)) ? 0 : 1;
}

TEST_F(RemovalTest, DeepTreeOnASmallStack) {
  // As deep as Wine's Unix paths allow; the stack holds far fewer levels.
  constexpr int kDepth = 300;
  std::wstring path = L"\\\\?\\" + Widen(tree());
  for (int level = 0; level < kDepth; ++level) {
    path += L"\\d";
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << level;
  }
  HANDLE file = CreateFileW((path + L"\\f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  std::string folder = tree();
  HANDLE thread = CreateThread(nullptr, 64 * 1024, RemoveOnSmallStack, &folder,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  DWORD result = 1;
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(Left(), Names{});
}

TEST_F(RemovalTest, FlatFolderLargerThanOneBatch) {
  constexpr int kFiles = 4096 + 300;
  for (int i = 0; i < kFiles; ++i) dir.MakeFile("tree\\" + CacheEntry(i));
  dir.MakeFile("tree\\sub\\last.txt");
  EXPECT_TRUE(RemoveFolderContents(guard, tree()));
  EXPECT_EQ(Left(), Names{});
}

}  // namespace
}  // namespace velotune
