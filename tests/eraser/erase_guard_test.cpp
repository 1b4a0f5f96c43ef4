#include "eraser/erase_guard.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>

#include "platform/folders.h"
#include "platform/text.h"
#include "support/temp_folder.h"

namespace velotune {
namespace {

using test::TempFolder;

std::string Upper(std::string s) {
  std::wstring w = Widen(s);
  std::transform(w.begin(), w.end(), w.begin(), [](wchar_t c) { return towupper(c); });
  return Narrow(w);
}

std::string Replace(std::string s, const std::string& from, const std::string& to, size_t start) {
  for (size_t at = s.find(from, start); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string ShortName(const std::string& path) {
  const std::wstring wide = Widen(path);
  std::wstring shortName(2048, L'\0');
  const DWORD got = GetShortPathNameW(wide.c_str(), shortName.data(), 2048);
  return got > 0 && got < 2048 ? Narrow(shortName.substr(0, got)) : std::string();
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t"), last = s.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

// What the folder is, read from a handle opened on the text as given (links
// followed): a spelling counts only when it really names the folder.
std::optional<FileIdentity> IdentityOf(const std::string& spelling) {
  HANDLE file = CreateFileW(Widen(spelling).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  EntryFacts facts;
  const bool read = ReadFacts(file, facts);
  CloseHandle(file);
  return read ? std::optional(facts.identity) : std::nullopt;
}

// A share "\\localhost\<name>" for drive C: or another folder, as Wine maps
// shares to folders of the prefix; gone with the object.
class LocalShare {
 public:
  explicit LocalShare(const std::string& folder = "C:\\", const std::string& tag = "") {
    // Drive C: shows as "<prefix>/dosdevices/c:".
    const std::string driveC = test::UnixPath("C:\\");
    const size_t devices = driveC.rfind("/dosdevices/");
    if (devices == std::string::npos) return;
    const std::string unc = driveC.substr(0, devices) + "/dosdevices/unc/localhost";
    name_ = "velotune-test-" + tag + std::to_string(GetCurrentProcessId());
    link_ = unc + "/" + name_;
    ok_ = test::RunUnix(
        "/bin/sh -c \"mkdir -p '" + unc + "' && ln -s -n '" + test::UnixPath(folder) + "' '" +
            link_ + "'\"",
        [](const std::string& share) {
          return GetFileAttributesW(Widen(share).c_str()) != INVALID_FILE_ATTRIBUTES;
        },
        "\\\\localhost\\" + name_ + "\\.");
  }
  const std::string& name() const { return name_; }
  ~LocalShare() {
    if (!link_.empty())
      test::RunUnix(
          "/bin/rm -f -- \"" + link_ + "\"",
          [](const std::string& link) {
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW(Widen(link).c_str(), &data);
            if (find != INVALID_HANDLE_VALUE) FindClose(find);
            return find == INVALID_HANDLE_VALUE;
          },
          "Z:" + link_);
  }
  bool ok() const { return ok_; }
  // The share's spelling of a path on drive C:, or "" for another drive.
  std::string Of(const std::string& path, bool extended) const {
    if (path.size() < 2 || (path[0] != 'C' && path[0] != 'c') || path[1] != ':') return "";
    return (extended ? "\\\\?\\UNC\\localhost\\" : "\\\\localhost\\") + name_ + path.substr(2);
  }

 private:
  std::string name_, link_;
  bool ok_ = false;
};

// Every way the table spells a folder: prefixes, case, separators, dots,
// short names, a share and a link on the way.
std::vector<std::string> Spellings(const std::string& path, const LocalShare& share,
                                   TempFolder& links) {
  std::vector<std::string> s = {path,
                                Upper(path),
                                "\\\\?\\" + path,
                                "\\\\.\\" + path,
                                Replace(path, "\\", "/", 0),
                                Replace(path, "\\", "\\\\", 3),
                                Replace(path, "\\", "/\\/", 3),
                                path + "\\",
                                path + ".",
                                path + " . .",
                                path + "\\.",
                                path + "\\.\\.",
                                path + "\\not-there\\..",
                                "  " + path + "\t"};
  const std::string shortName = ShortName(path);
  if (!shortName.empty() && shortName != path) {
    s.push_back(shortName);
    s.push_back("\\\\?\\" + shortName);
  }
  for (bool extended : {false, true})
    if (const std::string viaShare = share.Of(path, extended); !viaShare.empty())
      s.push_back(viaShare);
  const size_t last = path.rfind('\\');
  if (last != std::string::npos && last + 1 < path.size()) {
    const std::string name = "link-" + std::to_string(s.size()) + "-" + std::to_string(rand());
    if (links.MakeFolderLinkTo(name, path.substr(0, last + 1)))
      s.push_back(links / name + "\\" + path.substr(last + 1));
  }
  return s;
}

class EraseGuardTest : public testing::Test {
 protected:
  const EraseGuard guard = EraseGuard::ForThisUser();
  LocalShare share;
  TempFolder links;
};

TEST_F(EraseGuardTest, EverySpellingOfAGuardedFolderIsRefused) {
  ASSERT_TRUE(share.ok());
  std::vector<std::string> folders = EraseGuard::KnownFolders();
  const std::string profile = SpecialFolderPath(CSIDL_PROFILE);
  ASSERT_FALSE(profile.empty());
  // Folders above guarded ones.
  folders.push_back(profile.substr(0, profile.rfind('\\')));
  folders.push_back(profile + "\\AppData");
  for (const std::string& folder : folders) {
    const auto identity = IdentityOf(folder);
    ASSERT_TRUE(identity) << folder;
    for (const std::string& spelling : Spellings(folder, share, links)) {
      EXPECT_EQ(IdentityOf(Trimmed(spelling)), identity) << spelling << " does not name " << folder;
      EXPECT_FALSE(guard.Allows(spelling)) << spelling;
    }
  }
}

TEST_F(EraseGuardTest, DriveAndShareRootsAreRefusedHoweverSpelled) {
  ASSERT_TRUE(share.ok());
  const std::string viaShare = share.Of("C:", false), viaUnc = share.Of("C:", true);
  const std::string roots[] = {
      "C:\\",
      "c:/",
      "C:\\.",
      "\\\\?\\C:\\",
      "\\\\.\\C:\\",
      "C:\\windows\\..",
      "C:\\users\\..\\.",
      "C:\\\\",
      "Z:\\",
      "\\\\?\\Z:\\",
      "Z:\\tmp\\..",
      viaShare,
      viaShare + "\\",
      viaUnc,
      viaUnc + "\\",
      viaShare + "\\windows\\..",
      ShortName("C:\\Program Files") + "\\..",
  };
  for (const std::string& root : roots) {
    ASSERT_TRUE(IdentityOf(root)) << root << " names nothing";
    EXPECT_FALSE(guard.Allows(root)) << root;
  }
}

TEST_F(EraseGuardTest, NothingThatIsNotAPlainFolderIsAllowed) {
  TempFolder dir;
  dir.MakeFile("cache\\file.txt");
  ASSERT_TRUE(dir.MakeFolderLink("link", "cache"));
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryW(ExtendedPath(dir.path()).c_str()));
  const std::string refused[] = {
      "",
      "   ",
      "cache",
      ".\\cache",
      "\\cache",
      "C:cache",  // empty or relative
      dir / "missing",
      dir / "cache\\file.txt",  // nothing, or a file
      dir / "link",
      dir / "link\\",
      dir / "link\\.",  // a link itself
      dir / "cach?",
      dir / "*",
      dir / "cache\\*",  // wildcards
  };
  for (const std::string& location : refused) EXPECT_FALSE(guard.Allows(location)) << location;
  SetCurrentDirectoryW(old);
  EXPECT_TRUE(guard.Allows(dir / "cache"));
}

TEST_F(EraseGuardTest, CacheFoldersInsideTheProfileAreAllowedInAnySpelling) {
  // Laid out as browsers keep them, in real folders of this profile.
  const std::string unique = "velotune-guard-test-" + std::to_string(GetCurrentProcessId());
  const std::string roaming = SpecialFolderPath(CSIDL_APPDATA) + "\\" + unique;
  const std::string local = SpecialFolderPath(CSIDL_LOCAL_APPDATA) + "\\" + unique;
  const std::string made[] = {
      roaming + "\\Mozilla\\Firefox\\Profiles\\abc.default-release\\Cache",
      local + "\\Mozilla\\Firefox\\Profiles\\abc.default-release\\cache2",
      local + "\\Microsoft\\Windows\\INetCache",
      roaming + "\\\xCE\xA0\xCF\x81\xCF\x8C\xCF\x87\xCE\xB5\xCE\xB9\xCF\x81\xCE\xBF",  // Πρόχειρο
  };
  struct Cleanup {
    std::string roaming, local;
    ~Cleanup() {
      test::RemoveTreeForTest(roaming);
      test::RemoveTreeForTest(local);
    }
  } cleanup{roaming, local};
  for (const std::string& folder : made)
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, Widen(folder).c_str(), nullptr), ERROR_SUCCESS)
        << folder;
  for (const std::string& folder : made)
    for (const std::string& spelling : Spellings(folder, share, links)) {
      ASSERT_TRUE(IdentityOf(Trimmed(spelling))) << spelling;
      const auto opened = guard.Open(spelling);
      ASSERT_TRUE(opened) << spelling;
      EXPECT_EQ(IdentityOf(Narrow(opened->path)), IdentityOf(folder)) << spelling;
    }
}

// Documents may be a link (a junction on Windows) to a folder elsewhere, say
// D:\Sync\Documents: the folders above that target are guarded too.
TEST(EraseGuardLinks, FoldersAboveAGuardedLinksTargetAreGuarded) {
  TempFolder dir;
  dir.MakeFile("sync\\Documents\\letter.doc");
  dir.MakeFile("sync\\Other\\cache.tmp");
  ASSERT_TRUE(dir.MakeFolderLink("home\\Documents", "sync\\Documents"));
  const EraseGuard guard = EraseGuard::ForThisUser({dir / "home\\Documents"});
  for (const std::string& refused : {dir / "sync", dir / "sync\\Documents", dir / "home"})
    EXPECT_FALSE(guard.Allows(refused)) << refused;
  EXPECT_TRUE(guard.Allows(dir / "sync\\Other"));
}

}  // namespace
}  // namespace velotune
