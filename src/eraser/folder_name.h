#pragma once
// Folder names as the eraser reads them from the registry; no windows.h, so it
// also builds natively.
#include <string>

namespace velotune {

// Without blanks or control characters at either end, and ending with a
// backslash unless empty.
std::string NormalizeFolderName(const std::string& name);

}  // namespace velotune
