#pragma once
// The program's own settings: which profile was applied last ("noset") and the
// nine erase choices ("ie_box1" to "ie_box9"), as REG_DWORD values.
#include <windows.h>

#include <cstdint>
#include <string>

namespace velotune {

inline constexpr const char* kSettingsPath = "Software\\Quorvane\\Velotune\\";

// Opened once, never closed; null when it could not be opened, and then every
// read gives its default and every write does nothing.
extern HKEY SettingsKey;

// Opens (creating if needed) the settings key into SettingsKey.
void OpenSettingsKey();

int32_t ReadAppliedProfile(int32_t def);
void WriteAppliedProfile(int32_t profile);
// Deletes "noset", so no profile shows as applied; also without the window,
// whose key may not be open.
void ForgetAppliedProfile();

// box is 1 to 9.
std::string EraseBoxValueName(int box);
int32_t ReadEraseBox(int box, int32_t def);
void WriteEraseBox(int box, bool ticked);

}  // namespace velotune
