#pragma once
#include <string>

namespace velotune {

// Asks the desktop's shell, which runs with the user's own token, to start
// the program: Setup runs elevated, and the copy that stays in the tray must
// not. False when the shell could not be asked (no desktop shell).
bool StartThroughDesktopShell(const std::wstring& exe);

}  // namespace velotune
