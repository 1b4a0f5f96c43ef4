#include "app/window_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velotune {
namespace {

constexpr uint32_t kKey = 0xFF00FF;

// One letter a pixel: '.' the key colour, ',' the key colour with a clear
// fourth byte, 'n' one off the key in blue, 'x' any other colour.
std::vector<uint32_t> Pixels(const std::string& letters) {
  std::vector<uint32_t> pixels;
  for (char c : letters)
    pixels.push_back(c == '.'   ? 0xFFFF00FFu
                     : c == ',' ? 0x00FF00FFu
                     : c == 'n' ? 0xFFFF00FEu
                                : 0xFF102030u);
  return pixels;
}

TEST(OpaqueRuns, OneRectangleForEachStretchOfNonKeyPixels) {
  const struct {
    const char* what;
    std::string letters;
    int width;
    std::vector<PixelRun> runs;
  } cases[] = {
      {"no pixels", "", 4, {}},
      {"no width", "xxxx", 0, {}},
      {"negative width", "xxxx", -2, {}},
      {"all key", "........", 4, {}},
      {"all opaque", "xxxxxx", 3, {{0, 0, 3, 1}, {0, 1, 3, 2}}},
      {"gap in the middle", "x..x", 4, {{0, 0, 1, 1}, {3, 0, 4, 1}}},
      {"against the right edge", "..xx", 4, {{2, 0, 4, 1}}},
      {"runs stop at the row's end", "xxxx", 2, {{0, 0, 2, 1}, {0, 1, 2, 2}}},
      {"an empty row between", "x.....x.", 2, {{0, 0, 1, 1}, {0, 3, 1, 4}}},
      {"fourth byte ignored", ",.,x", 4, {{3, 0, 4, 1}}},
      {"one off in blue is opaque", ".n.", 3, {{1, 0, 2, 1}}},
      {"partial last row ignored", "xx.xx", 2, {{0, 0, 2, 1}, {1, 1, 2, 2}}},
      {"one pixel", "x", 1, {{0, 0, 1, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint32_t> pixels = Pixels(c.letters);
    const std::vector<PixelRun> runs = OpaqueRuns(pixels, c.width, kKey);
    ASSERT_EQ(runs.size(), c.runs.size());
    for (size_t i = 0; i < runs.size(); ++i)
      EXPECT_EQ(runs[i], c.runs[i]) << "run " << i << " is " << runs[i].left << "," << runs[i].top
                                    << " to " << runs[i].right << "," << runs[i].bottom;
  }
}

TEST(OpaqueRuns, KeyIsComparedWithoutItsFourthByte) {
  const std::vector<uint32_t> pixels = Pixels("x.,x");
  const std::vector<PixelRun> want = {{0, 0, 1, 1}, {3, 0, 4, 1}};
  EXPECT_EQ(OpaqueRuns(pixels, 4, 0x00FF00FF), want);
  EXPECT_EQ(OpaqueRuns(pixels, 4, 0xABFF00FF), want);
}

}  // namespace
}  // namespace velotune
