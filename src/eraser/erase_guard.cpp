#include "eraser/erase_guard.h"

#include <shlobj.h>

#include <algorithm>
#include <cwctype>

#include "eraser/folder_name.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace velotune {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "X:\" or "\\" (a share, or a "\\?\" or "\\.\" path); forward slashes too.
bool IsAbsolute(const std::wstring& path) {
  if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2])) return true;
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

// Wildcards would make a listing below the location match other folders.
bool HasWildcards(const std::wstring& path) {
  const size_t from = path.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
  return path.find_first_of(L"*?<>\"|", from) != std::wstring::npos;
}

// Length of the root part of an extended path: "\\?\X:\", "\\.\X:\" or
// "\\?\UNC\server\share\"; 0 when there is none.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 7 && (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) &&
      path[5] == L':' && path[6] == L'\\')
    return 7;
  if (path.rfind(L"\\\\?\\UNC\\", 0) != 0) return 0;
  const size_t server = path.find(L'\\', 8);
  if (server == std::wstring::npos) return 0;
  const size_t share = path.find(L'\\', server + 1);
  return share == std::wstring::npos ? 0 : share + 1;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  const size_t root = RootLength(path);
  while (path.size() > std::max<size_t>(root, 1) && path.back() == L'\\') path.pop_back();
  return path;
}

// A folder link under Wine opens as its target; its listing still shows it.
bool ListsAsLink(const std::wstring& bare) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(bare.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::optional<EntryFacts> FactsOf(const std::wstring& path) {
  UniqueFile file = OpenEntry(path, 0);
  EntryFacts facts;
  if (!file || !ReadFacts(file, facts)) return std::nullopt;
  return facts;
}

// Opened through any link on the way, the last one included.
UniqueFile OpenFollowingLinks(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The folder a link leads to, for the folders that are links themselves.
std::optional<EntryFacts> TargetFactsOf(const std::wstring& path) {
  const UniqueFile file = OpenFollowingLinks(path);
  EntryFacts facts;
  if (!file || !ReadFacts(file, facts)) return std::nullopt;
  return facts;
}

std::wstring FinalPathOf(HANDLE file) {
  return GrowingBuffer(MAX_PATH + 1, [file](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
}

// True when `facts` are those of the root that `path` lies on.
bool IsRootOf(const std::wstring& path, const EntryFacts& facts) {
  const size_t root = RootLength(path);
  if (root == 0) return false;
  const auto rootFacts = FactsOf(path.substr(0, root));
  return rootFacts && rootFacts->identity == facts.identity;
}

class CriticalErrorsQuiet {
 public:
  CriticalErrorsQuiet() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
  ~CriticalErrorsQuiet() { SetThreadErrorMode(old_, nullptr); }

 private:
  DWORD old_ = 0;
};

}  // namespace

std::vector<std::string> EraseGuard::KnownFolders() {
  std::vector<std::string> folders;
  auto add = [&](const std::string& path) {
    if (!path.empty()) folders.push_back(path);
  };
  for (int csidl : {CSIDL_WINDOWS,
                    CSIDL_SYSTEM,
                    CSIDL_SYSTEMX86,
                    CSIDL_PROGRAM_FILES,
                    CSIDL_PROGRAM_FILESX86,
                    CSIDL_PROGRAM_FILES_COMMON,
                    CSIDL_PROGRAM_FILES_COMMONX86,
                    CSIDL_PROFILE,
                    CSIDL_DESKTOPDIRECTORY,
                    CSIDL_PERSONAL,
                    CSIDL_MYPICTURES,
                    CSIDL_MYMUSIC,
                    CSIDL_MYVIDEO,
                    CSIDL_TEMPLATES,
                    CSIDL_APPDATA,
                    CSIDL_LOCAL_APPDATA,
                    CSIDL_COMMON_APPDATA,
                    CSIDL_COMMON_DESKTOPDIRECTORY,
                    CSIDL_COMMON_DOCUMENTS,
                    CSIDL_FONTS,
                    CSIDL_STARTMENU})
    add(SpecialFolderPath(csidl));
  add(KnownFolderPath(FOLDERID_Downloads));
  const std::string profile = SpecialFolderPath(CSIDL_PROFILE);
  if (!profile.empty()) add(profile + "\\Downloads");
  return folders;
}

EraseGuard EraseGuard::ForThisUser(const std::vector<std::string>& extra) {
  CriticalErrorsQuiet quiet;  // no "insert a disk" boxes for empty drives
  EraseGuard guard;
  std::vector<std::string> folders = KnownFolders();
  folders.insert(folders.end(), extra.begin(), extra.end());
  for (const std::string& folder : folders) {
    const std::wstring path = ExtendedPath(Widen(NormalizeFolderName(folder)));
    guard.GuardWithParents(path);
    // Where a link led elsewhere, the folders above the target too. The
    // handle must follow the link: opened as the link, it names the link.
    if (const UniqueFile file = OpenFollowingLinks(WithoutTrailingBackslash(path))) {
      const std::wstring target = FinalPathOf(file);
      if (!target.empty()) guard.GuardWithParents(target);
    }
  }
  std::wstring drives(512, L'\0');
  const DWORD got = GetLogicalDriveStringsW(static_cast<DWORD>(drives.size()), drives.data());
  if (got > 0 && got < drives.size())
    for (const wchar_t* drive = drives.c_str(); *drive; drive += wcslen(drive) + 1)
      guard.Guard(ExtendedPath(std::wstring(drive)));
  return guard;
}

void EraseGuard::Guard(const std::wstring& path) {
  if (const auto facts = FactsOf(path)) guarded_.insert(facts->identity);
  if (const auto facts = TargetFactsOf(path)) guarded_.insert(facts->identity);
}

void EraseGuard::GuardWithParents(const std::wstring& extended) {
  const size_t root = RootLength(extended);
  std::wstring path = WithoutTrailingBackslash(extended);
  for (;;) {
    Guard(path);
    if (path.size() <= root || root == 0) break;
    const size_t last = path.rfind(L'\\');
    path.resize(last + 1 <= root ? root : last);
  }
}

std::optional<EraseFolder> EraseGuard::Open(const std::string& location) const {
  std::wstring given = Widen(NormalizeFolderName(location));
  if (given.empty() || !IsAbsolute(given) || HasWildcards(given)) return std::nullopt;
  // Without the trailing separators, blanks and dots at the end of the name
  // are dropped as the Win32 forms drop them.
  while (given.size() > 3 && IsSeparator(given.back())) given.pop_back();
  const std::wstring path = ExtendedPath(given);
  const size_t root = RootLength(path);
  const std::wstring bare = WithoutTrailingBackslash(path);
  // A root spelled as such, or a name that lists as a link.
  if (root == 0 || bare.size() <= root || ListsAsLink(bare)) return std::nullopt;

  const UniqueFile folder = OpenEntry(bare, 0);
  EntryFacts facts;
  if (!folder || !ReadFacts(folder, facts)) return std::nullopt;
  if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || guarded_.count(facts.identity))
    return std::nullopt;
  // A root however reached: through "..", a share's other name, a link.
  const std::wstring volumePath = VolumePathOf(folder);
  if (volumePath.empty() || volumePath == L"\\" || IsRootOf(path, facts) ||
      IsRootOf(FinalPathOf(folder), facts))
    return std::nullopt;
  const std::wstring name = ObjectNameOf(folder);
  if (name.empty()) return std::nullopt;
  return EraseFolder{bare + L"\\", name.back() == L'\\' ? name : name + L"\\"};
}

}  // namespace velotune
