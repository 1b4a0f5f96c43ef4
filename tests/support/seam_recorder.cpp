#include "support/seam_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace velotune::test {
namespace {

SeamRecorder* current = nullptr;

void RecordSleep(DWORD ms) {
  current->pauses.push_back(ms);
  if (current->onPause) current->onPause(ms);
}

void RecordSeed() { ++current->seeds; }

int RecordRandom(int n) { return n > 0 ? std::min(current->randomValue, n - 1) : 0; }

int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  current->boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  if (current->onBox) current->onBox(current->boxes.back());
  return current->boxAnswer;
}

HINSTANCE RecordShell(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir,
                      INT show) {
  current->launches.push_back({owner, verb ? Narrow(verb) : "", file ? Narrow(file) : "",
                               params != nullptr, dir != nullptr, show});
  return reinterpret_cast<HINSTANCE>(42);
}

BOOL RecordAnimation(HWND hwnd, int id, const RECT* from, const RECT* to) {
  current->animations.push_back({hwnd, id, *from, *to});
  return TRUE;
}

bool RecordElevated() { return current->elevated; }

BOOL RecordShellEx(SHELLEXECUTEINFOW* info) {
  current->elevations.push_back({info->hwnd, info->lpVerb ? Narrow(info->lpVerb) : "",
                                 info->lpFile ? Narrow(info->lpFile) : "",
                                 info->lpParameters ? Narrow(info->lpParameters) : ""});
  HANDLE process = current->onElevation ? current->onElevation(current->elevations.back()) : nullptr;
  if (!process) {
    SetLastError(current->elevationError);
    return FALSE;
  }
  info->hProcess = process;
  return TRUE;
}

BOOL RefuseExitWindows(UINT, DWORD) {
  ADD_FAILURE() << "a test reached ExitWindowsEx";
  return FALSE;
}
BOOL RefuseShutdown(LPSTR, LPSTR, DWORD, BOOL, BOOL) {
  ADD_FAILURE() << "a test reached InitiateSystemShutdownA";
  return FALSE;
}
BOOL RefuseAdjust(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) {
  ADD_FAILURE() << "a test reached AdjustTokenPrivileges";
  return FALSE;
}

}  // namespace

void GuardRestart(SystemSeam& seam) {
  seam.ExitWindowsEx = RefuseExitWindows;
  seam.InitiateSystemShutdownA = RefuseShutdown;
  seam.AdjustTokenPrivileges = RefuseAdjust;
}

SeamRecorder::SeamRecorder() {
  current = this;
  SystemSeam& seam = Sys();
  seam.Sleep = RecordSleep;
  seam.SeedRandom = RecordSeed;
  seam.RandomBelow = RecordRandom;
  seam.MessageBoxA = RecordBox;
  seam.ShellExecuteW = RecordShell;
  seam.DrawAnimatedRects = RecordAnimation;
  seam.TokenIsElevated = RecordElevated;
  seam.ShellExecuteExW = RecordShellEx;
  GuardRestart(seam);
}

SeamRecorder::~SeamRecorder() {
  Sys() = RealSystem();
  GuardRestart(Sys());
  current = nullptr;
}

SeamRecorder* SeamRecorder::Current() { return current; }

HANDLE ProcessExitingWith(DWORD code) {
  std::wstring line = L"cmd.exe /c exit " + std::to_wstring(code);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    ADD_FAILURE() << "cmd.exe did not start: " << GetLastError();
    return nullptr;
  }
  CloseHandle(info.hThread);
  return info.hProcess;
}

}  // namespace velotune::test
