// The progress window on a screen of twice the DPI, told by WM_DPICHANGED as
// Windows tells it (Wine never sends it).
#include <gtest/gtest.h>

#include "progress/prg_wnd.h"
#include "progress/screen.h"
#include "support/ui_fixture.h"
#include "ui/dpi.h"

namespace velotune {
namespace {

TEST(PrgWndDpiTest, At192EverythingIsTwiceTheSizeWithATwoPixelFrame) {
  test::TestApplication();
  TPrgWnd window;
  window.ShowInFront();
  RECT suggested;
  GetWindowRect(window.Handle(), &suggested);
  suggested.right = suggested.left + 628;
  suggested.bottom = suggested.top + 216;
  SendMessageA(window.Handle(), ui::kWmDpiChanged, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  window.SetProgress(50);
  RECT client;
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 628);
  EXPECT_EQ(client.bottom, 216);
  auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; };
  EXPECT_TRUE(same(window.PicturePanel1().BoundsRect(), RECT{2, 2, 626, 204}));
  EXPECT_TRUE(same(window.Gauge1().BoundsRect(), RECT{12, 112, 610, 148}));
  EXPECT_EQ(window.Label1().Font().height, 32);
  EXPECT_EQ(window.Label2().Font().height, 22);
  EXPECT_EQ(window.Label3().Font().height, 22);
  const auto shot = test::CaptureClient(window.Handle());
  // The gray frame is two pixels wide on every side; white fill below the panel.
  for (int i : {0, 1}) {
    EXPECT_EQ(shot->PixelRgb(i, 100), RGB(128, 128, 128)) << i;
    EXPECT_EQ(shot->PixelRgb(627 - i, 100), RGB(128, 128, 128)) << i;
    EXPECT_EQ(shot->PixelRgb(300, i), RGB(128, 128, 128)) << i;
    EXPECT_EQ(shot->PixelRgb(300, 215 - i), RGB(128, 128, 128)) << i;
  }
  EXPECT_EQ(shot->PixelRgb(300, 208), RGB(255, 255, 255));
  EXPECT_EQ(shot->PixelRgb(2, 2), RGB(240, 247, 242));  // the panel's top row
  window.Hide();
}

}  // namespace
}  // namespace velotune
