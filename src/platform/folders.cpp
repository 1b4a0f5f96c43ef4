#include "platform/folders.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/command_line.h"
#include "platform/text.h"

namespace velotune {
namespace {

constexpr DWORD kSkippable =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

constexpr const char* kFirefoxProfiles = "\\Mozilla\\Firefox\\Profiles\\";

// A failed search call must never read as success.
DWORD SearchError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_NO_MORE_FILES;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  const std::wstring x = Widen(a), y = Widen(b);
  return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                              static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// "Profiles/name" or "Profiles\name" gives "name"; anything else gives "".
std::string NameUnderProfiles(const std::string& path) {
  static const std::string kPrefix = "profiles";
  if (path.size() <= kPrefix.size() + 1 || !StartsWithNoCase(path, kPrefix)) return std::string();
  const char sep = path[kPrefix.size()];
  if (sep != '/' && sep != '\\') return std::string();
  std::string name = path.substr(kPrefix.size() + 1);
  if (name.find_first_of("/\\") != std::string::npos) return std::string();
  return name;
}

// Plain file calls: the stream library would add 600 KB of locale code to the program.
std::string ReadWholeFile(const std::string& path) {
  HANDLE file =
      CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  // Firefox's ini files are small; a runaway file is not read beyond a few MiB.
  while (text.size() < (4u << 20) && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
    text.append(chunk, got);
  CloseHandle(file);
  // A byte-order mark would hide the first section's name.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return text;
}

// The path of a shell item list, freed here. The Ex form takes a buffer of
// any size: a profile may lie deeper than MAX_PATH. ILFree rather than
// CoTaskMemFree, so that ole32 is not loaded with the program.
std::string PathOfItems(LPITEMIDLIST items) {
  std::wstring path(32768, L'\0');
  const BOOL ok =
      SHGetPathFromIDListEx(items, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
  ILFree(items);
  return ok ? Narrow(path.c_str()) : std::string();
}

}  // namespace

std::string SpecialFolderPath(int csidl) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return std::string();
  return PathOfItems(items);
}

std::string KnownFolderPath(REFKNOWNFOLDERID id) {
  PIDLIST_ABSOLUTE items = nullptr;
  if (FAILED(SHGetKnownFolderIDList(id, KF_FLAG_DONT_VERIFY, nullptr, &items)) || !items)
    return std::string();
  return PathOfItems(items);
}

std::string PickFirefoxProfile(const std::vector<std::string>& folders,
                               const std::string& profilesIni, const std::string& installsIni) {
  // Firefox names its default in an [Install...] section of profiles.ini and
  // in installs.ini (newer), or marks a [Profile...] section Default=1
  // (older); an installation's default wins.
  std::string installDefault, profileDefault;
  auto scan = [&](const std::string& iniText, bool everySectionIsAnInstall) {
    std::string section, path;
    bool isDefault = false, isRelative = false;
    auto endSection = [&] {
      if (!everySectionIsAnInstall && section.rfind("Profile", 0) == 0 && isDefault && isRelative &&
          profileDefault.empty())
        profileDefault = NameUnderProfiles(path);
      path.clear();
      isDefault = isRelative = false;
    };
    for (size_t start = 0; start < iniText.size();) {
      size_t end = iniText.find('\n', start);
      if (end == std::string::npos) end = iniText.size();
      const std::string line = Trim(iniText.substr(start, end - start));
      start = end + 1;
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line.front() == '[' && line.back() == ']') {
        endSection();
        section = line.substr(1, line.size() - 2);
        continue;
      }
      const auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = Trim(line.substr(0, eq));
      const std::string value = Trim(line.substr(eq + 1));
      const bool inInstall = everySectionIsAnInstall || section.rfind("Install", 0) == 0;
      if (inInstall && key == "Default" && installDefault.empty())
        installDefault = NameUnderProfiles(value);
      else if (key == "Path")
        path = value;
      else if (key == "Default")
        isDefault = value == "1";
      else if (key == "IsRelative")
        isRelative = value == "1";
    }
    endSection();
  };
  scan(profilesIni, false);
  scan(installsIni, true);

  for (const std::string* wanted : {&installDefault, &profileDefault}) {
    if (wanted->empty()) continue;
    for (const auto& folder : folders)
      if (EqualNoCase(folder, *wanted)) return folder;
  }
  return folders.empty() ? std::string() : folders.front();
}

std::string FirefoxProfileFolder() {
  return FirefoxProfileFolderIn(SpecialFolderPath(CSIDL_APPDATA));
}

std::string FirefoxProfileFolderIn(const std::string& appData) {
  if (appData.empty()) return std::string();
  const std::string profiles = appData + kFirefoxProfiles;

  std::vector<FolderEntry> visible;
  EnumerateFolder search;
  FolderEntry entry;
  for (DWORD status = search.First(ExtendedPath(profiles) + L"*", kFilterFolders, entry);
       status == 0; status = search.Next(entry))
    if (!entry.name.empty() && entry.name[0] != L'.') visible.push_back(entry);
  search.Close();

  std::string result = profiles;
  if (visible.size() == 1) {
    result += Narrow(visible.front().name);
  } else if (visible.size() > 1) {
    std::vector<std::string> folders;
    for (const auto& e : visible)
      if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(Narrow(e.name));
    const std::string firefox = appData + "\\Mozilla\\Firefox\\";
    result += PickFirefoxProfile(folders, ReadWholeFile(firefox + "profiles.ini"),
                                 ReadWholeFile(firefox + "installs.ini"));
  }
  if (result.back() != '\\') result += '\\';
  return result;
}

std::string FirefoxLocalTwin(const std::string& profileFolder, const std::string& roaming,
                             const std::string& local) {
  if (roaming.empty() || local.empty()) return std::string();
  const std::string profiles = roaming + kFirefoxProfiles;
  if (profileFolder.size() <= profiles.size() || !StartsWithNoCase(profileFolder, profiles))
    return std::string();
  std::string name = profileFolder.substr(profiles.size());
  if (name.back() == '\\') name.pop_back();
  if (name.empty() || name.find('\\') != std::string::npos) return std::string();
  return local + kFirefoxProfiles + name + "\\";
}

std::string ProgramFilePath() {
  return Narrow(GrowingBuffer(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
    const DWORD got = GetModuleFileNameW(nullptr, buffer, size);
    return got >= size ? size : got;  // truncated: ask for more room
  }));
}

std::string ProgramFolder() { return FolderOfPath(ProgramFilePath()); }

std::string CommandLineArgument(int n) {
  const wchar_t* line = GetCommandLineW();
  return line ? CommandLineArgumentOf(Narrow(line), n) : std::string();
}

std::string FolderOfPath(const std::string& path) {
  // In UTF-8 no byte of a longer character looks like a backslash or a colon.
  const size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool FileExists(const std::string& path) {
  // Wildcards would make the search match other names.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(ExtendedPath(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring ExtendedPath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
  if (path.empty()) return path;
  std::wstring full = GrowingBuffer(MAX_PATH + 1, [&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
  // The Win32 forms drop blanks and dots at the end of a name; the "\\?\"
  // form would keep them.
  const size_t last = full.find_last_not_of(L" .");
  if (last != std::wstring::npos && full[last] != L'\\' && full[last] != L':')
    full.resize(last + 1);
  if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\')
    return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return full;
}

std::wstring ExtendedPath(const std::string& path) { return ExtendedPath(Widen(path)); }

DWORD EnumerateFolder::First(const std::wstring& pattern, DWORD filter, FolderEntry& entry) {
  Close();
  skip_ = ~filter & kSkippable;
  WIN32_FIND_DATAW data;
  // The basic form skips the short names no caller uses; the large fetch
  // takes a folder's entries in fewer calls.
  find_ = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
  if (find_ == INVALID_HANDLE_VALUE) return SearchError();
  const DWORD status = SkipHidden(data, entry);
  if (status != 0) Close();
  return status;
}

DWORD EnumerateFolder::Next(FolderEntry& entry) {
  if (find_ == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(find_, &data)) return SearchError();
  return SkipHidden(data, entry);
}

DWORD EnumerateFolder::SkipHidden(WIN32_FIND_DATAW& data, FolderEntry& entry) {
  while (data.dwFileAttributes & skip_)
    if (!FindNextFileW(find_, &data)) return SearchError();
  entry.name = data.cFileName;
  entry.attributes = data.dwFileAttributes;
  return 0;
}

void EnumerateFolder::Close() {
  if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  find_ = INVALID_HANDLE_VALUE;
}

}  // namespace velotune
