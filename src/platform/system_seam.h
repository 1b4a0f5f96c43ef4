#pragma once
// The calls that block, wait, or reach outside the process. Production points
// them at Win32; a test swaps single entries to record calls or answer boxes.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velotune {

struct SystemSeam {
  // Pacing
  void (*Sleep)(DWORD ms);
  void (*SeedRandom)();     // reseed from a clock
  int (*RandomBelow)(int);  // uniform in [0, n)

  // User-facing and shell
  int (*MessageBoxA)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
  HINSTANCE(*ShellExecuteW)
  (HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show);
  BOOL (*DrawAnimatedRects)(HWND hwnd, int idAni, const RECT* from, const RECT* to);

  // Restart
  DWORD (*GetVersion)();
  BOOL (*ExitWindowsEx)(UINT flags, DWORD reason);
  BOOL (*OpenProcessToken)(HANDLE process, DWORD access, PHANDLE token);
  BOOL (*LookupPrivilegeValueA)(LPCSTR system, LPCSTR name, PLUID luid);
  BOOL(*AdjustTokenPrivileges)
  (HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD length,
   PTOKEN_PRIVILEGES previous, PDWORD returned);
  BOOL(*InitiateSystemShutdownA)
  (LPSTR machine, LPSTR message, DWORD timeout, BOOL force, BOOL reboot);

  // Registry, in the wide forms: a value may name a folder in any script.
  LSTATUS (*RegOpenKeyExW)(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result);
  LSTATUS(*RegCreateKeyExW)
  (HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
   const LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition);
  LSTATUS(*RegQueryValueExW)
  (HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
  LSTATUS(*RegSetValueExW)
  (HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LSTATUS (*RegDeleteKeyW)(HKEY key, LPCWSTR sub);
  LSTATUS (*RegCloseKey)(HKEY key);
  // For the record of original values and putting them back.
  LSTATUS (*RegDeleteValueW)(HKEY key, LPCWSTR name);
  LSTATUS(*RegEnumKeyExW)
  (HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPWSTR cls,
   LPDWORD clsSize, PFILETIME written);
  LSTATUS(*RegEnumValueW)
  (HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
   LPBYTE data, LPDWORD size);

  // Rights: what Windows decides and Wine cannot show (under Wine every
  // process is a full administrator and "runas" simply starts the program).
  bool (*TokenIsElevated)();  // asked once, by whoever needs the answer
  BOOL (*ShellExecuteExW)(SHELLEXECUTEINFOW* info);

  // Processes
  // Image names ("firefox.exe") of the processes running for this user.
  std::vector<std::wstring> (*UserProcessImages)();
};

// The table in use. Starts as the real one.
SystemSeam& Sys();

// The real table, for a test that wants to restore or forward to it.
const SystemSeam& RealSystem();

}  // namespace velotune
