#pragma once
// Emptying folder trees for the tracks eraser. Single deletions that fail are
// passed over; what cannot be deleted stays.
#include <string>

#include "eraser/folder_name.h"

namespace velotune {

// Deletes every file and sub-folder below the folder, bottom-up. The folder
// itself stays, or goes when it was empty. Names starting with a full stop
// are not entered, links are never followed, and an empty name does nothing.
// False when a failure was caught (and shown).
bool RemoveFolderContents(const std::string& folder);

// Deletes the entries matching "*.arl" in the folder (and below entries of
// that name); removes no folder.
bool RemoveArlFiles(const std::string& folder);

}  // namespace velotune
