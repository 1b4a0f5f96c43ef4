#include "app/window_runs.h"

namespace velotune {

std::vector<PixelRun> OpaqueRuns(std::span<const uint32_t> pixels, int width, uint32_t keyRgb) {
  std::vector<PixelRun> runs;
  if (width <= 0) return runs;
  const size_t height = pixels.size() / static_cast<size_t>(width);
  keyRgb &= 0xFFFFFF;
  for (size_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + y * static_cast<size_t>(width);
    int x = 0;
    while (x < width) {
      // The fourth byte is not part of the colour.
      while (x < width && (row[x] & 0xFFFFFF) == keyRgb) ++x;
      const int x0 = x;
      while (x < width && (row[x] & 0xFFFFFF) != keyRgb) ++x;
      if (x > x0) runs.push_back({x0, static_cast<int>(y), x, static_cast<int>(y) + 1});
    }
  }
  return runs;
}

}  // namespace velotune
