#include "app/single_instance.h"

#include <windows.h>

namespace velotune {

// Asks for no more than the question needs: a copy with other rights (one
// started elevated) refuses more, and a refusal still means that it runs.
bool AnotherCopyRuns(const char* name) {
  if (HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, name)) {
    CloseHandle(other);
    return true;
  }
  if (GetLastError() == ERROR_ACCESS_DENIED) return true;
  // Two copies started at once can both miss the open; the create tells them apart.
  HANDLE own = CreateMutexA(nullptr, FALSE, name);
  return own ? GetLastError() == ERROR_ALREADY_EXISTS : GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace velotune
