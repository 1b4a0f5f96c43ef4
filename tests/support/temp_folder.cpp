#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace velotune::test {
namespace {

std::atomic<int> counter{0};

}  // namespace

TempFolder::TempFolder() {
  char temp[MAX_PATH + 1] = {};
  const DWORD got = GetTempPathA(sizeof temp, temp);
  EXPECT_GT(got, 3u) << "no temporary folder";
  path_ = std::string(temp, got);
  if (path_.back() != '\\') path_ += '\\';
  path_ += "velotune-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter++) + "\\";
  RemoveTreeForTest(path_);
  EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << path_;
}

TempFolder::~TempFolder() { RemoveTreeForTest(path_); }

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
