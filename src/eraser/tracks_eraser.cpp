#include "eraser/tracks_eraser.h"

#include <windows.h>

#include <shlobj.h>

#include <functional>

#include "eraser/erase_guard.h"
#include "eraser/removal.h"
#include "platform/folders.h"
#include "platform/registry.h"

namespace velotune {
namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kOpera = "Software\\Opera Software";
constexpr const char* kAol = "Software\\America Online\\Aol\\Current Version";

// The key is opened (and created where the rights allow) for every read.
std::string ReadLocation(HKEY root, const char* path, const char* name) {
  return ReadText(OpenOrCreateKey(root, path), name, "");
}

}  // namespace

bool EraseStepSelected(const EraseChoices& boxes, int step) {
  // Step 8 belongs to the last two boxes alike; every other step to its own box.
  return step == kEraseSteps - 1 ? (boxes[step] || boxes[step + 1]) : boxes[step];
}

int SelectedEraseSteps(const EraseChoices& boxes) {
  int steps = 0;
  for (int step = 0; step < kEraseSteps; ++step) steps += EraseStepSelected(boxes, step) ? 1 : 0;
  return steps;
}

void RunTracksEraser(RunReport& report, const EraseChoices& boxes,
                     const std::vector<std::string>& extraGuarded) {
  SeedRunPauses();
  const int steps = SelectedEraseSteps(boxes);
  if (steps == 0) return;
  const int stepSize = 100 / steps;
  auto showProgress = [&] {
    ShowPercentage(report);
    RandomPause();
  };
  auto announce = [&](const char* text) { report.ShowDetail(text); };
  // Every piece of work checks its location first: an empty, relative,
  // missing or guarded location is passed over, and the gauge advances all
  // the same.
  const EraseGuard guard = EraseGuard::ForThisUser(extraGuarded);
  auto safe = [&](const std::string& location) { return guard.Allows(location); };

  showProgress();
  std::string location = FirefoxProfileFolder();
  struct Step {
    int index;  // 0 to 7
    const char* text;
    std::function<void()> work;
  };
  const Step plan[] = {
      {0, "Erasing FireFox Cookie Files...",
       [&] {
         if (!safe(location)) return;
         for (const char* file : kFirefoxCookieFiles) EraseFile(guard, location, file);
       }},
      {1, "Erasing FireFox Cache Information...",
       [&] {
         if (!safe(location)) return;
         RemoveFolderContents(guard, location + "Cache\\");
         // Newer versions keep the disk cache beside the profile's twin in
         // the local application data folder.
         const std::string twin = FirefoxLocalTwin(location, SpecialFolderPath(CSIDL_APPDATA),
                                                   SpecialFolderPath(CSIDL_LOCAL_APPDATA));
         if (!twin.empty()) RemoveFolderContents(guard, twin + "cache2\\");
       }},
      {2, "Erasing Internet Explorer Cookies...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "Cookies");
         if (safe(location)) RemoveFolderContents(guard, location);
       }},
      {3, kIeCacheText,
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "Cache");
         if (safe(location)) RemoveFolderContents(guard, location);
         announce("Erasing Internet Explorer History...");
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "History");
         if (safe(location)) RemoveFolderContents(guard, location);
       }},
      {4, "Erasing Internet Explorer Typed URL List...",
       [&] {
         DeleteSubkey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs");
       }},
      {5, "Erasing Opera Internet Cookie Files...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kOpera, "Last Directory");
         if (safe(location)) EraseFile(guard, location, "cookies4.dat");
       }},
      {6, "Erasing Opera Cache Information...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kOpera, "Last Directory");
         if (!safe(location)) return;
         RemoveFolderContents(guard, location + "\\Cache4");
         EraseFile(guard, location, "global.dat");
       }},
      {7, "Erasing America Online Cache Files...",
       [&] {
         location = ReadLocation(HKEY_LOCAL_MACHINE, kAol, "AppPath");
         if (safe(location)) RemoveArlFiles(guard, location);
       }},
  };
  for (const Step& step : plan) {
    if (!EraseStepSelected(boxes, step.index)) continue;
    announce(step.text);
    step.work();
    AdvanceGauge(report, stepSize);
    showProgress();
  }
  ClosingSequence(report, kFinishingText);
}

}  // namespace velotune
