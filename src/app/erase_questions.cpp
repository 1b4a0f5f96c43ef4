#include "app/erase_questions.h"

#include <algorithm>

#include "platform/system_seam.h"

namespace velotune {

std::optional<BrowserSet> AskAboutRunningBrowsers(HWND owner, const EraseChoices& boxes) {
  for (;;) {
    const BrowserSet running = RunningBrowsers(boxes);
    if (std::none_of(running.begin(), running.end(), [](bool b) { return b; })) return BrowserSet{};
    switch (Sys().MessageBoxA(owner, RunningBrowsersQuestion(running).c_str(), "Velotune",
                              MB_CANCELTRYCONTINUE | MB_ICONWARNING)) {
      case IDTRYAGAIN:
        continue;
      case IDCONTINUE:
        return running;
      default:
        return std::nullopt;
    }
  }
}

}  // namespace velotune
