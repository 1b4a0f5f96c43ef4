#pragma once
// The questions and the closing message around a run of the tracks eraser.
#include <windows.h>

#include <optional>

#include "eraser/tracks_eraser.h"

namespace velotune {

// Before a run: while browsers of ticked boxes are running, asks once what to
// do (Try Again looks again). The browsers to skip, or nothing when the user
// cancels.
std::optional<BrowserSet> AskAboutRunningBrowsers(HWND owner, const EraseChoices& boxes);

}  // namespace velotune
