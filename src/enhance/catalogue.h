#pragma once
// The eleven enhancements: which registry value each box stands for, what a
// tick and no tick write, and how the stored state reads back as a tick.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace velotune {

enum class ValueKind { Number, Text };

struct Enhancement {
  const char* box;      // EN_BOX1 ...
  const char* caption;  // the box's caption
  const char* detail;   // the progress window's detail text while it is written
  bool machine;         // HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
  bool underIdentity;   // below the current Outlook Express identity
  const char* path;
  const char* names[2];  // the second only for the pair of connection values
  ValueKind kind;
  int32_t onNumber, offNumber;
  const char* onText;
  const char* offText;
};

extern const std::array<Enhancement, 11> kEnhancements;

// The current Outlook Express identity ("Last User ID" under "Identities",
// which is created when missing); empty when there is none.
std::string ReadIdentity();
// The same read with read access only; nothing is created.
std::string PeekIdentity();

HKEY RootOf(const Enhancement& e);
// The key path, with "Identities\<identity>\" before it for the identity rows.
std::string KeyPathOf(const Enhancement& e, const std::string& identity);

// Whether the stored values read as a tick; nothing is created.
bool ReadEnhancementState(const Enhancement& e, const std::string& identity);

// True when the stored value(s) are exactly what the tick or no tick writes;
// read with read access only.
bool HoldsEnhancement(const Enhancement& e, const std::string& identity, bool ticked);

// Writes the tick's or the no-tick's value(s), each noted first for the way
// back; gives how many notes, opens and writes the registry refused.
int WriteEnhancement(const Enhancement& e, const std::string& identity, bool ticked);

}  // namespace velotune
