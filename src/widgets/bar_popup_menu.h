#pragma once
// The tray menu's look: owner-drawn items in Tahoma and a shaded side bar with
// a picture along the left edge of the top-level menu.
#include <windows.h>

#include <memory>
#include <string>

#include "ui/color.h"
#include "ui/gdi.h"
#include "ui/menu.h"
#include "ui/picture.h"

namespace velotune {

class TBarPopupMenu : public ui::PopupMenu {
 public:
  static constexpr int kBarWidth = 20;
  static constexpr int kItemHeight = 22;
  static constexpr int kSeparatorHeight = 8;
  // Text starts this far right of the bar (top level) or of the item's edge (submenus).
  static constexpr int kTextIndent = 8;
  static constexpr int kSubmenuTextIndent = 12;
  // Room on the right for the submenu arrow the system draws; shortcuts end here.
  static constexpr int kRightMargin = 16;
  // Space between an item's caption and its shortcut text.
  static constexpr int kShortcutGap = 20;
  // Space between an item's icon and its caption.
  static constexpr int kIconGap = 4;
  static constexpr ui::Color kBarTop = ui::Rgb(0, 69, 170);
  static constexpr ui::Color kBarBottom = ui::Rgb(25, 99, 189);
  // Pixels of this colour in the bar picture are not drawn.
  static constexpr ui::Color kPictureKey = ui::clOlive;

  // Loads the stored side bar picture.
  explicit TBarPopupMenu(std::string name);

  const ui::Picture& BarPicture() const { return barPicture_; }
  void SetBarPicture(ui::Picture picture);

  // The menu font: Tahoma, 11 pixels at 96 DPI, bold for the default item.
  static HFONT ItemFont(bool bold, int dpi = 96);

  // The DPI the menu is measured and drawn for; the sizes above are for 96.
  // Each popup takes the system's. The stored side bar picture is the one
  // drawn for it.
  int Dpi() const { return dpi_; }
  void SetDpi(int dpi);

  bool OwnerDraw() const override { return true; }
  void MeasureItem(ui::MenuItem& item, HDC dc, UINT& width, UINT& height) override;
  void DrawItem(ui::MenuItem& item, const DRAWITEMSTRUCT& draw) override;

  // Height of an item as measured, and of all top-level items together.
  static int ItemHeight(const ui::MenuItem& item);
  int TopLevelHeight();
  // Distance from the first item's top to this item's top, within its own menu.
  static int ItemOffset(const ui::MenuItem& item);
  // Whether the item carries the side bar: a top-level item.
  bool OnBar(const ui::MenuItem& item);
  // Where the caption starts within the item: past the bar or the indent, and
  // past the icon column when an item of the same menu carries an icon.
  int TextLeft(const ui::MenuItem& item);
  // Drawn bold: the first item of its menu marked default.
  static bool ShownAsDefault(const ui::MenuItem& item);

 protected:
  void BeforePopup() override;

 private:
  int Scaled(int length) const;
  // Item heights and offsets at the menu's DPI, each item rounded on its own.
  int ScaledItemHeight(const ui::MenuItem& item) const;
  int ScaledOffset(const ui::MenuItem& item) const;
  int ScaledTopLevelHeight();
  // Paints the whole bar, gradient and picture, into bar_ for the given height.
  void PrepareBar(int height);
  void DrawBarSlice(HDC dc, const RECT& itemRect, int offset);
  void DrawSeparator(HDC dc, RECT r);
  void PaintText(HDC dc, const ui::MenuItem& item, RECT r, bool selected, bool disabled);

  ui::Picture barPicture_;
  bool storedPicture_ = true;  // the program's own, not one set from outside
  int dpi_ = 96;
  std::unique_ptr<ui::Surface> bar_;
};

}  // namespace velotune
