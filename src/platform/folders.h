#pragma once
// Folders, the program's own location, the command line and folder listing.
// Paths are UTF-8 here and go to the wide Win32 calls, so any name and any
// length the file system allows works.
#include <shtypes.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velotune {

// Calls `fill` with a buffer of growing size until the text fits; `fill`
// gives the length written, or the size it needs when that is larger.
template <typename Fill>
std::wstring GrowingBuffer(size_t first, Fill fill) {
  std::wstring buffer(first, L'\0');
  for (int tries = 0; tries < 8; ++tries) {
    const DWORD got = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return std::wstring();
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    buffer.resize(std::max<size_t>(got + 1, buffer.size() * 2));
  }
  return std::wstring();
}

// The shell's folder for a CSIDL number, without a trailing backslash; empty
// when the shell cannot resolve it.
std::string SpecialFolderPath(int csidl);
// The same for a known folder that has no CSIDL number (Downloads).
std::string KnownFolderPath(REFKNOWNFOLDERID id);

// The Firefox profile folder with a trailing backslash; empty when the
// application data folder is unknown, so no path is ever built from nothing.
std::string FirefoxProfileFolder();
// The same below a given application data folder (no trailing backslash).
std::string FirefoxProfileFolderIn(const std::string& appData);

// With several visible entries in the Profiles folder: the default that
// profiles.ini or installs.ini names for an installation, else the profile
// profiles.ini marks as default, when it is one of `folders`; else the first
// of `folders`; empty when `folders` is empty.
std::string PickFirefoxProfile(const std::vector<std::string>& folders,
                               const std::string& profilesIni,
                               const std::string& installsIni = std::string());

// Firefox keeps a profile's disk cache in a folder of the same name below the
// local application data folder. Given a profile folder below `roaming`
// (both as above), that folder with a trailing backslash; else empty.
std::string FirefoxLocalTwin(const std::string& profileFolder, const std::string& roaming,
                             const std::string& local);

std::string ProgramFilePath();
std::string ProgramFolder();

// Argument n of this process's command line; see CommandLineArgumentOf.
std::string CommandLineArgument(int n);

// Up to and including the last backslash or colon; empty when there is none.
std::string FolderOfPath(const std::string& path);

// True when exactly this path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

// The path as the wide file calls take it at any length: "\\?\C:\..." or
// "\\?\UNC\server\share\...", with "." and ".." resolved and "/" read as "\".
// A path already in the "\\?\" or "\\.\" form is given back unchanged.
std::wstring ExtendedPath(const std::wstring& path);
std::wstring ExtendedPath(const std::string& path);

inline constexpr DWORD kFilterFolders = 16;  // folders and ordinary files
inline constexpr DWORD kFilterAll = 63;      // hidden, system and volume entries too

// Names stay as the file system lists them (UTF-16): a name that is not valid
// Unicode still names its entry.
struct FolderEntry {
  std::wstring name;
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

  DWORD First(const std::wstring& pattern, DWORD filter, FolderEntry& entry);
  DWORD Next(FolderEntry& entry);
  void Close();

 private:
  DWORD SkipHidden(WIN32_FIND_DATAW& data, FolderEntry& entry);

  HANDLE find_ = INVALID_HANDLE_VALUE;
  DWORD skip_ = 0;
};

}  // namespace velotune
