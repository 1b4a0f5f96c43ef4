#include "eraser/locations.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "eraser/removal.h"
#include "platform/folders.h"

namespace velotune {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The full path with a trailing backslash; "." and ".." resolved, "/" as "\".
std::string FullFolder(const std::string& path) {
  std::string folder = NormalizeFolderName(path);
  if (folder.empty()) return folder;
  std::string full(MAX_PATH * 4, '\0');
  const DWORD got =
      GetFullPathNameA(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (got == 0 || got >= full.size()) return std::string();
  full.resize(got);
  return NormalizeFolderName(full);
}

bool IsAbsolute(const std::string& path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      (path[2] == '\\' || path[2] == '/'))
    return true;
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

// "C:\" or "\\server\share\".
bool IsRoot(const std::string& full) {
  if (full.size() == 3 && full[1] == ':') return true;
  if (full.rfind("\\\\", 0) == 0) {
    const size_t server = full.find('\\', 2);
    if (server == std::string::npos) return true;
    const size_t share = full.find('\\', server + 1);
    return share == std::string::npos || share + 1 == full.size();
  }
  return false;
}

}  // namespace

std::vector<std::string> ProtectedFolders() {
  std::vector<std::string> folders;
  auto add = [&](const std::string& path) {
    const std::string full = FullFolder(path);
    if (!full.empty()) folders.push_back(full);
  };
  for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                    CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY,
                    CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_APPDATA,
                    CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY,
                    CSIDL_COMMON_DOCUMENTS, CSIDL_FONTS, CSIDL_STARTMENU})
    add(SpecialFolderPath(csidl));
  const std::string profile = SpecialFolderPath(CSIDL_PROFILE);
  if (!profile.empty()) add(profile + "\\Downloads");
  return folders;
}

bool IsSafeEraseLocation(const std::string& location, const std::vector<std::string>& guarded) {
  if (!IsAbsolute(NormalizeFolderName(location))) return false;
  const std::string full = FullFolder(location);
  if (full.empty() || IsRoot(full)) return false;
  const std::string lower = Lower(full);
  for (const std::string& folder : guarded) {
    // The folder itself, or any folder above it.
    if (Lower(folder).rfind(lower, 0) == 0) return false;
  }
  return true;
}

bool IsSafeEraseLocation(const std::string& location) {
  return IsSafeEraseLocation(location, ProtectedFolders());
}

void DeleteFileUnlessLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  DeleteFileA(path.c_str());
}

}  // namespace velotune
