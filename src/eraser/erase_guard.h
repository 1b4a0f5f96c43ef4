#pragma once
// Which folders the eraser may act on. Its locations come from registry text,
// so a location that is a drive or share root, a system folder or one of the
// user's own folders, or lies above one, must never be emptied, however it is
// spelled. Folders are told apart by what their handles report (volume and
// file index), never by comparing path text.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "eraser/file_handle.h"

namespace velotune {

// A location the guard allows, opened.
struct EraseFolder {
  std::wstring path;  // for the file calls: "\\?\...", ending with a backslash
  std::wstring name;  // its object name (ObjectNameOf), ditto
};

class EraseGuard {
 public:
  // The folders of this user and this machine that are never emptied, with
  // `extra` ones (tests use stand-ins), each with every folder above it, and
  // the root of every drive.
  static EraseGuard ForThisUser(const std::vector<std::string>& extra = {});

  // The folders the guard builds on (paths as the shell gives them).
  static std::vector<std::string> KnownFolders();

  // The opened folder when the location is an absolute path to an existing
  // folder that is not a link, not a drive or share root, and neither a
  // guarded folder nor above one.
  std::optional<EraseFolder> Open(const std::string& location) const;
  bool Allows(const std::string& location) const { return Open(location).has_value(); }

 private:
  void Guard(const std::wstring& path);
  void GuardWithParents(const std::wstring& extended);

  std::set<FileIdentity> guarded_;
};

}  // namespace velotune
