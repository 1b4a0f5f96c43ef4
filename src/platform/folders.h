#pragma once
// Folders, the program's own location, the command line and folder listing.
#include <windows.h>

#include <string>
#include <vector>

namespace velotune {

// The shell's folder for a CSIDL number, without a trailing backslash; empty
// when the shell cannot resolve it.
std::string SpecialFolderPath(int csidl);

// The Firefox profile folder with a trailing backslash; empty when the
// application data folder is unknown, so no path is ever built from nothing.
std::string FirefoxProfileFolder();
// The same below a given application data folder (no trailing backslash).
std::string FirefoxProfileFolderIn(const std::string& appData);

// With several visible entries in the Profiles folder: the profile that
// profiles.ini names as default when it is one of `folders`, else the first
// of `folders`; empty when `folders` is empty.
std::string PickFirefoxProfile(const std::vector<std::string>& folders, const std::string& iniText);

std::string ProgramFilePath();
std::string ProgramFolder();

// Argument n of this process's command line; see CommandLineArgumentOf.
std::string CommandLineArgument(int n);

// Up to and including the last backslash or colon; empty when there is none.
std::string FolderOfPath(const std::string& path);

// True when exactly this path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

inline constexpr DWORD kFilterFolders = 16;  // folders and ordinary files
inline constexpr DWORD kFilterAll = 63;      // hidden, system and volume entries too

struct FolderEntry {
  std::string name;
  DWORD attributes = 0;
};

// A folder listing by pattern and attribute filter: an entry is skipped when
// it has the hidden, system, volume or folder bit and the filter lacks it.
// First and Next give 0 and an entry, or the system's error code.
class EnumerateFolder {
 public:
  EnumerateFolder() = default;
  EnumerateFolder(const EnumerateFolder&) = delete;
  EnumerateFolder& operator=(const EnumerateFolder&) = delete;
  ~EnumerateFolder() { Close(); }

  DWORD First(const std::string& pattern, DWORD filter, FolderEntry& entry);
  DWORD Next(FolderEntry& entry);
  void Close();

 private:
  DWORD SkipHidden(WIN32_FIND_DATAA& data, FolderEntry& entry);

  HANDLE find_ = INVALID_HANDLE_VALUE;
  DWORD skip_ = 0;
};

}  // namespace velotune
