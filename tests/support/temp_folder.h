#pragma once
// A fresh folder under the temporary folder for one test, removed afterwards.
// Its removal never follows a link out of the folder. Relative paths are
// UTF-8 with backslashes, of any length.
#include <windows.h>

#include <string>
#include <vector>

namespace velotune::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, ending with a backslash.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + relative; }

  // Parents are created as needed.
  void MakeFolder(const std::string& relative) const;
  void MakeFile(const std::string& relative, const std::string& contents = "x") const;
  bool Exists(const std::string& relative) const;
  bool SetAttributes(const std::string& relative, DWORD attributes) const;
  std::string Read(const std::string& relative) const;

  // Makes `relative` a Unix symbolic link to the folder `targetRelative`, as
  // Wine shows a junction; removed with the folder.
  bool MakeFolderLink(const std::string& relative, const std::string& targetRelative);
  // The same to any existing folder (for links into the system's folders).
  bool MakeFolderLinkTo(const std::string& relative, const std::string& targetFolder);
  // A Unix symbolic link to the file `targetRelative`, which must lie in this
  // folder: Wine lists such a link as a plain file and deletes its target
  // with it, so the target is never anything outside the folder. The links
  // are unlinked first when the folder goes.
  bool MakeFileLink(const std::string& relative, const std::string& targetRelative);

 private:
  bool MakeLink(const std::string& link, const std::string& target, bool folder);

  std::string path_;
  std::vector<std::string> links_;  // Unix paths
};

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path);

// Runs a Unix command line and waits until `done` holds (Wine does not wait
// for Unix programs); false when it never does.
bool RunUnix(const std::string& command, bool (*done)(const std::string&), const std::string& arg);

// Removes a tree by hand, clearing read-only bits and never entering a link.
void RemoveTreeForTest(const std::string& folder);

// Every entry below a folder, as relative UTF-8 paths.
std::vector<std::string> TreeBelow(const std::string& folder);

}  // namespace velotune::test
