// The artwork drawn for each DPI: the picks between the drawn scales and the sizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dpi.h"
#include "widgets/artwork.h"

namespace velotune {
namespace {

// The names of the 1x pictures among the program's PNG resources.
std::vector<std::string> OneTimesNames() {
  std::vector<std::string> names;
  EnumResourceNamesA(
      GetModuleHandleA(nullptr), "PNG",
      [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) -> BOOL {
        if (IS_INTRESOURCE(name)) return TRUE;
        const std::string n = name;
        const bool scaled = n.starts_with("X15_") || n.starts_with("X2_");
        if (!scaled) reinterpret_cast<std::vector<std::string>*>(found)->push_back(n);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&names));
  return names;
}

TEST(ArtworkForDpi, NearestDrawnScaleAtOrAboveTheDpi) {
  struct Case {
    int dpi;
    const char* prefix;
  };
  for (const Case& c :
       {Case{72, ""}, Case{96, ""}, Case{97, "X15_"}, Case{120, "X15_"}, Case{144, "X15_"},
        Case{145, "X2_"}, Case{168, "X2_"}, Case{192, "X2_"}, Case{288, "X2_"}})
    EXPECT_STREQ(ArtworkScalePrefix(c.dpi), c.prefix) << c.dpi;
}

// Every picture is drawn at 1.5x and 2x; at 144 and 192 DPI those drawings are
// used as they are, and they are drawings, not the 1x picture enlarged.
TEST(ArtworkForDpi, EveryPictureIsDrawnAtEachScale) {
  const auto names = OneTimesNames();
  ASSERT_GE(names.size(), 48u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const ui::Picture one = LoadArtwork(name.c_str());
    ASSERT_FALSE(one.Empty());
    EXPECT_EQ(LoadArtworkForDpi(name.c_str(), 96).Pixels(), one.Pixels());
    for (int dpi : {144, 192}) {
      const ui::Picture drawn = LoadArtwork((ArtworkScalePrefix(dpi) + name).c_str());
      ASSERT_FALSE(drawn.Empty()) << dpi;
      EXPECT_EQ(drawn.Width(), ui::ScaleToDpi(one.Width(), dpi));
      EXPECT_EQ(drawn.Height(), ui::ScaleToDpi(one.Height(), dpi));
      EXPECT_EQ(LoadArtworkForDpi(name.c_str(), dpi).Pixels(), drawn.Pixels()) << dpi;
    }
    // The 2x drawing against the 1x picture with every pixel doubled.
    const ui::Picture twice = LoadArtwork(("X2_" + name).c_str());
    int differ = 0;
    for (int y = 0; y < twice.Height(); ++y)
      for (int x = 0; x < twice.Width(); ++x)
        differ += (twice.Pixels()[y * twice.Width() + x] & 0xFFFFFF) !=
                  (one.Pixels()[(y / 2) * one.Width() + x / 2] & 0xFFFFFF);
    EXPECT_GT(differ, twice.Width() * twice.Height() / 100);
  }
}

TEST(ArtworkForDpi, BetweenScalesTheNextDrawingUpIsShrunkAndKeysStayClean) {
  for (int dpi : {120, 168}) {
    SCOPED_TRACE(dpi);
    const ui::Picture background = LoadArtworkForDpi("BACKGROUND", dpi, ui::Rgb(255, 0, 255));
    EXPECT_EQ(background.Width(), ui::ScaleToDpi(550, dpi));
    EXPECT_EQ(background.Height(), ui::ScaleToDpi(374, dpi));
    // The corners stay cut and the rest of the edge stays whole.
    EXPECT_EQ(background.PixelRgb(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(background.PixelRgb(background.Width() - 1, background.Height() - 1),
              RGB(255, 0, 255));
    EXPECT_NE(background.PixelRgb(background.Width() / 2, 0), RGB(255, 0, 255));
    // A button's olive is either all there or not at all: no olive-tinted edge.
    const ui::Picture button = LoadArtworkForDpi("ACT_OK_UP", dpi, ui::clOlive);
    EXPECT_EQ(button.Width(), ui::ScaleToDpi(120, dpi));
    EXPECT_EQ(button.PixelRgb(0, 0), RGB(128, 128, 0));
    for (uint32_t px : button.Pixels()) {
      const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
      const bool olive = r == 128 && g == 128 && b == 0;
      // A mix of olive and the button's greens would come out yellowish.
      EXPECT_TRUE(olive || !(r > 60 && g > 100 && b < 40 && r < 200)) << std::hex << px;
    }
  }
}

}  // namespace
}  // namespace velotune
