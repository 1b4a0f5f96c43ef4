#include "app/elevation.h"

#include <shellapi.h>

#include "platform/folders.h"
#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune {
namespace {

// Pumps messages until the process ends; a quit request is kept for the loop.
void WaitPainting(HANDLE process) {
  bool quit = false;
  WPARAM quitCode = 0;
  while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace

bool ProcessIsElevated() { return Sys().TokenIsElevated(); }

ElevatedRun RunElevatedCopy(HWND owner, const std::string& switches) {
  ElevatedRun run;
  const std::wstring exe = Widen(ProgramFilePath());
  const std::wstring params = Widen(switches);
  if (exe.empty()) return run;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = exe.c_str();
  info.lpParameters = params.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!Sys().ShellExecuteExW(&info)) {
    if (GetLastError() == ERROR_CANCELLED) run.outcome = ElevatedRun::Declined;
    return run;
  }
  if (!info.hProcess) return run;
  const bool wasEnabled = owner && !EnableWindow(owner, FALSE);
  WaitPainting(info.hProcess);
  if (wasEnabled) {
    EnableWindow(owner, TRUE);
    // The copy's window had the foreground; give it back to a shown window.
    if (IsWindowVisible(owner)) SetForegroundWindow(owner);
  }
  if (GetExitCodeProcess(info.hProcess, &run.exitCode)) run.outcome = ElevatedRun::Exited;
  CloseHandle(info.hProcess);
  return run;
}

}  // namespace velotune
