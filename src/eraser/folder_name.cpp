#include "eraser/folder_name.h"

namespace velotune {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string NormalizeFolderName(const std::string& name) {
  size_t first = 0, last = name.size();
  while (first < last && IsBlank(name[first])) ++first;
  while (last > first && IsBlank(name[last - 1])) --last;
  std::string folder = name.substr(first, last - first);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace velotune
