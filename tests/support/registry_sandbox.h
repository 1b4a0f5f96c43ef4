#pragma once
// Maps HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE onto fresh scratch keys for
// the length of a test, and removes them afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velotune::test {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

 private:
  std::string base_;  // below the real HKEY_CURRENT_USER
  HKEY user_ = nullptr;
  HKEY machine_ = nullptr;
};

// A fixture with a registry sandbox; it also closes the settings key after the test.
class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override;

 private:
  RegistrySandbox sandbox_;
};

// What is stored, read with the plain Win32 calls (not the program's helpers).
struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> data;
  std::string Text() const;  // the bytes up to the first NUL
  DWORD Number() const;      // the first four bytes
};
std::optional<RawValue> ReadRaw(HKEY root, const std::string& path, const std::string& name);
bool KeyExists(HKEY root, const std::string& path);
int ValueCount(HKEY root, const std::string& path);
void PutRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const void* data, DWORD size);
void PutNumber(HKEY root, const std::string& path, const std::string& name, DWORD value);
void PutText(HKEY root, const std::string& path, const std::string& name, const std::string& text);

// Every value (key path, name, type, data) below root, for comparing snapshots.
struct StoredValue {
  std::string key, name;
  DWORD type;
  std::vector<BYTE> data;
  bool operator==(const StoredValue&) const = default;
};
std::vector<StoredValue> SnapshotValues(HKEY root);

// Makes registry calls fail through the seam while it lives: writes of the
// named value (every write when empty), or creates of keys whose path holds
// the given text. Counts the platform calls it sees.
class RegistryFaults {
 public:
  RegistryFaults();
  ~RegistryFaults();
  std::string refuseWriteOf;   // value name; "*" for every write
  std::string refuseCreateOf;  // part of a key path
  int queries = 0;
  int writes = 0;
  int refusedWrites = 0;
  int refusedCreates = 0;
};

// Records the registry calls the program makes through the seam while it
// lives; the calls themselves go ahead.
struct RegistryCall {
  enum Kind { Open, Create, Query, Set, Delete } kind = Open;
  std::string path = {};  // Open, Create, Delete: as passed
  REGSAM access = 0;      // Open, Create
  std::string name = {};  // Query, Set
  DWORD type = 0;         // Set
  std::vector<BYTE> data = {};
};
class RegistryLog {
 public:
  RegistryLog();
  ~RegistryLog();
  RegistryLog(const RegistryLog&) = delete;
  RegistryLog& operator=(const RegistryLog&) = delete;
  std::vector<RegistryCall> calls;
};

}  // namespace velotune::test
