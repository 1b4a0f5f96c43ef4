#pragma once

#include <windows.h>

namespace velotune {

// A system DLL by its full path in the system folder, so a copy that someone
// put beside the program is never the one loaded; null if it cannot be.
HMODULE LoadSystemLibrary(const wchar_t* name);

// An export by its known type; through void*, since the function types differ.
// Null when the module is null or lacks it (older Windows).
template <typename Fn>
Fn ExportOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace velotune
