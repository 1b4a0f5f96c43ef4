#include "netopt/shutdown.h"

#include <windows.h>

#include "platform/system_seam.h"

namespace velotune {
namespace {

bool EnablePrivilege(HANDLE token, const char* machine, const char* name) {
  LUID luid;
  if (!Sys().LookupPrivilegeValueA(machine, name, &luid)) return false;
  TOKEN_PRIVILEGES wanted = {};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Luid = luid;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  TOKEN_PRIVILEGES previous = {};
  DWORD returned = 0;
  Sys().AdjustTokenPrivileges(token, FALSE, &wanted, sizeof wanted, &previous, &returned);
  return true;
}

}  // namespace

bool ShutdownWindows(const std::string& machine, bool force, bool restart) {
  // The top bit marks Windows 95, 98 and Me.
  if (Sys().GetVersion() & 0x80000000u) {
    if (!machine.empty()) return false;
    UINT flags = EWX_SHUTDOWN;
    if (restart) flags |= EWX_REBOOT;
    if (force) flags |= EWX_FORCE;
    return Sys().ExitWindowsEx(flags, 0) != FALSE;
  }
  const char* name = machine.empty() ? nullptr : machine.c_str();
  HANDLE token = nullptr;
  Sys().OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
  const bool enabled = EnablePrivilege(token, name, "SeShutdownPrivilege") &&
                       EnablePrivilege(token, name, "SeRemoteShutdownPrivilege");
  if (token) CloseHandle(token);
  if (!enabled) return false;
  return Sys().InitiateSystemShutdownA(const_cast<char*>(name), nullptr, 0, force, restart) !=
         FALSE;
}

}  // namespace velotune
