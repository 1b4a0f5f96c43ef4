#include "platform/system_seam.h"

#include <shellapi.h>

#include <cstdlib>
#include <ctime>

namespace velotune {
namespace {

void RealSleep(DWORD ms) { ::Sleep(ms); }

void RealSeedRandom() {
  // The tick count changes between runs even when they start in the same second.
  std::srand(static_cast<unsigned>(std::time(nullptr)) ^ ::GetTickCount());
}

int RealRandomBelow(int n) { return n > 0 ? std::rand() % n : 0; }

DWORD RealGetVersion() {
  // GetVersion is deprecated in the headers but is exactly the call we want.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersion();
#pragma GCC diagnostic pop
}

// False only for a token that UAC has limited, or a standard user's: a
// Windows without UAC gives no answer, and there every process has its full rights.
bool RealTokenIsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const BOOL asked =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  ::CloseHandle(token);
  return !asked || elevation.TokenIsElevated != 0;
}

const SystemSeam kReal = {
    RealSleep,          RealSeedRandom,          RealRandomBelow,         ::MessageBoxA,
    ::ShellExecuteW,    ::DrawAnimatedRects,     RealGetVersion,          ::ExitWindowsEx,
    ::OpenProcessToken, ::LookupPrivilegeValueA, ::AdjustTokenPrivileges, ::InitiateSystemShutdownA,
    ::RegOpenKeyExW,    ::RegCreateKeyExW,       ::RegQueryValueExW,      ::RegSetValueExW,
    ::RegDeleteKeyW,    ::RegCloseKey,           ::RegDeleteValueW,       ::RegEnumKeyExW,
    ::RegEnumValueW,    RealTokenIsElevated,     ::ShellExecuteExW,
};

SystemSeam current = kReal;

}  // namespace

SystemSeam& Sys() { return current; }
const SystemSeam& RealSystem() { return kReal; }

}  // namespace velotune
