#include "platform/folders.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>

#include "platform/command_line.h"

namespace velotune {
namespace {

constexpr DWORD kSkippable =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

// A failed search call must never read as success.
DWORD SearchError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_NO_MORE_FILES;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// "Profiles/name" or "Profiles\name" gives "name"; anything else gives "".
std::string NameUnderProfiles(const std::string& path) {
  static const std::string kPrefix = "profiles";
  if (path.size() <= kPrefix.size() + 1 || !EqualNoCase(path.substr(0, kPrefix.size()), kPrefix))
    return std::string();
  const char sep = path[kPrefix.size()];
  if (sep != '/' && sep != '\\') return std::string();
  std::string name = path.substr(kPrefix.size() + 1);
  if (name.find_first_of("/\\") != std::string::npos) return std::string();
  return name;
}

// Plain file calls: the stream library would add 600 KB of locale code to the program.
std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

}  // namespace

std::string SpecialFolderPath(int csidl) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return std::string();
  char path[MAX_PATH + 1] = {};
  const BOOL ok = SHGetPathFromIDListA(items, path);
  CoTaskMemFree(items);
  return ok ? std::string(path) : std::string();
}

std::string PickFirefoxProfile(const std::vector<std::string>& folders,
                               const std::string& iniText) {
  // Firefox names its default in an [Install...] section (newer) or marks a
  // [Profile...] section Default=1 (older); the install default wins.
  std::string installDefault, profileDefault;
  std::string section, path;
  bool isDefault = false, isRelative = false;
  auto endSection = [&] {
    if (section.rfind("Profile", 0) == 0 && isDefault && isRelative && profileDefault.empty())
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
    if (section.rfind("Install", 0) == 0 && key == "Default" && installDefault.empty())
      installDefault = NameUnderProfiles(value);
    else if (key == "Path")
      path = value;
    else if (key == "Default")
      isDefault = value == "1";
    else if (key == "IsRelative")
      isRelative = value == "1";
  }
  endSection();

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
  const std::string profiles = appData + "\\Mozilla\\Firefox\\Profiles\\";

  std::vector<FolderEntry> visible;
  EnumerateFolder search;
  FolderEntry entry;
  for (DWORD status = search.First(profiles + "*", kFilterFolders, entry); status == 0;
       status = search.Next(entry))
    if (!entry.name.empty() && entry.name[0] != '.') visible.push_back(entry);
  search.Close();

  std::string result = profiles;
  if (visible.size() == 1) {
    result += visible.front().name;
  } else if (visible.size() > 1) {
    std::vector<std::string> folders;
    for (const auto& e : visible)
      if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(e.name);
    result +=
        PickFirefoxProfile(folders, ReadWholeFile(appData + "\\Mozilla\\Firefox\\profiles.ini"));
  }
  if (result.back() != '\\') result += '\\';
  return result;
}

std::string ProgramFilePath() {
  std::string path(MAX_PATH + 1, '\0');
  for (;;) {
    const DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return std::string();
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: try again with more room
  }
}

std::string ProgramFolder() { return FolderOfPath(ProgramFilePath()); }

std::string CommandLineArgument(int n) {
  const char* line = GetCommandLineA();
  return line ? CommandLineArgumentOf(line, n) : std::string();
}

std::string FolderOfPath(const std::string& path) {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
      ++i;  // the trail byte may look like a backslash; it is not one
      continue;
    }
    if (c == '\\' || c == ':') end = i + 1;
  }
  return path.substr(0, end);
}

bool FileExists(const std::string& path) {
  // Wildcards would make the search match other names.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

DWORD EnumerateFolder::First(const std::string& pattern, DWORD filter, FolderEntry& entry) {
  Close();
  skip_ = ~filter & kSkippable;
  WIN32_FIND_DATAA data;
  find_ = FindFirstFileA(pattern.c_str(), &data);
  if (find_ == INVALID_HANDLE_VALUE) return SearchError();
  const DWORD status = SkipHidden(data, entry);
  if (status != 0) Close();
  return status;
}

DWORD EnumerateFolder::Next(FolderEntry& entry) {
  if (find_ == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(find_, &data)) return SearchError();
  return SkipHidden(data, entry);
}

DWORD EnumerateFolder::SkipHidden(WIN32_FIND_DATAA& data, FolderEntry& entry) {
  while (data.dwFileAttributes & skip_)
    if (!FindNextFileA(find_, &data)) return SearchError();
  entry.name = data.cFileName;
  entry.attributes = data.dwFileAttributes;
  return 0;
}

void EnumerateFolder::Close() {
  if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  find_ = INVALID_HANDLE_VALUE;
}

}  // namespace velotune
