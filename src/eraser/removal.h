#pragma once
// Emptying folder trees for the tracks eraser. Every call first asks the
// guard whether the folder may be touched. Single deletions that fail are
// passed over and counted with their reason; what cannot be deleted stays. No
// link is ever entered, deleted or removed, and a file is deleted only
// through a handle that shows it is that very file.
#include <array>
#include <string>

#include "eraser/erase_guard.h"
#include "eraser/folder_name.h"

namespace velotune {

// Why an item stayed.
enum class StayReason { InUse, AccessDenied, ReadOnly, PathTooLong };
inline constexpr int kStayReasons = 4;

// Items that stayed, by reason (indexed by StayReason).
struct StayCounts {
  std::array<int, kStayReasons> count{};
  int& operator[](StayReason reason) { return count[static_cast<int>(reason)]; }
  int operator[](StayReason reason) const { return count[static_cast<int>(reason)]; }
  int Total() const;
  StayCounts& operator+=(const StayCounts& other);
};

// Deletes every file and sub-folder below the folder, bottom-up. The folder
// itself stays, or goes when it was empty. Names starting with a full stop
// are not entered. False when a failure was caught (and shown). What stays is
// added to `stayed` when given.
bool RemoveFolderContents(const EraseGuard& guard, const std::string& folder,
                          StayCounts* stayed = nullptr);

// Deletes the entries whose long name matches "*.arl" in the folder (and
// below folders of such a name); removes no folder.
bool RemoveArlFiles(const EraseGuard& guard, const std::string& folder,
                    StayCounts* stayed = nullptr);

// Deletes the file of that name right in the folder.
void EraseFile(const EraseGuard& guard, const std::string& folder, const std::string& name,
               StayCounts* stayed = nullptr);

// Whether a long name matches a mask of "*" and "?" (case ignored); "*.*"
// matches every name, as the system's listing does.
bool MatchesMask(const std::wstring& name, const std::wstring& mask);

}  // namespace velotune
