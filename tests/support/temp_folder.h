#pragma once
// A fresh folder under the temporary folder for one test, removed afterwards.
// Its removal never follows a link out of the folder.
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

  // Relative paths use backslashes; parents are created as needed.
  void MakeFolder(const std::string& relative) const;
  void MakeFile(const std::string& relative, const std::string& contents = "x") const;
  bool Exists(const std::string& relative) const;

  // Makes `relative` a Unix symbolic link to the folder `targetRelative`, as
  // Wine shows a junction; removed with the folder. Folders only: a link to a
  // file would make Wine delete the target with the link.
  bool MakeFolderLink(const std::string& relative, const std::string& targetRelative);

 private:
  std::string path_;
  std::vector<std::string> links_;  // Unix paths
};

// Removes a tree by hand, clearing read-only bits and never entering a link.
void RemoveTreeForTest(const std::string& folder);

}  // namespace velotune::test
