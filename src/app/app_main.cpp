#include "app/app_main.h"

#include <memory>

#include "app/main_form.h"
#include "platform/startup_trace.h"
#include "progress/prg_wnd.h"
#include "ui/application.h"

namespace velotune {
namespace {

constexpr const char* kMutexName = "imVelotunewhoaREyOu";

// True when another copy holds the mutex. Kept open for the life of the
// process when this copy is the one that runs.
bool AnotherCopyRuns() {
  if (HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(other);
    return true;
  }
  // Two copies started at once can both miss the open; the create tells them apart.
  HANDLE own = CreateMutexA(nullptr, FALSE, kMutexName);
  return own && GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

int AppMain(HINSTANCE instance, int showCommand) {
  trace::MarkEntry();
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
