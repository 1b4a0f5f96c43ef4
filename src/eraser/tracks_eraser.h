#pragma once
// The tracks eraser run: one erase step for each ticked trace, reported
// through the progress window.
#include <array>
#include <string>
#include <vector>

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

// Needs at least one step; does nothing without one. `extraGuarded` adds
// folders that are never emptied to the real ones (tests use stand-ins).
void RunTracksEraser(RunReport& report, const EraseChoices& boxes,
                     const std::vector<std::string>& extraGuarded = {});

}  // namespace velotune
