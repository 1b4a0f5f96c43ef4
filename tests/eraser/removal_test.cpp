#include "eraser/removal.h"

#include <gtest/gtest.h>

#include <set>

#include "support/seam_recorder.h"
#include "support/temp_folder.h"

namespace velotune {
namespace {

using test::TempFolder;

// Every entry below a folder, as relative paths.
std::set<std::string> Contents(const std::string& folder, const std::string& prefix = "") {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    names.insert(prefix + name);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      for (const auto& inner : Contents(folder + name + "\\", prefix + name + "\\"))
        names.insert(inner);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

class RemovalTest : public testing::Test {
 protected:
  void SetUp() override {
    dir.MakeFile("canary.txt", "keep");  // beside the tree, never inside it
    dir.MakeFolder("tree");
  }
  void TearDown() override { EXPECT_TRUE(dir.Exists("canary.txt")); }
  std::string tree() const { return dir / "tree"; }
  test::SeamRecorder seam;
  TempFolder dir;
};

TEST_F(RemovalTest, EmptiesAWholeTreeAndKeepsTheTopFolder) {
  dir.MakeFile("tree\\a.txt");
  dir.MakeFile("tree\\.dotfile");
  dir.MakeFile("tree\\sub\\b.txt");
  dir.MakeFile("tree\\sub\\deeper\\c.txt");
  dir.MakeFolder("tree\\emptysub");
  SetFileAttributesA((dir / "tree\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(RemoveFolderContents(tree()));
  EXPECT_TRUE(dir.Exists("tree"));
  EXPECT_EQ(Contents(tree() + "\\"), std::set<std::string>{});
  EXPECT_TRUE(seam.boxes.empty());
}

TEST_F(RemovalTest, ReadOnlyFileKeepsItselfAndTheFoldersAboveIt) {
  dir.MakeFile("tree\\x\\y\\locked.txt");
  dir.MakeFile("tree\\x\\y\\free.txt");
  dir.MakeFile("tree\\x\\other.txt");
  dir.MakeFile("tree\\z\\gone.txt");
  ASSERT_TRUE(
      SetFileAttributesA((dir / "tree\\x\\y\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveFolderContents(tree());
  EXPECT_EQ(Contents(tree() + "\\"), (std::set<std::string>{"x", "x\\y", "x\\y\\locked.txt"}));
  SetFileAttributesA((dir / "tree\\x\\y\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RemovalTest, DotFoldersAreNotEntered) {
  dir.MakeFile("tree\\.keep\\inside.txt");
  dir.MakeFolder("tree\\.empty");
  dir.MakeFile("tree\\plain.txt");
  RemoveFolderContents(tree());
  EXPECT_EQ(Contents(tree() + "\\"), (std::set<std::string>{".keep", ".keep\\inside.txt"}));
}

TEST_F(RemovalTest, FolderEmptyAtTheStartGoesMissingFolderIsNothing) {
  EXPECT_TRUE(RemoveFolderContents(tree()));
  EXPECT_FALSE(dir.Exists("tree"));
  EXPECT_TRUE(RemoveFolderContents(dir / "nowhere"));
  EXPECT_TRUE(RemoveArlFiles(dir / "nowhere"));
  EXPECT_TRUE(seam.boxes.empty());
}

TEST_F(RemovalTest, EmptyNameNeverMeansTheCurrentFolder) {
  dir.MakeFile("tree\\here.txt");
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryA(tree().c_str()));
  for (const char* empty : {"", "  ", "\t"}) {
    EXPECT_TRUE(RemoveFolderContents(empty));
    EXPECT_TRUE(RemoveArlFiles(empty));
  }
  SetCurrentDirectoryA(old);
  EXPECT_TRUE(dir.Exists("tree\\here.txt"));
}

TEST_F(RemovalTest, LinksAreNeverFollowed) {
  dir.MakeFile("outside\\precious.txt", "keep");
  dir.MakeFile("outside\\nested\\more.txt", "keep");
  dir.MakeFile("tree\\sub\\plain.txt");
  ASSERT_TRUE(dir.MakeFolderLink("tree\\sub\\link", "outside"));
  ASSERT_TRUE(dir.MakeFolderLink("tree\\.dotlink", "outside"));
  ASSERT_TRUE(dir.MakeFolderLink("toplink", "outside"));
  RemoveFolderContents(tree());
  // A location that is itself a link, with and without its backslash.
  RemoveFolderContents(dir / "toplink");
  RemoveFolderContents(dir / "toplink\\");
  RemoveArlFiles(dir / "toplink");
  EXPECT_EQ(Contents(dir / "outside\\"),
            (std::set<std::string>{"precious.txt", "nested", "nested\\more.txt"}));
  EXPECT_FALSE(dir.Exists("tree\\sub\\plain.txt"));
}

TEST_F(RemovalTest, ArlFilesOnly) {
  dir.MakeFile("tree\\a.arl");
  dir.MakeFile("tree\\b.txt");
  dir.MakeFile("tree\\sub\\c.arl");
  dir.MakeFile("tree\\x.arl\\y.arl");
  dir.MakeFile("tree\\x.arl\\z.txt");
  EXPECT_TRUE(RemoveArlFiles(tree()));
  EXPECT_EQ(Contents(tree() + "\\"),
            (std::set<std::string>{"b.txt", "sub", "sub\\c.arl", "x.arl", "x.arl\\z.txt"}));
}

}  // namespace
}  // namespace velotune
