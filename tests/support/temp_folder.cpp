#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>

namespace velotune::test {
namespace {

std::atomic<int> counter{0};

std::string UnixPath(const std::string& path) {
  using Convert = char* (*)(LPCWSTR);
  static const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::string();
  std::wstring wide(path.begin(), path.end());
  char* unix = convert(wide.c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// Runs a Unix program and waits, by watching for `done`, since Wine does not
// wait for Unix programs.
bool RunUnix(std::string command, const std::function<bool()>& done) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (int i = 0; i < 250; ++i) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

bool IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TempFolder::TempFolder() {
  char temp[MAX_PATH + 1] = {};
  const DWORD got = GetTempPathA(sizeof temp, temp);
  EXPECT_GT(got, 3u) << "no temporary folder";
  path_ = std::string(temp, got);
  if (path_.back() != '\\') path_ += '\\';
  const std::string base = path_;
  // A fresh name every time: a folder left by an earlier run is never reused.
  do {
    path_ = base + "velotune-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(counter++) + "\\";
  } while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() {
  // The links go first, by a plain unlink (no recursion), so nothing follows them.
  for (const std::string& link : links_)
    RunUnix("/bin/rm -f -- \"" + link + "\"", [&] {
      const std::string windows = "Z:" + link;
      return GetFileAttributesA(windows.c_str()) == INVALID_FILE_ATTRIBUTES;
    });
  RemoveTreeForTest(path_);
}

void TempFolder::MakeFolder(const std::string& relative) const {
  std::string sofar = path_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    sofar += relative.substr(start, end - start) + "\\";
    CreateDirectoryA(sofar.c_str(), nullptr);
    start = end + 1;
  }
}

void TempFolder::MakeFile(const std::string& relative, const std::string& contents) const {
  const auto slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  std::ofstream out(path_ + relative, std::ios::binary);
  out << contents;
  EXPECT_TRUE(out.good()) << relative;
}

bool TempFolder::Exists(const std::string& relative) const {
  return GetFileAttributesA((path_ + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TempFolder::MakeFolderLink(const std::string& relative, const std::string& targetRelative) {
  const std::string link = path_ + relative, target = path_ + targetRelative;
  if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD targetAttributes = GetFileAttributesA(target.c_str());
  if (targetAttributes == INVALID_FILE_ATTRIBUTES || !(targetAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  std::string from = UnixPath(target), to = UnixPath(link);
  while (!from.empty() && from.back() == '/') from.pop_back();
  while (!to.empty() && to.back() == '/') to.pop_back();
  if (from.empty() || to.empty()) return false;
  links_.push_back(to);
  // -n: never create the link inside an existing link's target.
  return RunUnix("/bin/ln -s -n \"" + from + "\" \"" + to + "\"", [&] { return IsLink(link); });
}

void RemoveTreeForTest(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  const DWORD attributes = GetFileAttributesA(base.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((base + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = base + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          RemoveDirectoryA(path.c_str());  // the link only, never what it points to
          continue;
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTreeForTest(path);
        else
          DeleteFileA(path.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
  }
  RemoveDirectoryA(base.c_str());
}

}  // namespace velotune::test
