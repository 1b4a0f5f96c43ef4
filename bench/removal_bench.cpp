// Times the eraser's folder removal against a minimal removal loop, in its
// ANSI and its wide form, over the same kind of tree. Prints the milliseconds
// the removal alone took (the eraser's guard is built before the clock starts;
// a run builds it once).
//   removal_bench ours|minimal|minimal-wide <folder>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "eraser/removal.h"
#include "platform/folders.h"

namespace {

// The least a removal can do: list, recurse into folders, delete files,
// remove the emptied folders.
void MinimalRemove(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!std::strcmp(data.cFileName, ".") || !std::strcmp(data.cFileName, "..")) continue;
    const std::string path = folder + "\\" + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      MinimalRemove(path);
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

// The same with the wide calls on "\\?\" paths.
void MinimalRemoveWide(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..")) continue;
    const std::wstring path = folder + L"\\" + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      MinimalRemoveWide(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: removal_bench ours|minimal|minimal-wide <folder>\n");
    return 2;
  }
  const std::string mode = argv[1], folder = argv[2];
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  bool ok = true;
  const velotune::EraseGuard guard = velotune::EraseGuard::ForThisUser();
  const std::wstring wide = velotune::ExtendedPath(folder);
  QueryPerformanceCounter(&start);
  if (mode == "ours")
    ok = velotune::RemoveFolderContents(guard, folder);
  else if (mode == "minimal")
    MinimalRemove(folder);
  else if (mode == "minimal-wide")
    MinimalRemoveWide(wide);
  else
    return 2;
  QueryPerformanceCounter(&end);
  std::printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
  return ok ? 0 : 1;
}
