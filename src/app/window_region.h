#pragma once
// The window outline cut from a picture: every run of pixels that are not the
// transparent colour becomes one rectangle of the region.
#include <windows.h>

#include <vector>

#include "ui/color.h"
#include "ui/picture.h"

namespace velotune {

// Rectangles go to the region in batches of this many.
inline constexpr DWORD kRegionBatch = 2000;

// The caller owns the region; null when the system refuses to make one.
// `regionsMade` receives how many regions were made and combined.
HRGN BuildWindowRegion(const ui::Picture& picture, ui::Color transparent,
                       int* regionsMade = nullptr);

// The runs of opaque pixels (window_runs.h), row by row, one rectangle each.
std::vector<RECT> OpaqueRuns(const ui::Picture& picture, ui::Color transparent);

}  // namespace velotune
