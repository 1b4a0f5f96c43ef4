#pragma once
#include <windows.h>

namespace velotune {

// The program's entry; gives the process exit code.
int AppMain(HINSTANCE instance, int showCommand);

}  // namespace velotune
