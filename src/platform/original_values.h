#pragma once
// The way back: before Velotune changes a registry value for the first time it
// notes what was there, and a restore puts every noted value back.
//
// The notes lie below the same root as the value (machine-wide values
// machine-wide, a user's values with that user), under kOriginalsPath:
//   Values\<the value's key path>  one value per noted value, of the same name:
//       REG_BINARY  the old type (4 bytes, little-endian), then the old bytes;
//       REG_NONE    no bytes: the value did not exist (nor, perhaps, its key).
//   Keys  one REG_DWORD 1 per key Velotune created, named by its path.
// The key path below Values is the value's own path, so the registry itself
// resolves it (letter case, a trailing backslash) exactly as for the value;
// value names may hold any character, a backslash included.
#include <windows.h>

#include <string>

#include "platform/run_report.h"

namespace velotune {

inline constexpr const char* kOriginalsPath = "Software\\Quorvane\\Velotune\\Original";

// The restore's texts: the title the window shows it under, and its detail line.
inline constexpr const char* kRestoreTitle = "Restore Original Settings";
inline constexpr const char* kRestoringText = "Restoring original settings";

// Notes what root\keyPath holds under `name` (type and bytes, or that there
// is no such value or key), unless it is noted already: the first note
// stands. False when it could not be read or noted; then the value must not
// be changed.
bool RecordOriginalValue(HKEY root, const std::string& keyPath, const std::string& name);

// Notes every key along keyPath that does not exist yet, before a key is
// opened with creation. False when a note could not be written; then the key
// must not be created.
bool RecordKeysToCreate(HKEY root, const std::string& keyPath);

// Both, before a value is written through a key opened with creation.
bool RecordBeforeWrite(HKEY root, const std::string& keyPath, const std::string& name);

// True when anything is noted, for this user or machine-wide.
bool AnyOriginalRecorded();

struct RestoreOutcome {
  bool nothingRecorded = false;  // then nothing was changed
  int restored = 0;              // values put back, or deleted as they did not exist
  int failed = 0;                // values and created keys that could not be put back
  int keysRemoved = 0;           // keys Velotune had created, removed again
  int keysKept = 0;              // keys it had created that now hold something else
  bool AllRestored() const { return failed == 0; }
};

// Puts every noted value back (the old type and bytes; a value that did not
// exist is deleted), removes the keys Velotune created when they are empty
// again, and clears the notes. What could not be put back stays noted for
// another try. Forgets the applied profile ("noset") unless no machine-wide
// value could be put back. With nothing noted it changes nothing and reports
// nothing. Reports the detail kRestoringText, one step per value and the
// closing sequence with kFinishingText; the caller sets the title.
RestoreOutcome RestoreOriginalSettings(RunReport& report);

}  // namespace velotune
