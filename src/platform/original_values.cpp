#include "platform/original_values.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/registry.h"
#include "platform/settings.h"

namespace velotune {
namespace {

const std::string kValuesPath = std::string(kOriginalsPath) + "\\Values";
const std::string kKeysPath = std::string(kOriginalsPath) + "\\Keys";

// The open helpers drop one leading backslash; the notes' paths must too.
std::string Relative(const std::string& keyPath) {
  return (!keyPath.empty() && keyPath[0] == '\\') ? keyPath.substr(1) : keyPath;
}

std::string NotePath(const std::string& keyPath) {
  const std::string relative = Relative(keyPath);
  return relative.empty() ? kValuesPath : kValuesPath + "\\" + relative;
}

RegistryValue Encode(const RegistryValue& old) {
  RegistryValue note{REG_BINARY, std::vector<BYTE>(sizeof old.type)};
  std::memcpy(note.data.data(), &old.type, sizeof old.type);
  note.data.insert(note.data.end(), old.data.begin(), old.data.end());
  return note;
}

struct Note {
  HKEY root;
  std::string keyPath, name;
  RegistryValue note;
};

void CollectNotes(HKEY root, const std::string& notePath, const std::string& keyPath,
                  std::vector<Note>& out) {
  UniqueKey key;
  if (OpenExistingKey(root, notePath, KEY_READ, key) != ERROR_SUCCESS) return;
  for (const std::string& name : ValueNames(key)) {
    Note n{root, keyPath, name, {}};
    if (ReadRawValue(key, name, n.note) == ERROR_SUCCESS) out.push_back(std::move(n));
  }
  for (const std::string& sub : SubkeyNames(key))
    CollectNotes(root, notePath + "\\" + sub, keyPath.empty() ? sub : keyPath + "\\" + sub, out);
}

std::vector<std::string> CreatedKeys(HKEY root) {
  UniqueKey key;
  OpenExistingKey(root, kKeysPath, KEY_READ, key);
  return ValueNames(key);
}

// Puts one noted value back; true when the key holds the old state again.
bool PutBack(const Note& n) {
  if (n.note.type == REG_NONE) {
    UniqueKey key;
    const LSTATUS status = OpenExistingKey(n.root, n.keyPath, KEY_SET_VALUE, key);
    if (IsMissing(status)) return true;
    return status == ERROR_SUCCESS && DeleteValue(key, n.name);
  }
  // Anything else but a typed copy was not written by us: leave it noted.
  if (n.note.type != REG_BINARY || n.note.data.size() < sizeof(DWORD)) return false;
  RegistryValue old;
  std::memcpy(&old.type, n.note.data.data(), sizeof old.type);
  old.data.assign(n.note.data.begin() + sizeof old.type, n.note.data.end());
  return WriteRawValue(OpenOrCreateKey(n.root, n.keyPath), n.name, old);
}

void DropNote(HKEY root, const std::string& notePath, const std::string& name) {
  UniqueKey key;
  if (OpenExistingKey(root, notePath, KEY_SET_VALUE, key) == ERROR_SUCCESS) DeleteValue(key, name);
}

// Removes the empty keys of the notes, deepest first; a key with a note left stays.
void PruneEmpty(HKEY root, const std::string& path) {
  UniqueKey key;
  if (OpenExistingKey(root, path, KEY_READ, key) != ERROR_SUCCESS) return;
  for (const std::string& sub : SubkeyNames(key)) PruneEmpty(root, path + "\\" + sub);
  if (KeyIsEmpty(key)) {
    key.reset();
    DeleteSubkey(root, Relative(path));
  }
}

// Removes a key we know to be ours when it holds nothing.
void DeleteIfEmpty(HKEY root, const std::string& path) {
  UniqueKey key;
  if (OpenExistingKey(root, path, KEY_READ, key) != ERROR_SUCCESS || !KeyIsEmpty(key)) return;
  key.reset();
  DeleteSubkey(root, path);
}

// The created keys of one root, deepest first. Each is removed only when
// empty: what a user has put into it since stays, and the key with it.
void RemoveCreatedKeys(HKEY root, bool valuesFailed, RestoreOutcome& outcome) {
  std::vector<std::string> keys = CreatedKeys(root);
  // A key's path is longer than those of the keys above it.
  std::stable_sort(keys.begin(), keys.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& path : keys) {
    UniqueKey key;
    const LSTATUS status = OpenExistingKey(root, path, KEY_READ, key);
    bool done = IsMissing(status);
    if (status == ERROR_SUCCESS && KeyIsEmpty(key)) {
      key.reset();
      done = DeleteSubkey(root, path);
      if (done)
        ++outcome.keysRemoved;
      else
        ++outcome.failed;
    } else if (status == ERROR_SUCCESS) {
      ++outcome.keysKept;
      // While a value of ours may still be in it, a later restore tries again.
      done = !valuesFailed;
    } else if (!done) {
      ++outcome.failed;
    }
    if (done) DropNote(root, kKeysPath, path);
  }
}

}  // namespace

bool RecordOriginalValue(HKEY root, const std::string& keyPath, const std::string& name) {
  const std::string notePath = NotePath(keyPath);
  {
    UniqueKey noted;
    RegistryValue first;
    if (OpenExistingKey(root, notePath, KEY_READ, noted) == ERROR_SUCCESS &&
        ReadRawValue(noted, name, first) == ERROR_SUCCESS)
      return true;
  }
  RegistryValue note;  // REG_NONE, no bytes: nothing there
  UniqueKey key;
  LSTATUS status = OpenExistingKey(root, keyPath, KEY_READ, key);
  if (status == ERROR_SUCCESS) {
    RegistryValue old;
    status = ReadRawValue(key, name, old);
    if (status == ERROR_SUCCESS) note = Encode(old);
  }
  if (status != ERROR_SUCCESS && !IsMissing(status)) return false;
  return WriteRawValue(OpenOrCreateKey(root, notePath), name, note);
}

bool RecordKeysToCreate(HKEY root, const std::string& keyPath) {
  const std::string path = Relative(keyPath);
  // Every key along the path, from the top; an empty piece (two backslashes,
  // or one at the end) names no key of its own.
  for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string key = path.substr(0, end);
    if (!key.empty() && key.back() != '\\') {
      UniqueKey opened;
      const LSTATUS status = OpenExistingKey(root, key, KEY_READ, opened);
      if (IsMissing(status) && !WriteNumber(OpenOrCreateKey(root, kKeysPath), key, 1)) return false;
    }
    if (end == std::string::npos) break;
  }
  return true;
}

bool RecordBeforeWrite(HKEY root, const std::string& keyPath, const std::string& name) {
  return RecordKeysToCreate(root, keyPath) && RecordOriginalValue(root, keyPath, name);
}

bool AnyOriginalRecorded() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    std::vector<Note> notes;
    CollectNotes(root, kValuesPath, "", notes);
    if (!notes.empty() || !CreatedKeys(root).empty()) return true;
  }
  return false;
}

RestoreOutcome RestoreOriginalSettings(RunReport& report) {
  RestoreOutcome outcome;
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  std::vector<Note> notes;
  bool anyKeys = false;
  for (HKEY root : roots) {
    CollectNotes(root, kValuesPath, "", notes);
    anyKeys = anyKeys || !CreatedKeys(root).empty();
  }
  if (notes.empty() && !anyKeys) {
    outcome.nothingRecorded = true;
    return outcome;
  }

  SeedRunPauses();
  report.SetDetail(kRestoringText);
  int machineRestored = 0;
  bool failedUnder[std::size(roots)] = {};
  for (size_t i = 0; i < notes.size(); ++i) {
    const Note& n = notes[i];
    RandomPause();
    report.SetProgress(static_cast<int>(i * 100 / notes.size()));
    ShowPercentage(report);
    const bool machine = n.root == HKEY_LOCAL_MACHINE;
    if (PutBack(n)) {
      ++outcome.restored;
      machineRestored += machine;
      DropNote(n.root, NotePath(n.keyPath), n.name);
    } else {
      ++outcome.failed;
      failedUnder[machine ? 0 : 1] = true;
    }
  }
  for (size_t r = 0; r < std::size(roots); ++r) {
    RemoveCreatedKeys(roots[r], failedUnder[r], outcome);
    PruneEmpty(roots[r], kOriginalsPath);
  }
  // Only the notes made these keys under HKEY_LOCAL_MACHINE. The user's own
  // key holds the settings, and the window keeps it open.
  DeleteIfEmpty(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\Velotune");
  DeleteIfEmpty(HKEY_LOCAL_MACHINE, "Software\\Quorvane");
  // No profile shows as applied once its values are back; while none of them
  // could be put back, the profile still holds.
  if (machineRestored > 0 || !failedUnder[0]) ForgetAppliedProfile();
  ClosingSequence(report, kFinishingText);
  return outcome;
}

}  // namespace velotune
