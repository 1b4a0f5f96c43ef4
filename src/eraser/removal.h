#pragma once
// Emptying folder trees for the tracks eraser. Every call first asks the
// guard whether the folder may be touched. Single deletions that fail are
// passed over; what cannot be deleted stays. No link is ever entered,
// deleted or removed, and a file is deleted only through a handle that shows
// it is that very file.
#include <string>

#include "eraser/erase_guard.h"
#include "eraser/folder_name.h"

namespace velotune {

// Deletes every file and sub-folder below the folder, bottom-up. The folder
// itself stays, or goes when it was empty. Names starting with a full stop
// are not entered. False when a failure was caught (and shown).
bool RemoveFolderContents(const EraseGuard& guard, const std::string& folder);

// Deletes the entries matching "*.arl" in the folder (and below entries of
// that name); removes no folder.
bool RemoveArlFiles(const EraseGuard& guard, const std::string& folder);

// Deletes the file of that name right in the folder.
void EraseFile(const EraseGuard& guard, const std::string& folder, const std::string& name);

}  // namespace velotune
