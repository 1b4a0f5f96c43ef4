// Times the eraser's folder removal against a minimal removal loop, over the
// same kind of tree. Prints the milliseconds the removal alone took.
//   removal_bench ours <folder>
//   removal_bench minimal <folder>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "eraser/removal.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: removal_bench ours|minimal <folder>\n");
    return 2;
  }
  const std::string mode = argv[1], folder = argv[2];
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  bool ok = true;
  QueryPerformanceCounter(&start);
  if (mode == "ours")
    ok = velotune::RemoveFolderContents(folder);
  else if (mode == "minimal")
    MinimalRemove(folder);
  else
    return 2;
  QueryPerformanceCounter(&end);
  std::printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
  return ok ? 0 : 1;
}
