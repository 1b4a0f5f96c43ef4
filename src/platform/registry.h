#pragma once
// Registry helpers: failures become the null handle, the caller's default, or
// false. Every registry access of the program goes through them.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/unique_handle.h"

namespace velotune {

void CloseKey(HKEY key);

// An opened key; closes itself. Converts to HKEY, so it passes straight to the
// read and write helpers. The null key stands for one that failed to open.
using UniqueKey = UniqueHandle<HKEY, CloseKey>;

UniqueKey OpenKeyForRead(HKEY root, const std::string& path);
UniqueKey OpenOrCreateKey(HKEY root, const std::string& path);

int32_t ReadNumber(HKEY key, const std::string& name, int32_t def);
std::string ReadText(HKEY key, const std::string& name, const std::string& def);

bool WriteNumber(HKEY key, const std::string& name, int32_t value);
bool WriteText(HKEY key, const std::string& name, const std::string& text);

bool DeleteSubkey(HKEY key, const std::string& path);

}  // namespace velotune
