#include "app/command_line_run.h"

#include <algorithm>

#include "platform/folders.h"
#include "platform/settings.h"
#include "platform/system_seam.h"
#include "ui/application.h"

namespace velotune {
namespace {

// A run nobody watches: nothing to show, so nothing to pace.
class SilentReport : public RunReport {
 public:
  void SetTitle(const std::string&) override {}
  void SetDetail(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowStatus(const std::string&) override {}
  int Progress() const override { return progress_; }
  void SetProgress(int progress) override { progress_ = std::clamp(progress, 0, 100); }

 private:
  int progress_ = 0;
};

void NoPause(DWORD) {}

}  // namespace

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> args;
  for (int n = 1;; ++n) {
    std::string arg = CommandLineArgument(n);
    if (arg.empty()) return args;
    args.push_back(std::move(arg));
  }
}

int RunFromCommandLine(HINSTANCE instance, int showCommand, const CommandLine& line) {
  if (line.kind == CommandLine::Help) {
    if (!line.quiet) Sys().MessageBoxA(nullptr, kUsageText, "Velotune", MB_OK | MB_ICONINFORMATION);
    return kExitDone;
  }
  if (line.kind != CommandLine::Run) {
    if (!line.quiet) {
      const std::string text =
          std::string("Velotune does not know this switch or value. Nothing was changed.\n\n") +
          kUsageText;
      Sys().MessageBoxA(nullptr, text.c_str(), "Velotune", MB_OK | MB_ICONERROR);
    }
    return kExitBadSwitch;
  }
  OpenSettingsKey();
  const CommandEntry& entry = EntryOf(line.request.command);
  bool held = false;
  if (line.quiet) {
    Sys().Sleep = NoPause;
    SilentReport report;
    held = entry.run(line.request, report).done;
  } else {
    ui::Application app(instance, showCommand);
    app.SetTitle("Velotune");
    TPrgWnd progress;
    RunInProgressWindow(progress, entry.title, entry.titleFirst,
                        [&](RunReport& report) { held = entry.run(line.request, report).done; });
  }
  TellRunningWindows();
  return held ? kExitDone : kExitRefused;
}

}  // namespace velotune
