#pragma once
// Runs that need administrator rights, from a process that has none: an
// elevated copy of the program does the run, and the window waits for it.
#include <windows.h>

#include <string>

namespace velotune {

// Whether this process may write machine-wide settings; asked of the token.
bool ProcessIsElevated();

struct ElevatedRun {
  enum Outcome {
    Exited,    // the copy ran; exitCode says how it ended
    Declined,  // the user said no to Windows' question: nothing ran
    Failed,    // the copy could not be started
  } outcome = Failed;
  DWORD exitCode = 0;
};

// Starts this program's own exe with "runas" and the switches, and waits for
// it while the calling thread's windows keep painting. `owner` is disabled
// meanwhile, so that nothing else starts until the copy has ended.
ElevatedRun RunElevatedCopy(HWND owner, const std::string& switches);

}  // namespace velotune
