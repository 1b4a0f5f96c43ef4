#include "eraser/tracks_eraser.h"

#include <windows.h>

#include <shlobj.h>

#include <functional>

#include "eraser/erase_guard.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune {
namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kOpera = "Software\\Opera Software";
constexpr const char* kAol = "Software\\America Online\\Aol\\Current Version";
constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Read only, never created: first where a 32-bit browser writes, then the
// 64-bit view. The key is opened anew for every read.
std::string ReadLocation(HKEY root, const char* path, const char* name) {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    if (Sys().RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
      continue;
    const UniqueKey owner(key);
    std::string text = ReadText(key, name, "");
    if (!text.empty()) return text;
  }
  return std::string();
}

bool SameImage(const std::wstring& image, const char* name) {
  return name &&
         CompareStringOrdinal(image.c_str(), -1, Widen(name).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

constexpr const char* kReasonTexts[kStayReasons] = {"in use by another program", "access denied",
                                                    "read-only", "path too long"};

// What to do about items that stayed for a reason, in the box's browser.
std::string Advice(StayReason reason, Browser browser) {
  switch (reason) {
    case StayReason::InUse:
      return std::string("Close ") + kBrowserNames[static_cast<int>(browser)] + " and erase again.";
    case StayReason::AccessDenied:
      return "Your account may not delete them.";
    case StayReason::ReadOnly:
      return "Clear their read-only attribute and erase again.";
    case StayReason::PathTooLong:
      return "Their paths are too long to reach.";
  }
  return std::string();
}

}  // namespace

Browser BrowserOfBox(int box) {
  if (box < 2) return Browser::Firefox;
  if (box < 5) return Browser::InternetExplorer;
  if (box < 7) return Browser::Opera;
  return Browser::Aol;
}

bool EraseStepSelected(const EraseChoices& boxes, int step) {
  // Step 8 belongs to the last two boxes alike; every other step to its own box.
  return step == kEraseSteps - 1 ? (boxes[step] || boxes[step + 1]) : boxes[step];
}

int SelectedEraseSteps(const EraseChoices& boxes) {
  int steps = 0;
  for (int step = 0; step < kEraseSteps; ++step) steps += EraseStepSelected(boxes, step) ? 1 : 0;
  return steps;
}

bool EraseOutcome::EverythingWent() const {
  for (const StayCounts& counts : stayed)
    if (counts.Total() > 0) return false;
  for (bool browser : skipped)
    if (browser) return false;
  return true;
}

BrowserSet RunningBrowsers(const EraseChoices& boxes) {
  BrowserSet running{};
  BrowserSet wanted{};
  for (int box = 0; box < kEraseBoxes; ++box)
    if (boxes[box]) wanted[static_cast<int>(BrowserOfBox(box))] = true;
  if (std::find(wanted.begin(), wanted.end(), true) == wanted.end()) return running;
  for (const std::wstring& image : Sys().UserProcessImages())
    for (int browser = 0; browser < kEraseBrowsers; ++browser)
      for (const char* name : kBrowserImages[browser])
        if (wanted[browser] && SameImage(image, name)) running[browser] = true;
  return running;
}

EraseOutcome RunTracksEraser(RunReport& report, const EraseChoices& boxes, const BrowserSet& skip,
                             const std::vector<std::string>& extraGuarded) {
  EraseOutcome outcome;
  outcome.ticked = boxes;
  SeedRunPauses();
  const int steps = SelectedEraseSteps(boxes);
  if (steps == 0) return outcome;
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
  // What stays in a step counts for its box (step 8: the first ticked of its two).
  StayCounts* stayed = nullptr;
  const std::string roaming = SpecialFolderPath(CSIDL_APPDATA);
  const std::string local = SpecialFolderPath(CSIDL_LOCAL_APPDATA);
  // Each current Opera profile folder below a base folder, ending with a backslash.
  auto forEachOperaProfile = [&](const std::string& base, const auto& work) {
    if (base.empty()) return;
    for (const char* profile : kOperaProfiles)
      for (const char* sub : kOperaProfileSubfolders)
        work(base + "\\Opera Software\\" + profile + "\\" + sub);
  };

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
         for (const char* file : kFirefoxCookieFiles) EraseFile(guard, location, file, stayed);
       }},
      {1, "Erasing FireFox Cache Information...",
       [&] {
         if (!safe(location)) return;
         RemoveFolderContents(guard, location + "Cache\\", stayed);
         // Newer versions keep the disk cache beside the profile's twin in
         // the local application data folder.
         const std::string twin = FirefoxLocalTwin(location, roaming, local);
         if (!twin.empty()) RemoveFolderContents(guard, twin + "cache2\\", stayed);
       }},
      {2, "Erasing Internet Explorer Cookies...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "Cookies");
         if (safe(location)) RemoveFolderContents(guard, location, stayed);
       }},
      {3, kIeCacheText,
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "Cache");
         if (safe(location)) RemoveFolderContents(guard, location, stayed);
         announce("Erasing Internet Explorer History...");
         location = ReadLocation(HKEY_CURRENT_USER, kShellFolders, "History");
         if (safe(location)) RemoveFolderContents(guard, location, stayed);
       }},
      {4, "Erasing Internet Explorer Typed URL List...",
       [&] {
         // A key that is still there after the deletion stayed.
         if (!DeleteSubkey(HKEY_CURRENT_USER, kTypedUrls) &&
             OpenKeyForRead(HKEY_CURRENT_USER, kTypedUrls))
           ++(*stayed)[StayReason::AccessDenied];
       }},
      {5, "Erasing Opera Internet Cookie Files...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kOpera, "Last Directory");
         if (safe(location)) EraseFile(guard, location, "cookies4.dat", stayed);
         forEachOperaProfile(roaming, [&](const std::string& profile) {
           for (const char* file : kOperaCookieFiles) {
             const std::string path = profile + file;
             const size_t name = path.rfind('\\') + 1;
             EraseFile(guard, path.substr(0, name), path.substr(name), stayed);
           }
         });
       }},
      {6, "Erasing Opera Cache Information...",
       [&] {
         location = ReadLocation(HKEY_CURRENT_USER, kOpera, "Last Directory");
         if (safe(location)) {
           RemoveFolderContents(guard, location + "\\Cache4", stayed);
           EraseFile(guard, location, "global.dat", stayed);
         }
         forEachOperaProfile(local, [&](const std::string& profile) {
           RemoveFolderContents(guard, profile + "Cache\\", stayed);
         });
       }},
      {7, "Erasing America Online Cache Files...",
       [&] {
         location = ReadLocation(HKEY_LOCAL_MACHINE, kAol, "AppPath");
         if (safe(location)) RemoveArlFiles(guard, location, stayed);
       }},
  };
  for (const Step& step : plan) {
    if (!EraseStepSelected(boxes, step.index)) continue;
    const int box = boxes[step.index] ? step.index : step.index + 1;
    const int browser = static_cast<int>(BrowserOfBox(box));
    if (skip[browser]) {
      // The browser runs and the user chose to go on without it.
      outcome.skipped[browser] = true;
    } else {
      announce(step.text);
      stayed = &outcome.stayed[box];
      step.work();
    }
    AdvanceGauge(report, stepSize);
    showProgress();
  }
  ClosingSequence(report, kFinishingText);
  return outcome;
}

std::string RunningBrowsersQuestion(const BrowserSet& running) {
  std::vector<std::string> names;
  for (int browser = 0; browser < kEraseBrowsers; ++browser)
    if (running[browser]) names.push_back(kBrowserNames[browser]);
  return JoinNames(names) + (names.size() == 1 ? " is" : " are") +
         " running, and a running browser keeps some of its tracks.\n\n"
         "Close " +
         (names.size() == 1 ? "it" : "them") +
         " and click Try Again, click Continue to erase without " +
         (names.size() == 1 ? "it" : "them") + ", or click Cancel.";
}

std::string ClosingMessage(const EraseOutcome& outcome) {
  if (outcome.EverythingWent()) return std::string();
  std::string text = "Not all tracks could be erased.\n";
  for (int box = 0; box < kEraseBoxes; ++box) {
    if (!outcome.ticked[box]) continue;
    const Browser browser = BrowserOfBox(box);
    const char* name = kBrowserNames[static_cast<int>(browser)];
    const StayCounts& counts = outcome.stayed[box];
    std::string line;
    if (outcome.skipped[static_cast<int>(browser)] && (box != 8 || !outcome.ticked[7])) {
      line = std::string("skipped because ") + name + " was running. Close " + name +
             " and erase again.";
    } else if (counts.Total() > 0) {
      std::vector<std::string> why;
      std::string advice;
      for (int reason = 0; reason < kStayReasons; ++reason) {
        if (counts.count[reason] == 0) continue;
        why.push_back(std::to_string(counts.count[reason]) + " " + kReasonTexts[reason]);
        advice += " " + Advice(static_cast<StayReason>(reason), browser);
      }
      line = std::to_string(counts.Total()) + (counts.Total() == 1 ? " item" : " items") +
             " stayed (" + JoinNames(why) + ")." + advice;
    } else {
      continue;
    }
    text += std::string("\n") + kEraseBoxCaptions[box] + ": " + line;
  }
  return text;
}

}  // namespace velotune
