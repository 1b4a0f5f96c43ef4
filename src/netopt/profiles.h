#pragma once
// The four connection profiles: fixed, ordered lists of registry steps under
// HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace velotune {

enum class StepKind { OpenKey, WriteString, WriteNumber };

struct ProfileStep {
  StepKind kind;
  std::string_view keyPath;  // OpenKey
  std::string_view name;     // WriteString, WriteNumber
  std::string_view text;     // WriteString
  int32_t number;            // WriteNumber
};

struct ConnectionProfile {
  int number;  // 1 to 4; 0 for an unknown number
  std::string_view name;
  std::string_view description;
  int gaugeIncrement;
  std::span<const ProfileStep> steps;
};

inline constexpr int kProfileCount = 4;

// Profile 1 to 4; any other number gives a profile with no steps.
const ConnectionProfile& LookupProfile(int number);

// True when HKEY_LOCAL_MACHINE holds every value of the profile as its steps
// write it; read with read access only.
bool ProfileHeld(int number);

// Performs steps one at a time, keeping the key the last open step opened.
class ProfileWriter {
 public:
  // False when the open or write was refused.
  bool Perform(const ProfileStep& step);
  // The same, after noting what the step changes (the keys an open creates,
  // the value a write replaces) for the way back. A step whose note cannot be
  // written is skipped; a skipped open leaves no current key.
  bool PerformRecorded(const ProfileStep& step);

 private:
  UniqueKey current_;
  std::string currentPath_;
};

}  // namespace velotune
