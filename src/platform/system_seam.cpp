#include "platform/system_seam.h"

#include <shellapi.h>
#include <tlhelp32.h>

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

// Processes

// The user a process runs as, as a SID copied out of its token.
std::vector<BYTE> ProcessUser(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> user(256);
  DWORD size = 0;
  bool ok = GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()),
                                &size) != 0;
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    user.resize(size);
    ok = GetTokenInformation(token, TokenUser, user.data(), size, &size) != 0;
  }
  CloseHandle(token);
  if (!ok) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  const auto* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

std::vector<std::wstring> RealUserProcessImages() {
  std::vector<std::wstring> images;
  const std::vector<BYTE> me = ProcessUser(GetCurrentProcess());
  if (me.empty()) return images;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return images;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    // A process that cannot be asked belongs to someone else.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) continue;
    if (ProcessUser(process) == me) images.push_back(entry.szExeFile);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return images;
}

const SystemSeam kReal = {
    RealSleep,          RealSeedRandom,          RealRandomBelow,         ::MessageBoxA,
    ::ShellExecuteW,    ::DrawAnimatedRects,     RealGetVersion,          ::ExitWindowsEx,
    ::OpenProcessToken, ::LookupPrivilegeValueA, ::AdjustTokenPrivileges, ::InitiateSystemShutdownA,
    ::RegOpenKeyExW,    ::RegCreateKeyExW,       ::RegQueryValueExW,      ::RegSetValueExW,
    ::RegDeleteKeyW,    ::RegCloseKey,           ::RegDeleteValueW,       ::RegEnumKeyExW,
    ::RegEnumValueW,    RealTokenIsElevated,     ::ShellExecuteExW,       RealUserProcessImages,
};

SystemSeam current = kReal;

}  // namespace

SystemSeam& Sys() { return current; }
const SystemSeam& RealSystem() { return kReal; }

}  // namespace velotune
