#include "support/seam_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>

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
  GuardRestart(seam);
}

SeamRecorder::~SeamRecorder() {
  Sys() = RealSystem();
  GuardRestart(Sys());
  current = nullptr;
}

SeamRecorder* SeamRecorder::Current() { return current; }

}  // namespace velotune::test
