#pragma once
// The rows of opaque pixels that make the window outline; no windows.h, so it
// also builds natively.
#include <cstdint>
#include <span>
#include <vector>

namespace velotune {

// One row's stretch of pixels, right and bottom exclusive (a RECT's order).
struct PixelRun {
  int left, top, right, bottom;
  bool operator==(const PixelRun&) const = default;
};

// Every run of pixels whose colour is not `keyRgb` (0xRRGGBB; the top byte of
// a pixel is ignored), row by row from the top, left to right. `pixels` holds
// rows of `width` 0xAARRGGBB words; a partial last row is not looked at.
std::vector<PixelRun> OpaqueRuns(std::span<const uint32_t> pixels, int width, uint32_t keyRgb);

}  // namespace velotune
