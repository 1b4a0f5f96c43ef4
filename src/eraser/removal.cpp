#include "eraser/removal.h"

#include <windows.h>

#include <exception>

#include "platform/folders.h"
#include "platform/system_seam.h"

namespace velotune {
namespace {

// One pass of either routine; `removeFolders` is false for the .arl mask.
bool RemoveEntries(const std::string& name, const char* mask, bool removeFolders) {
  try {
    const std::string folder = NormalizeFolderName(name);
    // An empty name would mean the current folder.
    if (folder.empty()) return true;
    // A folder that is itself a link is never entered either. Asked with its
    // trailing backslash, the system would answer for the link's target.
    const std::string bare = folder.size() > 1 && folder[folder.size() - 2] != ':'
                                 ? folder.substr(0, folder.size() - 1)
                                 : folder;
    const DWORD attributes = GetFileAttributesA(bare.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return true;
    EnumerateFolder search;
    FolderEntry entry;
    bool emptyAtStart = true;
    for (DWORD status = search.First(folder + mask, kFilterAll, entry); status == 0;
         status = search.Next(entry)) {
      // The folder itself is removed below, once the listing is closed, if it
      // held nothing; its parent is never ours to remove.
      if (entry.name == "." || entry.name == "..") continue;
      emptyAtStart = false;
      const std::string path = folder + entry.name;
      if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A junction or link: it may go, what it points to is never touched.
        if (removeFolders && (entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
          RemoveDirectoryA(path.c_str());
        continue;
      }
      // A file holds nothing to enter and no folder can be deleted as a file, so
      // the attributes spare the calls that could only fail.
      if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        continue;
      }
      if (entry.name[0] != '.') RemoveEntries(path, mask, removeFolders);
      if (removeFolders) RemoveDirectoryA(path.c_str());
    }
    search.Close();
    if (removeFolders && emptyAtStart) RemoveDirectoryA(folder.c_str());
    return true;
  } catch (const std::exception& failure) {
    Sys().MessageBoxA(nullptr, failure.what(), "Error", MB_OK | MB_ICONERROR);
    return false;
  }
}

}  // namespace

bool RemoveFolderContents(const std::string& folder) { return RemoveEntries(folder, "*.*", true); }

bool RemoveArlFiles(const std::string& folder) { return RemoveEntries(folder, "*.arl", false); }

}  // namespace velotune
