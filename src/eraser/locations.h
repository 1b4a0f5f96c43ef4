#pragma once
// Which folders the eraser may act on. Its locations come from registry text,
// so a location naming a drive root, a system folder or one of the user's own
// folders (or lying above one) must never be emptied.
#include <string>
#include <vector>

namespace velotune {

// The folders that are never emptied nor deleted from, with trailing backslashes.
std::vector<std::string> ProtectedFolders();

// True when the eraser may empty the location or delete a file right in it:
// an absolute path, not a drive root, neither one of the protected folders
// nor above one of them.
bool IsSafeEraseLocation(const std::string& location);
bool IsSafeEraseLocation(const std::string& location, const std::vector<std::string>& guarded);

// Deletes a file unless it is a link (deleting a link can take its target along).
void DeleteFileUnlessLink(const std::string& path);

}  // namespace velotune
