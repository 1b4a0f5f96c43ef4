#include "platform/settings.h"

#include "platform/registry.h"

namespace velotune {

HKEY SettingsKey = nullptr;

void OpenSettingsKey() {
  // Kept for the life of the process, so it is released from its owner.
  SettingsKey = OpenOrCreateKey(HKEY_CURRENT_USER, kSettingsPath).release();
}

int32_t ReadAppliedProfile(int32_t def) { return ReadNumber(SettingsKey, "noset", def); }

void WriteAppliedProfile(int32_t profile) { WriteNumber(SettingsKey, "noset", profile); }

void ForgetAppliedProfile() {
  if (SettingsKey) {
    DeleteValue(SettingsKey, "noset");
    return;
  }
  UniqueKey key;
  if (OpenExistingKey(HKEY_CURRENT_USER, kSettingsPath, KEY_SET_VALUE, key) == ERROR_SUCCESS)
    DeleteValue(key, "noset");
}

std::string EraseBoxValueName(int box) { return "ie_box" + std::to_string(box); }

int32_t ReadEraseBox(int box, int32_t def) {
  return ReadNumber(SettingsKey, EraseBoxValueName(box), def);
}

void WriteEraseBox(int box, bool ticked) {
  WriteNumber(SettingsKey, EraseBoxValueName(box), ticked ? 1 : 0);
}

}  // namespace velotune
