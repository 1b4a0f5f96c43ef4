#pragma once
// Everything below a root: every key and every value (type and bytes), read
// with the plain Win32 calls, for comparing the registry before a change and
// after its way back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"

#include "support/registry_sandbox.h"

namespace velotune::test {

struct HiveState {
  std::vector<std::string> keys;  // "\A", "\A\B", ...
  std::vector<StoredValue> values;
  bool operator==(const HiveState&) const = default;
};

// The wide calls, so each value's bytes are compared as stored, unconverted.
inline void Walk(HKEY key, const std::string& path, HiveState& out) {
  std::vector<wchar_t> name(16384);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size()), type = 0, size = 0;
    if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      break;
    StoredValue v{path, Narrow(std::wstring_view(name.data(), nameSize)), type,
                  std::vector<BYTE>(size)};
    nameSize = static_cast<DWORD>(name.size());
    RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, v.data.data(), &size);
    v.data.resize(size);
    out.values.push_back(std::move(v));
  }
  for (DWORD i = 0;; ++i) {
    DWORD size = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    const std::wstring child(name.data(), size);
    const std::string sub = path + "\\" + Narrow(child);
    out.keys.push_back(sub);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
      Walk(opened, sub, out);
      RegCloseKey(opened);
    }
  }
}

inline HiveState StateOf(HKEY root) {
  HiveState state;
  Walk(root, "", state);
  return state;
}

// One line per difference, so a failure says which key or value came back wrong.
inline void ExpectSameState(const HiveState& before, const HiveState& after) {
  for (const auto& k : before.keys)
    if (std::find(after.keys.begin(), after.keys.end(), k) == after.keys.end())
      ADD_FAILURE() << "key gone: " << k;
  for (const auto& k : after.keys)
    if (std::find(before.keys.begin(), before.keys.end(), k) == before.keys.end())
      ADD_FAILURE() << "key left behind: " << k;
  for (const auto& v : before.values) {
    const auto same = [&](const StoredValue& w) { return w.key == v.key && w.name == v.name; };
    const auto it = std::find_if(after.values.begin(), after.values.end(), same);
    if (it == after.values.end())
      ADD_FAILURE() << "value gone: " << v.key << "!" << v.name;
    else if (it->type != v.type || it->data != v.data)
      ADD_FAILURE() << "value differs: " << v.key << "!" << v.name << " type " << it->type
                    << " (was " << v.type << "), " << it->data.size() << " bytes (was "
                    << v.data.size() << ")";
  }
  for (const auto& v : after.values) {
    const auto same = [&](const StoredValue& w) { return w.key == v.key && w.name == v.name; };
    if (std::find_if(before.values.begin(), before.values.end(), same) == before.values.end())
      ADD_FAILURE() << "value left behind: " << v.key << "!" << v.name;
  }
}

}  // namespace velotune::test
