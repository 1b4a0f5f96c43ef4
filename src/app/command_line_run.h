#pragma once
#include <windows.h>

#include "app/commands.h"

namespace velotune {

// A start with our switches: one run and its exit code, or the usage. No
// single-instance test, no main window and no tray icon.
int RunFromCommandLine(HINSTANCE instance, int showCommand, const CommandLine& line);

// This process's arguments after the program's name.
std::vector<std::string> ProcessArguments();

}  // namespace velotune
