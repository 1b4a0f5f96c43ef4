#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "platform/folders.h"
#include "platform/text.h"

namespace velotune::test {
namespace {

std::atomic<int> counter{0};

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(ExtendedPath(path).c_str());
}

bool Listed(const std::string& windowsPath) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(ExtendedPath(windowsPath).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::string UnixPath(const std::string& path) {
  using Convert = char* (*)(LPCWSTR);
  static const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::string();
  char* unix = convert(Widen(path).c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

bool RunUnix(const std::string& command, bool (*done)(const std::string&), const std::string& arg) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring line = Widen(command);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (int i = 0; i < 250; ++i) {
    if (done(arg)) return true;
    Sleep(20);
  }
  return false;
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD got = GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_GT(got, 3u) << "no temporary folder";
  path_ = Narrow(std::wstring(temp, got));
  if (path_.back() != '\\') path_ += '\\';
  const std::string base = path_;
  // A fresh name every time: a folder left by an earlier run is never reused.
  do {
    path_ = base + "velotune-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(counter++) + "\\";
  } while (!CreateDirectoryW(ExtendedPath(path_).c_str(), nullptr) &&
           GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() {
  // The links go first, by a plain unlink (no recursion), so nothing follows them.
  for (const std::string& link : links_)
    RunUnix(
        "/bin/rm -f -- " + Quoted(link), [](const std::string& l) { return !Listed("Z:" + l); },
        link);
  RemoveTreeForTest(path_);
}

void TempFolder::MakeFolder(const std::string& relative) const {
  std::string sofar = path_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    sofar += relative.substr(start, end - start) + "\\";
    CreateDirectoryW(ExtendedPath(sofar).c_str(), nullptr);
    start = end + 1;
  }
}

void TempFolder::MakeFile(const std::string& relative, const std::string& contents) const {
  const auto slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  HANDLE file = CreateFileW(ExtendedPath(path_ + relative).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << relative;
  DWORD written = 0;
  EXPECT_TRUE(
      WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr));
  CloseHandle(file);
}

bool TempFolder::Exists(const std::string& relative) const { return Listed(path_ + relative); }

bool TempFolder::SetAttributes(const std::string& relative, DWORD attributes) const {
  return SetFileAttributesW(ExtendedPath(path_ + relative).c_str(), attributes) != 0;
}

std::string TempFolder::Read(const std::string& relative) const {
  HANDLE file = CreateFileW(ExtendedPath(path_ + relative).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text(4096, '\0');
  DWORD got = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(file);
  text.resize(got);
  return text;
}

bool TempFolder::MakeFolderLink(const std::string& relative, const std::string& targetRelative) {
  return MakeFolderLinkTo(relative, path_ + targetRelative);
}

bool TempFolder::MakeFolderLinkTo(const std::string& relative, const std::string& targetFolder) {
  if (!IsFolder(targetFolder)) return false;
  return MakeLink(path_ + relative, targetFolder, true);
}

bool TempFolder::MakeFileLink(const std::string& relative, const std::string& targetRelative) {
  const DWORD attributes = AttributesOf(path_ + targetRelative);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      targetRelative.find("..") != std::string::npos)
    return false;
  return MakeLink(path_ + relative, path_ + targetRelative, false);
}

bool TempFolder::MakeLink(const std::string& link, const std::string& target, bool folder) {
  if (Listed(link)) return false;
  const std::string relative = link.substr(path_.size());
  const size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  const std::string from = UnixPath(target), to = UnixPath(link);
  if (from.empty() || to.empty()) return false;
  links_.push_back(to);
  // -n: never create the link inside an existing link's target.
  return RunUnix("/bin/ln -s -n " + Quoted(from) + " " + Quoted(to), folder ? IsFolder : Listed,
                 link);
}

void RemoveTreeForTest(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  const std::wstring wideBase = ExtendedPath(base);
  const DWORD attributes = GetFileAttributesW(wideBase.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((wideBase + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = wideBase + name;
      // A link left behind stays: removing it here could take its target along.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeForTest(base + Narrow(name));
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(wideBase.c_str());
}

std::vector<std::string> TreeBelow(const std::string& folder) {
  std::vector<std::string> names;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((ExtendedPath(base) + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    names.push_back(name);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      for (const auto& inner : TreeBelow(base + name)) names.push_back(name + "\\" + inner);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velotune::test
