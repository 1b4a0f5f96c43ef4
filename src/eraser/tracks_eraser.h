#pragma once
// The tracks eraser run: one erase step for each ticked trace, reported
// through the progress window, and what stayed behind.
#include <array>
#include <string>
#include <vector>

#include "eraser/removal.h"
#include "platform/run_report.h"

namespace velotune {

inline constexpr int kEraseBoxes = 9;
inline constexpr int kEraseSteps = 8;

// Ticks of IE_BOX1 to IE_BOX9; the last two share one step.
using EraseChoices = std::array<bool, kEraseBoxes>;

// What each box offers to erase, as its caption says: IE_BOX1 to IE_BOX9.
inline constexpr const char* kEraseBoxCaptions[kEraseBoxes] = {
    "Erase Firefox Cookie Files",
    "Erase Firefox Cache Information",
    "Erase Internet Explorer Cookie Files",
    "Erase Internet Explorer Cache Information",
    "Erase Recently Typed URL List from Browser",
    "Erase Opera Cookie Files",
    "Erase Opera Cache Information",
    "Erase America Online Cache Files",
    "Erase America Online Recently Typed Keywords",
};

// The browsers whose traces the boxes erase, and the program images that
// tell they are running.
enum class Browser { Firefox, InternetExplorer, Opera, Aol };
inline constexpr int kEraseBrowsers = 4;
inline constexpr const char* kBrowserNames[kEraseBrowsers] = {"Firefox", "Internet Explorer",
                                                              "Opera", "America Online"};
inline constexpr std::array<const char*, 2> kBrowserImages[kEraseBrowsers] = {
    {"firefox.exe", nullptr},
    {"iexplore.exe", nullptr},
    {"opera.exe", nullptr},
    {"aol.exe", "waol.exe"},
};
// Indexed by Browser.
using BrowserSet = std::array<bool, kEraseBrowsers>;

// The browser of box 0 to 8.
Browser BrowserOfBox(int box);

// Whether the choices select erase step `step` (0 to 7).
bool EraseStepSelected(const EraseChoices& boxes, int step);
// The number of steps the choices select (0 to 8).
int SelectedEraseSteps(const EraseChoices& boxes);

// Shown while the Internet Explorer cache folder is emptied.
inline constexpr const char* kIeCacheText = "Erasing Internet Explorer Cache Information...";

// Firefox's cookie files in a profile: the old text file and the database
// with its journals.
inline constexpr const char* kFirefoxCookieFiles[] = {"cookies.txt", "cookies.sqlite",
                                                      "cookies.sqlite-wal", "cookies.sqlite-shm",
                                                      "cookies.sqlite-journal"};

// Current Opera keeps its profile under these names in the roaming
// application data folder's "Opera Software", and its cache in the local
// twin; each either right there or in its "Default" sub-folder.
inline constexpr const char* kOperaProfiles[] = {"Opera Stable", "Opera GX Stable"};
inline constexpr const char* kOperaProfileSubfolders[] = {"", "Default\\"};
// Cookie files, relative to such a profile folder.
inline constexpr const char* kOperaCookieFiles[] = {"Network\\Cookies", "Network\\Cookies-journal",
                                                    "Cookies", "Cookies-journal"};

// How a run went: per box, the items that stayed and why; the browsers whose
// steps were skipped because they were running.
struct EraseOutcome {
  EraseChoices ticked{};
  std::array<StayCounts, kEraseBoxes> stayed{};
  BrowserSet skipped{};

  bool EverythingWent() const;
};

// The browsers of ticked boxes that run for this user, by image name.
BrowserSet RunningBrowsers(const EraseChoices& boxes);

// Needs at least one step; does nothing without one. The steps of the
// browsers in `skip` are passed over (the gauge still advances).
// `extraGuarded` adds folders that are never emptied to the real ones (tests
// use stand-ins).
EraseOutcome RunTracksEraser(RunReport& report, const EraseChoices& boxes,
                             const BrowserSet& skip = {},
                             const std::vector<std::string>& extraGuarded = {});

// Asked before a run when browsers of ticked boxes are running; answered
// with Try Again, Continue or Cancel.
std::string RunningBrowsersQuestion(const BrowserSet& running);

// Shown after a run when not everything went: per box, what stayed and why,
// and what to do. Empty when everything went.
std::string ClosingMessage(const EraseOutcome& outcome);

}  // namespace velotune
