#include "app/app_main.h"

#include <memory>

#include "app/command_line_run.h"
#include "app/elevation.h"
#include "app/main_form.h"
#include "app/single_instance.h"
#include "app/start_as_user.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/startup_trace.h"
#include "platform/system_library.h"
#include "progress/prg_wnd.h"
#include "ui/application.h"

namespace velotune {
namespace {

// DLLs only from the system folder: a copy started with administrator rights
// from a folder like Downloads must not load what someone put beside it.
void LoadLibrariesOnlyFromSystem() {
  using SetDirs = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll"))
    if (auto set = ExportOf<SetDirs>(kernel, "SetDefaultDllDirectories"))
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
  if (AnotherCopyRuns(kMutexName)) return 0;
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
