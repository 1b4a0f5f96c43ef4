#pragma once
// Splitting a command line into arguments; no windows.h, so it also builds natively.
#include <string>
#include <string_view>

namespace velotune {

// Argument n of the line (0 is the program's own name), with one pair of
// surrounding double quotes removed; empty when there are fewer arguments.
std::string CommandLineArgumentOf(std::string_view line, int n);

}  // namespace velotune
