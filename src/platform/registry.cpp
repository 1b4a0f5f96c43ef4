#include "platform/registry.h"

#include <algorithm>
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

}  // namespace velotune
