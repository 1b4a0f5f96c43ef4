#include "platform/registry.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune {
namespace {

// One leading backslash is dropped; a second one is kept and makes the open fail.
std::wstring WithoutLeadingBackslash(const std::string& path) {
  return Widen((!path.empty() && path[0] == '\\') ? std::string_view(path).substr(1) : path);
}

bool IsPredefined(HKEY key) {
  // The predefined roots are the sign-extended values 0x80000000 to 0x80000007.
  const auto v = reinterpret_cast<LONG_PTR>(key);
  return v >= static_cast<LONG>(0x80000000u) && v <= static_cast<LONG>(0x80000007u);
}

}  // namespace

void CloseKey(HKEY key) {
  if (key && !IsPredefined(key)) Sys().RegCloseKey(key);
}

UniqueKey OpenKeyForRead(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (Sys().RegOpenKeyExW(root, WithoutLeadingBackslash(path).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

UniqueKey OpenOrCreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (Sys().RegCreateKeyExW(root, WithoutLeadingBackslash(path).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition) != ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

int32_t ReadNumber(HKEY key, const std::string& name, int32_t def) {
  if (!key) return def;
  int32_t value = def;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (Sys().RegQueryValueExW(key, Widen(name).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return def;
  if (type != REG_DWORD || size != sizeof value) return def;
  return value;
}

std::string ReadText(HKEY key, const std::string& name, const std::string& def) {
  if (!key) return def;
  const std::wstring wideName = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (Sys().RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return def;
  if (size == 0) return std::string();
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  if (Sys().RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS ||
      type != REG_SZ)
    return def;
  // Stored text need not be terminated: stop at the first NUL or at the data's end.
  std::wstring_view text(buffer.data(), std::min<DWORD>(got, size) / sizeof(wchar_t));
  return Narrow(text.substr(0, text.find(L'\0')));
}

bool WriteNumber(HKEY key, const std::string& name, int32_t value) {
  if (!key) return false;
  return Sys().RegSetValueExW(key, Widen(name).c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WriteText(HKEY key, const std::string& name, const std::string& text) {
  if (!key) return false;
  const std::wstring wide = Widen(text);
  return Sys().RegSetValueExW(
             key, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DeleteSubkey(HKEY key, const std::string& path) {
  if (!key) return false;
  return Sys().RegDeleteKeyW(key, Widen(path).c_str()) == ERROR_SUCCESS;
}

LSTATUS OpenExistingKey(HKEY root, const std::string& path, REGSAM access, UniqueKey& key) {
  HKEY opened = nullptr;
  const LSTATUS status =
      Sys().RegOpenKeyExW(root, WithoutLeadingBackslash(path).c_str(), 0, access, &opened);
  key.reset(status == ERROR_SUCCESS ? opened : nullptr);
  return status;
}

bool IsMissing(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

LSTATUS ReadRawValue(HKEY key, const std::string& name, RegistryValue& value) {
  if (!key) return ERROR_INVALID_HANDLE;
  const std::wstring wideName = Widen(name);
  for (;;) {
    DWORD size = 0;
    LSTATUS status =
        Sys().RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    value.data.assign(size, 0);
    status = Sys().RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, value.data.data(),
                                    &size);
    // Grown between the two calls: ask again.
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_SUCCESS) value.data.resize(size);
    return status;
  }
}

bool WriteRawValue(HKEY key, const std::string& name, const RegistryValue& value) {
  if (!key) return false;
  // For a text type the registry takes a NUL just past the bytes as theirs;
  // bytes after them that are no NUL keep an unterminated text as it was.
  std::vector<BYTE> guarded(value.data);
  guarded.insert(guarded.end(), {0xFF, 0xFF});
  return Sys().RegSetValueExW(key, Widen(name).c_str(), 0, value.type, guarded.data(),
                              static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const std::string& name) {
  if (!key) return false;
  const LSTATUS status = Sys().RegDeleteValueW(key, Widen(name).c_str());
  return status == ERROR_SUCCESS || IsMissing(status);
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  if (!key) return names;
  wchar_t name[256];  // the longest key name
  for (DWORD i = 0;; ++i) {
    DWORD size = std::size(name);
    if (Sys().RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(Narrow(std::wstring_view(name, size)));
  }
  return names;
}

std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  if (!key) return names;
  std::vector<wchar_t> name(16384);  // the longest value name, and its NUL
  for (DWORD i = 0;; ++i) {
    DWORD size = static_cast<DWORD>(name.size());
    if (Sys().RegEnumValueW(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(Narrow(std::wstring_view(name.data(), size)));
  }
  return names;
}

bool KeyIsEmpty(HKEY key) {
  if (!key) return false;
  wchar_t name[256];
  DWORD size = std::size(name);
  if (Sys().RegEnumKeyExW(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_NO_MORE_ITEMS)
    return false;
  std::vector<wchar_t> valueName(16384);
  size = static_cast<DWORD>(valueName.size());
  return Sys().RegEnumValueW(key, 0, valueName.data(), &size, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_NO_MORE_ITEMS;
}

}  // namespace velotune
