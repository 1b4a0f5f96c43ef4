// The tray menu measured and drawn for a screen of twice the DPI.
#include <gtest/gtest.h>

#include <string>

#include "support/ui_fixture.h"
#include "ui/gdi.h"
#include "widgets/artwork.h"
#include "widgets/bar_popup_menu.h"

namespace velotune {
namespace {

using M = TBarPopupMenu;

TEST(BarPopupMenuDpi, At192ItemsBarFontAndPictureAreTwiceTheSize) {
  test::TestApplication();
  M menu("PopupMenu1");
  auto& items = menu.Items();
  items.Add("OpenNetwork", "&Open Velotune", nullptr).SetDefault(true);
  items.Add("MenuItem1", "-");
  items.Add("EraseTracks1", "Erase Tracks", nullptr);
  items.Add("Exit1", "E&xit", nullptr);
  EXPECT_EQ(menu.BarPicture().Width(), 20);
  menu.SetDpi(192);
  EXPECT_EQ(menu.Dpi(), 192);
  EXPECT_EQ(menu.BarPicture().Pixels(), LoadArtwork("X2_SIDEBAR").Pixels());

  HDC dc = GetDC(nullptr);
  auto measure = [&](const char* name) {
    UINT w = 0, h = 0;
    menu.MeasureItem(*menu.Find(name), dc, w, h);
    return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
  };
  EXPECT_EQ(measure("MenuItem1").second, 2 * M::kSeparatorHeight);
  EXPECT_EQ(measure("EraseTracks1").second, 2 * M::kItemHeight);
  SelectObject(dc, M::ItemFont(false, 192));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 22);  // 11 pixels, twice
  SIZE text;
  GetTextExtentPoint32A(dc, "Erase Tracks", 12, &text);
  EXPECT_EQ(measure("EraseTracks1").first,
            2 * (M::kBarWidth + M::kTextIndent + M::kRightMargin) + text.cx);
  ReleaseDC(nullptr, dc);

  // The item below the separator: the bar, 40 wide, then the menu's colour.
  ui::Surface surface(200, 44);
  DRAWITEMSTRUCT draw = {};
  draw.hDC = surface.dc();
  draw.rcItem = {0, 0, 200, 44};
  menu.DrawItem(*menu.Find("EraseTracks1"), draw);
  GdiFlush();
  const COLORREF menuColor = GetSysColor(COLOR_MENU);
  EXPECT_NE(surface.PixelRgb(39, 2), menuColor);
  EXPECT_EQ(surface.PixelRgb(40, 2), menuColor);
  EXPECT_EQ(surface.PixelRgb(199, 2), menuColor);
}

}  // namespace
}  // namespace velotune
