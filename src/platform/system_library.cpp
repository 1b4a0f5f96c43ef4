#include "platform/system_library.h"

#include <string>

namespace velotune {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  // Asked for its length first: no fixed limit on the folder's path.
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return nullptr;
  std::wstring path(size, L'\0');
  const UINT n = GetSystemDirectoryW(path.data(), size);
  if (n == 0 || n >= size) return nullptr;
  path.resize(n);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());
}

}  // namespace velotune
