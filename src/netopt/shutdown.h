#pragma once
#include <string>

namespace velotune {

// Restarts (or shuts down) Windows; true when the final system call accepted it.
bool ShutdownWindows(const std::string& machine, bool force, bool restart);

}  // namespace velotune
