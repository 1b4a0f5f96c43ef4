#include "enhance/catalogue.h"

#include "platform/original_values.h"
#include "platform/registry.h"

namespace velotune {

namespace {

constexpr const char* kIeMain = "Software\\Microsoft\\Internet Explorer\\Main";

}  // namespace

const std::array<Enhancement, 11> kEnhancements = {{
    {"EN_BOX1",
     "Remove Windows Messenger from Outlook Express",
     "Remove Windows Messenger from Outlook...",
     true,
     false,
     "SOFTWARE\\Microsoft\\Outlook Express",
     {"Hide Messenger", nullptr},
     ValueKind::Number,
     1,
     0,
     nullptr,
     nullptr},
    {"EN_BOX2",
     "Remove the Outlook Express Splash Screen",
     "Remove the Outlook Express Splash Screen",
     false,
     true,
     "Software\\Microsoft\\Outlook Express\\5.0",
     {"NoSplash", nullptr},
     ValueKind::Number,
     1,
     0,
     nullptr,
     nullptr},
    {"EN_BOX3",
     "Use Smooth Scrolling in Outlook Express ",
     "Use Smooth Scrolling in Outlook Express",
     false,
     true,
     "Software\\Microsoft\\Outlook Express\\5.0\\Trident\\Main",
     {"SmoothScroll", nullptr},
     ValueKind::Number,
     1,
     0,
     nullptr,
     nullptr},
    {"EN_BOX4",
     "Control the Auto Complete Mode",
     "Control the Auto Complete Mode",
     false,
     false,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete",
     {"Append Completion", nullptr},
     ValueKind::Text,
     0,
     0,
     "yes",
     "no"},
    {"EN_BOX5",
     "Increase the Max Number of HTTP Sessions Allowed",
     "Increase the Max Number of HTTP Sessions Allowed",
     false,
     false,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
     {"MaxConnectionsPerServer", "MaxConnectionsPer1_0Server"},
     ValueKind::Number,
     10,
     2,
     nullptr,
     nullptr},
    {"EN_BOX6",
     "Use Personalized Favorites Menu",
     "Use Personalized Favorites Menu",
     false,
     false,
     kIeMain,
     {"FavIntelliMenus", nullptr},
     ValueKind::Text,
     0,
     0,
     "yes",
     "no"},
    {"EN_BOX7",
     "Show Friendly HTTP Error Messages",
     "Show Friendly HTTP Error Messages",
     false,
     false,
     kIeMain,
     {"Friendly http errors", nullptr},
     ValueKind::Text,
     0,
     0,
     "yes",
     "no"},
    {"EN_BOX8",
     "Disable Expanding Internet Explorer New Menu ",
     "Disable Expanding Internet Explorer New Menu",
     false,
     false,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
     {"NoExpandedNewMenu", nullptr},
     ValueKind::Number,
     1,
     0,
     nullptr,
     nullptr},
    {"EN_BOX9",
     "Internet Explorer FTP Mode",
     "Internet Explorer FTP Mode",
     false,
     false,
     "Software\\Microsoft\\Ftp",
     {"e Web Based FTP", nullptr},
     ValueKind::Text,
     0,
     0,
     "yes",
     "no"},
    {"EN_BOX10",
     "Check for Internet Explorer Updates",
     "Check for Internet Explorer Updates",
     false,
     false,
     kIeMain,
     {"NoUpdateCheck", nullptr},
     ValueKind::Number,
     1,
     0,
     nullptr,
     nullptr},
    {"EN_BOX11",
     "Disable Internet Explorer Download Notification",
     "Disable Internet Explorer Download Notification",
     false,
     false,
     kIeMain,
     {"NotifyDownloadComplete", nullptr},
     ValueKind::Text,
     0,
     0,
     "yes",
     "no"},
}};

std::string ReadIdentity() {
  return ReadText(OpenOrCreateKey(HKEY_CURRENT_USER, "Identities"), "Last User ID", "");
}

std::string PeekIdentity() {
  return ReadText(OpenKeyForRead(HKEY_CURRENT_USER, "Identities"), "Last User ID", "");
}

HKEY RootOf(const Enhancement& e) { return e.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string KeyPathOf(const Enhancement& e, const std::string& identity) {
  // The identity is used as read: an empty one leaves two backslashes in a row.
  if (e.underIdentity) return "Identities\\" + identity + "\\" + e.path;
  return e.path;
}

bool ReadEnhancementState(const Enhancement& e, const std::string& identity) {
  const std::string path = KeyPathOf(e, identity);
  if (e.names[1]) {
    // Both connection values must be 10; a missing one counts as 2.
    if (ReadNumber(OpenKeyForRead(RootOf(e), path), e.names[0], e.offNumber) != e.onNumber)
      return false;
    return ReadNumber(OpenKeyForRead(RootOf(e), path), e.names[1], e.offNumber) == e.onNumber;
  }
  const auto key = OpenKeyForRead(RootOf(e), path);
  if (e.kind == ValueKind::Number) return ReadNumber(key, e.names[0], 0) != 0;
  return ReadText(key, e.names[0], e.offText) == e.onText;
}

bool HoldsEnhancement(const Enhancement& e, const std::string& identity, bool ticked) {
  const auto key = OpenKeyForRead(RootOf(e), KeyPathOf(e, identity));
  for (const char* name : e.names) {
    if (!name) continue;
    if (e.kind == ValueKind::Number) {
      const int32_t wanted = ticked ? e.onNumber : e.offNumber;
      if (ReadNumber(key, name, wanted ^ 1) != wanted) return false;
    } else if (ReadText(key, name, std::string(1, '\0')) != (ticked ? e.onText : e.offText)) {
      return false;
    }
  }
  return true;
}

int WriteEnhancement(const Enhancement& e, const std::string& identity, bool ticked) {
  const std::string path = KeyPathOf(e, identity);
  int refused = 0;
  for (const char* name : e.names) {
    if (!name) continue;
    // What was there is noted first, for the way back; without the note, no change.
    if (!RecordBeforeWrite(RootOf(e), path, name)) {
      ++refused;
      continue;
    }
    // A fresh open for every value, creating the key and its parents if missing.
    const auto key = OpenOrCreateKey(RootOf(e), path);
    if (!key) ++refused;
    const bool stored = e.kind == ValueKind::Number
                            ? WriteNumber(key, name, ticked ? e.onNumber : e.offNumber)
                            : WriteText(key, name, ticked ? e.onText : e.offText);
    if (!stored && key) ++refused;
  }
  return refused;
}

}  // namespace velotune
