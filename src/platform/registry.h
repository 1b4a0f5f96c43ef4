#pragma once
// Registry helpers: failures become the null handle, the caller's default, or
// false. Every registry access of the program goes through them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// A value as stored: its type and raw bytes, whatever the type.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RegistryValue&) const = default;
};

// An existing key, nothing created. The status tells a missing key
// (IsMissing) from one that is there but refused.
LSTATUS OpenExistingKey(HKEY root, const std::string& path, REGSAM access, UniqueKey& key);
bool IsMissing(LSTATUS status);

// The value's type and bytes; a missing value gives a status IsMissing knows.
LSTATUS ReadRawValue(HKEY key, const std::string& name, RegistryValue& value);
bool WriteRawValue(HKEY key, const std::string& name, const RegistryValue& value);
// True when the value is gone afterwards, also when there was none.
bool DeleteValue(HKEY key, const std::string& name);

std::vector<std::string> SubkeyNames(HKEY key);
std::vector<std::string> ValueNames(HKEY key);
// No values and no subkeys; false for the null key or a failed look.
bool KeyIsEmpty(HKEY key);

}  // namespace velotune
