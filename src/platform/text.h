#pragma once
// Paths and texts are UTF-8 inside the program; the wide forms of the Win32
// calls take them as UTF-16. These convert at that boundary.
#include <string>
#include <string_view>

namespace velotune {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace velotune
