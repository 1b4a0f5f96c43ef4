#include "support/registry_sandbox.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/settings.h"
#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune::test {
namespace {

std::atomic<int> counter{0};

HKEY CreateScratch(const std::string& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

void Walk(HKEY key, const std::string& path, std::vector<StoredValue>& out) {
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    StoredValue v{path, std::string(name, nameSize), type, std::vector<BYTE>(size)};
    nameSize = sizeof name;
    RegEnumValueA(key, i, name, &nameSize, nullptr, &type, v.data.data(), &size);
    out.push_back(std::move(v));
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY sub = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      Walk(sub, path + "\\" + name, out);
      RegCloseKey(sub);
    }
  }
}

RegistryFaults* faults = nullptr;

LSTATUS FaultySet(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                  DWORD size) {
  ++faults->writes;
  if (faults->refuseWriteOf == "*" || (name && faults->refuseWriteOf == Narrow(name))) {
    ++faults->refusedWrites;
    return ERROR_ACCESS_DENIED;
  }
  return RealSystem().RegSetValueExW(key, name, reserved, type, data, size);
}

LSTATUS FaultyCreate(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                     const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
  if (!faults->refuseCreateOf.empty() && sub &&
      Narrow(sub).find(faults->refuseCreateOf) != std::string::npos) {
    ++faults->refusedCreates;
    return ERROR_ACCESS_DENIED;
  }
  return RealSystem().RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, result,
                                      disposition);
}

LSTATUS CountingQuery(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  ++faults->queries;
  return RealSystem().RegQueryValueExW(key, name, reserved, type, data, size);
}

RegistryLog* registryLog = nullptr;

LSTATUS LoggedOpen(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result) {
  registryLog->calls.push_back(
      {.kind = RegistryCall::Open, .path = sub ? Narrow(sub) : "", .access = sam});
  return RealSystem().RegOpenKeyExW(key, sub, options, sam, result);
}

LSTATUS LoggedCreate(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                     const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
  registryLog->calls.push_back(
      {.kind = RegistryCall::Create, .path = sub ? Narrow(sub) : "", .access = sam});
  return RealSystem().RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, result,
                                      disposition);
}

LSTATUS LoggedQuery(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                    LPDWORD size) {
  registryLog->calls.push_back({.kind = RegistryCall::Query, .name = name ? Narrow(name) : ""});
  return RealSystem().RegQueryValueExW(key, name, reserved, type, data, size);
}

LSTATUS LoggedSet(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                  DWORD size) {
  registryLog->calls.push_back({.kind = RegistryCall::Set,
                                .name = name ? Narrow(name) : "",
                                .type = type,
                                .data = std::vector<BYTE>(data, data + size)});
  return RealSystem().RegSetValueExW(key, name, reserved, type, data, size);
}

LSTATUS LoggedDelete(HKEY key, LPCWSTR sub) {
  registryLog->calls.push_back({.kind = RegistryCall::Delete, .path = sub ? Narrow(sub) : ""});
  return RealSystem().RegDeleteKeyW(key, sub);
}

}  // namespace

RegistryLog::RegistryLog() {
  registryLog = this;
  Sys().RegOpenKeyExW = LoggedOpen;
  Sys().RegCreateKeyExW = LoggedCreate;
  Sys().RegQueryValueExW = LoggedQuery;
  Sys().RegSetValueExW = LoggedSet;
  Sys().RegDeleteKeyW = LoggedDelete;
}

RegistryLog::~RegistryLog() {
  const SystemSeam& real = RealSystem();
  Sys().RegOpenKeyExW = real.RegOpenKeyExW;
  Sys().RegCreateKeyExW = real.RegCreateKeyExW;
  Sys().RegQueryValueExW = real.RegQueryValueExW;
  Sys().RegSetValueExW = real.RegSetValueExW;
  Sys().RegDeleteKeyW = real.RegDeleteKeyW;
  registryLog = nullptr;
}

RegistrySandbox::RegistrySandbox() {
  base_ = "Software\\VelotuneTestSandbox\\" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(counter++);
  user_ = CreateScratch(base_ + "\\user");
  machine_ = CreateScratch(base_ + "\\machine");
  EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_), ERROR_SUCCESS);
  EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), ERROR_SUCCESS);
}

RegistrySandbox::~RegistrySandbox() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegCloseKey(user_);
  RegCloseKey(machine_);
  RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelotuneTestSandbox");  // only goes when empty
}

void RegistryTest::TearDown() {
  if (SettingsKey) RegCloseKey(SettingsKey);
  SettingsKey = nullptr;
}

std::string RawValue::Text() const {
  std::string s(data.begin(), data.end());
  return s.substr(0, s.find('\0'));
}

DWORD RawValue::Number() const {
  DWORD n = 0;
  memcpy(&n, data.data(), std::min<size_t>(4, data.size()));
  return n;
}

std::optional<RawValue> ReadRaw(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  RawValue v;
  DWORD size = 0;
  std::optional<RawValue> result;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &v.type, v.data.data(), &size) ==
        ERROR_SUCCESS)
      result = v;
  }
  RegCloseKey(key);
  return result;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

int ValueCount(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD count = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return static_cast<int>(count);
}

void PutRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void PutNumber(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  PutRaw(root, path, name, REG_DWORD, &value, sizeof value);
}

void PutText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
  // Wide, so a path in any script is stored as it is.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::wstring wide = Widen(text);
  EXPECT_EQ(RegSetValueExW(key, Widen(name).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(wide.c_str()),
                           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::vector<StoredValue> SnapshotValues(HKEY root) {
  std::vector<StoredValue> out;
  Walk(root, "", out);
  return out;
}

RegistryFaults::RegistryFaults() {
  faults = this;
  Sys().RegSetValueExW = FaultySet;
  Sys().RegCreateKeyExW = FaultyCreate;
  Sys().RegQueryValueExW = CountingQuery;
}

RegistryFaults::~RegistryFaults() {
  Sys().RegSetValueExW = RealSystem().RegSetValueExW;
  Sys().RegCreateKeyExW = RealSystem().RegCreateKeyExW;
  Sys().RegQueryValueExW = RealSystem().RegQueryValueExW;
  faults = nullptr;
}

}  // namespace velotune::test
