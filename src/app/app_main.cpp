#include "app/app_main.h"

#include <memory>

#include "app/command_line_run.h"
#include "app/elevation.h"
#include "app/main_form.h"
#include "app/start_as_user.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/startup_trace.h"
#include "progress/prg_wnd.h"
#include "ui/application.h"

namespace velotune {
namespace {

constexpr const char* kMutexName = "imVelotunewhoaREyOu";

// True when another copy holds the mutex. Kept open for the life of the
// process when this copy is the one that runs. Asks for no more than the
// question needs: a copy with other rights (one started elevated) refuses
// more, and a refusal still means that it runs.
bool AnotherCopyRuns() {
  if (HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, kMutexName)) {
    CloseHandle(other);
    return true;
  }
  if (GetLastError() == ERROR_ACCESS_DENIED) return true;
  // Two copies started at once can both miss the open; the create tells them apart.
  HANDLE own = CreateMutexA(nullptr, FALSE, kMutexName);
  return own ? GetLastError() == ERROR_ALREADY_EXISTS : GetLastError() == ERROR_ACCESS_DENIED;
}

// DLLs only from the system folder: a copy started with administrator rights
// from a folder like Downloads must not load what someone put beside it.
void LoadLibrariesOnlyFromSystem() {
  using SetDirs = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll"))
    if (auto set = reinterpret_cast<SetDirs>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
      set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int AppMain(HINSTANCE instance, int showCommand) {
  trace::MarkEntry();
  LoadLibrariesOnlyFromSystem();
  const CommandLine line = ParseCommandLine(ProcessArguments());
  if (line.kind == CommandLine::StartAsUser) {
    // Setup's finish page: the copy that stays in the tray gets the user's
    // own token. Where the shell cannot be asked, this process goes on itself.
    if (ProcessIsElevated() && StartThroughDesktopShell(Widen(ProgramFilePath()))) return 0;
  } else if (line.kind != CommandLine::Window) {
    return RunFromCommandLine(instance, showCommand, line);
  }
  if (AnotherCopyRuns()) return 0;
  ui::Application app(instance, showCommand);
  app.SetTitle("Velotune");
  TForm1 form;
  form.SetDeferHiddenWindows(true);
  {
    trace::Scope phase(trace::Phase::Controls);
    form.CreateForm();
  }
  auto progress = [] {
    trace::Scope phase(trace::Phase::Progress);
    return std::make_unique<TPrgWnd>(true);  // hidden, its window made when a run shows it
  }();
  form.SetProgressWindow(progress.get());
  return app.Run();
}

}  // namespace velotune
