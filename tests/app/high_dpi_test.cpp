// The main window on screens of other DPIs. Wine gives every monitor the same
// DPI and never sends WM_DPICHANGED, so the change is sent here as Windows
// would send it when the window moves to another monitor.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/window_region.h"
#include "main_window_fixture.h"
#include "support/ui_fixture.h"
#include "ui/dpi.h"
#include "widgets/artwork.h"
#include "widgets/bmp_button.h"

namespace velotune {
namespace {

constexpr ui::Color kKey = ui::Rgb(255, 0, 255);

class HighDpiTest : public test::MainWindowTest {
 protected:
  // Moves the window to a screen of `dpi`, where the system suggests it keeps
  // its top-left corner and takes the scaled size.
  void MoveToDpi(int dpi) {
    RECT window;
    GetWindowRect(F().Handle(), &window);
    RECT suggested = {window.left, window.top, window.left + ui::ScaleToDpi(550, dpi),
                      window.top + ui::ScaleToDpi(374, dpi)};
    SendMessageA(F().Handle(), ui::kWmDpiChanged, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    test::Pump();
  }
  RECT Bounds(const char* name) { return F().Find(name)->BoundsRect(); }
  static bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
};

// The 1x outline with every rectangle doubled.
ui::UniqueRegion Doubled(const std::vector<RECT>& runs) {
  ui::UniqueRegion all(CreateRectRgn(0, 0, 0, 0));
  for (const RECT& r : runs) {
    ui::UniqueRegion one(CreateRectRgn(2 * r.left, 2 * r.top, 2 * r.right, 2 * r.bottom));
    CombineRgn(all, all, one, RGN_OR);
  }
  return all;
}

TEST_F(HighDpiTest, At192TheWindowAndItsOutlineAreExactlyTwiceTheSize) {
  Create();
  RECT before;
  GetWindowRect(F().Handle(), &before);
  MoveToDpi(192);
  EXPECT_EQ(F().Dpi(), 192);
  RECT window, client;
  GetWindowRect(F().Handle(), &window);
  GetClientRect(F().Handle(), &client);
  EXPECT_TRUE(Same(window, RECT{before.left, before.top, before.left + 1100, before.top + 748}));
  EXPECT_EQ(client.right, 1100);
  EXPECT_EQ(client.bottom, 748);
  ui::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(GetWindowRgn(F().Handle(), region), COMPLEXREGION);
  EXPECT_TRUE(EqualRgn(region, Doubled(OpaqueRuns(LoadArtwork("BACKGROUND"), kKey))));
  EXPECT_FALSE(PtInRegion(region, 3, 1));
  EXPECT_TRUE(PtInRegion(region, 4, 1));
  EXPECT_FALSE(PtInRegion(region, 1, 3));
  EXPECT_TRUE(PtInRegion(region, 2, 2));
}

TEST_F(HighDpiTest, At192TheArtworkIsThe2xDrawingNotThe1xPictureDoubled) {
  Create();
  MoveToDpi(192);
  EXPECT_EQ(F().Get<ui::Image>("Image1").GetPicture().Pixels(),
            LoadArtwork("X2_BACKGROUND").Pixels());
  const auto shot = test::CaptureClient(F().Handle());
  // The product name in the title band, where no control lies: the 2x drawing
  // pixel for pixel, and many of its pixels unlike the 1x picture's.
  const ui::Picture twice = LoadArtwork("X2_BACKGROUND"), once = LoadArtwork("BACKGROUND");
  int unlikeDoubled = 0, area = 0;
  for (int y = 12; y < 92; ++y)
    for (int x = 24; x < 500; ++x, ++area) {
      ASSERT_EQ(shot->PixelRgb(x, y), twice.PixelRgb(x, y)) << x << "," << y;
      unlikeDoubled += shot->PixelRgb(x, y) != once.PixelRgb(x / 2, y / 2);
    }
  EXPECT_GT(unlikeDoubled, area / 10);
  // The page button that is down, where its picture is not olive.
  const ui::Picture stayDown = LoadArtwork("X2_NAV_NETWORK_STAYDOWN");
  const RECT but1 = Bounds("But1");
  ASSERT_EQ(but1.right - but1.left, stayDown.Width());
  ASSERT_EQ(but1.bottom - but1.top, stayDown.Height());
  int compared = 0;
  for (int y = 0; y < stayDown.Height(); ++y)
    for (int x = 0; x < stayDown.Width(); ++x) {
      if (stayDown.PixelRgb(x, y) == RGB(128, 128, 0)) continue;
      ASSERT_EQ(shot->PixelRgb(but1.left + x, but1.top + y), stayDown.PixelRgb(x, y))
          << x << "," << y;
      ++compared;
    }
  EXPECT_GT(compared, stayDown.Width() * stayDown.Height() * 9 / 10);
}

TEST_F(HighDpiTest, ControlsAndFontsScaleFromTheLayoutAndComeBackAt96) {
  Create();
  F().SelectPage(3);
  const auto at96 = test::CaptureClient(F().Handle());
  F().SelectPage(1);
  MoveToDpi(192);
  EXPECT_TRUE(Same(Bounds("But2"), RECT{8, 258, 292, 340}));
  EXPECT_TRUE(Same(Bounds("BmpButton5"), RECT{1056, 14, 1088, 44}));
  EXPECT_TRUE(Same(Bounds("PageControl1"), RECT{304, 108, 1088, 738}));
  EXPECT_TRUE(Same(Bounds("TabSheet1"), RECT{0, 0, 784, 630}));
  EXPECT_TRUE(Same(Bounds("RB2"), RECT{78, 134, 658, 168}));
  EXPECT_TRUE(Same(Bounds("BmpButton1"), RECT{526, 538, 766, 608}));
  EXPECT_TRUE(Same(Bounds("Image2"), RECT{0, 0, 64, 64}));
  EXPECT_EQ(F().Get<ui::Image>("Image2").GetPicture().Width(), 64);
  EXPECT_EQ(F().Get<ui::Label>("Label1").Font().height, 32);
  EXPECT_EQ(F().ProfileButton(1).Font().height, 22);
  EXPECT_EQ(F().Font().height, 22);
  RECT rb;
  GetWindowRect(F().ProfileButton(2).Handle(), &rb);
  EXPECT_EQ(rb.right - rb.left, 580);
  // The highlight bar follows the selection in scaled rows.
  F().ProfileButton(3).SetChecked(true);
  EXPECT_TRUE(Same(Bounds("Shape1"), RECT{0, 268, 766, 380}));
  F().ProfileButton(1).SetChecked(true);
  F().SelectPage(3);
  MoveToDpi(96);
  EXPECT_EQ(F().Dpi(), 96);
  const auto back = test::CaptureClient(F().Handle());
  ui::UniqueRegion outline(CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(GetWindowRgn(F().Handle(), outline), COMPLEXREGION);
  EXPECT_TRUE(
      EqualRgn(outline, ui::UniqueRegion(BuildWindowRegion(LoadArtwork("BACKGROUND"), kKey))));
  ASSERT_EQ(back->width(), 550);
  int different = 0;
  for (int y = 0; y < back->height(); ++y)
    for (int x = 0; x < back->width(); ++x)
      // Outside the outline the screen shows what was behind the window.
      if (PtInRegion(outline, x, y) && back->Pixel(x, y) != at96->Pixel(x, y) && ++different < 5)
        ADD_FAILURE() << "differs at " << x << "," << y;
  EXPECT_EQ(different, 0);
}

TEST_F(HighDpiTest, At120TheOutlineIsCutFromTheShrunk15xDrawing) {
  Create();
  MoveToDpi(120);
  RECT client;
  GetClientRect(F().Handle(), &client);
  EXPECT_EQ(client.right, 688);
  EXPECT_EQ(client.bottom, 468);
  const ui::Picture& picture = F().Get<ui::Image>("Image1").GetPicture();
  EXPECT_EQ(picture.Width(), 688);
  ui::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(GetWindowRgn(F().Handle(), region), COMPLEXREGION);
  ui::UniqueRegion expected(BuildWindowRegion(picture, kKey));
  EXPECT_TRUE(EqualRgn(region, expected));
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 344, 0));
  EXPECT_TRUE(PtInRegion(region, 4, 4));
  EXPECT_EQ(F().NavButton(1).Width(), 178);  // 142 at 1.25
}

}  // namespace
}  // namespace velotune
