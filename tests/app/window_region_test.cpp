#include "app/window_region.h"

#include <gtest/gtest.h>

#include "support/ui_fixture.h"
#include "ui/gdi.h"
#include "widgets/artwork.h"

namespace velotune {
namespace {

constexpr ui::Color kKey = ui::Rgb(255, 0, 255);

ui::Picture Pattern(int width, int height, auto pixelAt) {
  std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixelAt(x, y);
      memcpy(&bgra[(static_cast<size_t>(y) * width + x) * 4], &p, 4);
    }
  return ui::Picture::FromBgra(width, height, bgra);
}

// The region made from every run at once, for comparison.
ui::UniqueRegion RegionAtOnce(const std::vector<RECT>& runs) {
  std::vector<BYTE> block(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(block.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->rcBound = {0, 0, 0, 0};
  memcpy(block.data() + sizeof(RGNDATAHEADER), runs.data(), runs.size() * sizeof(RECT));
  return ui::UniqueRegion(ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()),
                                          reinterpret_cast<const RGNDATA*>(block.data())));
}

TEST(WindowRegion, ShippedBackgroundLosesThreePixelsAtEachCorner) {
  const ui::Picture background = LoadArtwork("BACKGROUND");
  ASSERT_EQ(background.Width(), 550);
  ASSERT_EQ(background.Height(), 374);
  const auto runs = OpaqueRuns(background, kKey);
  ASSERT_EQ(runs.size(), 374u);
  for (int y = 0; y < 374; ++y) {
    const int inset = (y == 0 || y == 373) ? 2 : (y == 1 || y == 372) ? 1 : 0;
    EXPECT_EQ(runs[y].left, inset) << "row " << y;
    EXPECT_EQ(runs[y].right, 550 - inset) << "row " << y;
    EXPECT_EQ(runs[y].top, y);
    EXPECT_EQ(runs[y].bottom, y + 1);
  }
  int made = 0;
  ui::UniqueRegion region(BuildWindowRegion(background, kKey, &made));
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(EqualRgn(region, RegionAtOnce(runs)));
  EXPECT_FALSE(PtInRegion(region, 1, 0));
  EXPECT_TRUE(PtInRegion(region, 2, 0));
  EXPECT_FALSE(PtInRegion(region, 0, 1));
  EXPECT_TRUE(PtInRegion(region, 0, 2));
  EXPECT_FALSE(PtInRegion(region, 549, 372));
  EXPECT_TRUE(PtInRegion(region, 548, 372));
}

TEST(WindowRegion, AllKeyColourGivesAnEmptyRegion) {
  const auto picture = Pattern(40, 30, [](int, int) { return 0xFFFF00FFu; });
  ui::UniqueRegion region(BuildWindowRegion(picture, kKey));
  ASSERT_TRUE(region);
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
}

TEST(WindowRegion, ManyRunsAreBuiltInBatchesThatEqualTheWhole) {
  // Every other pixel opaque: 60 runs a row, 6000 in all.
  const auto picture =
      Pattern(120, 100, [](int x, int y) { return ((x + y) % 2) ? 0xFFFF00FFu : 0xFF102030u; });
  const auto runs = OpaqueRuns(picture, kKey);
  ASSERT_EQ(runs.size(), 6000u);
  int made = 0;
  ui::UniqueRegion region(BuildWindowRegion(picture, kKey, &made));
  EXPECT_EQ(made, 4);  // three full batches and the empty rest
  EXPECT_TRUE(EqualRgn(region, RegionAtOnce(runs)));
  EXPECT_TRUE(PtInRegion(region, 0, 0));
  EXPECT_FALSE(PtInRegion(region, 1, 0));
  EXPECT_TRUE(PtInRegion(region, 119, 99));
}

TEST(WindowRegion, OnlyRedGreenAndBlueDecide) {
  // Key colour with other fourth bytes is transparent; one off in blue is not.
  const auto picture = Pattern(4, 1, [](int x, int) {
    const uint32_t pixels[] = {0x00FF00FFu, 0x7FFF00FFu, 0xFFFF00FEu, 0xFFFF00FFu};
    return pixels[x];
  });
  const auto runs = OpaqueRuns(picture, kKey);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].left, 2);
  EXPECT_EQ(runs[0].right, 3);
}

}  // namespace
}  // namespace velotune
