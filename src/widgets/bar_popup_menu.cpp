#include "widgets/bar_popup_menu.h"

#include <algorithm>

#include "ui/dpi.h"
#include "ui/font.h"
#include "widgets/artwork.h"
#include "widgets/picture_panel.h"

namespace velotune {

using ui::MenuItem;
using ui::ResolveColor;

TBarPopupMenu::TBarPopupMenu(std::string name)
    : PopupMenu(std::move(name)), barPicture_(LoadArtwork("SIDEBAR")) {}

void TBarPopupMenu::SetBarPicture(ui::Picture picture) {
  barPicture_ = std::move(picture);
  storedPicture_ = false;
  bar_.reset();
}

void TBarPopupMenu::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (storedPicture_) barPicture_ = LoadArtworkForDpi("SIDEBAR", dpi, kPictureKey);
  bar_.reset();
}

int TBarPopupMenu::Scaled(int length) const { return ui::ScaleToDpi(length, dpi_); }

int TBarPopupMenu::ScaledItemHeight(const MenuItem& item) const { return Scaled(ItemHeight(item)); }

int TBarPopupMenu::ScaledOffset(const MenuItem& item) const {
  const MenuItem* parent = item.ParentItem();
  if (!parent) return 0;
  int offset = 0;
  for (const auto& sibling : parent->Items()) {
    if (sibling.get() == &item) break;
    offset += ScaledItemHeight(*sibling);
  }
  return offset;
}

int TBarPopupMenu::ScaledTopLevelHeight() {
  int height = 0;
  for (const auto& item : Items().Items()) height += ScaledItemHeight(*item);
  return height;
}

HFONT TBarPopupMenu::ItemFont(bool bold, int dpi) {
  ui::FontSpec font;
  font.face = "Tahoma";
  font.height = ui::ScaleToDpi(11, dpi);
  font.bold = bold;
  return ui::FontHandle(font);
}

int TBarPopupMenu::ItemHeight(const MenuItem& item) {
  return item.IsSeparator() ? kSeparatorHeight : kItemHeight;
}

int TBarPopupMenu::TopLevelHeight() {
  int height = 0;
  for (const auto& item : Items().Items()) height += ItemHeight(*item);
  return height;
}

int TBarPopupMenu::ItemOffset(const MenuItem& item) {
  const MenuItem* parent = item.ParentItem();
  if (!parent) return 0;
  int offset = 0;
  for (const auto& sibling : parent->Items()) {
    if (sibling.get() == &item) break;
    offset += ItemHeight(*sibling);
  }
  return offset;
}

bool TBarPopupMenu::OnBar(const MenuItem& item) { return item.ParentItem() == &Items(); }

bool TBarPopupMenu::ShownAsDefault(const MenuItem& item) {
  if (!item.IsDefault() || item.IsSeparator()) return false;
  const MenuItem* parent = item.ParentItem();
  if (!parent) return true;
  for (const auto& sibling : parent->Items())
    if (sibling->IsDefault()) return sibling.get() == &item;
  return false;
}

void TBarPopupMenu::BeforePopup() {
  SetDpi(ui::SystemDpi());
  PrepareBar(ScaledTopLevelHeight());
}

namespace {

bool IconColumn(const MenuItem& item) {
  const MenuItem* parent = item.ParentItem();
  if (!parent) return item.Icon() != nullptr;
  for (const auto& sibling : parent->Items())
    if (sibling->Icon()) return true;
  return false;
}

}  // namespace

int TBarPopupMenu::TextLeft(const MenuItem& item) {
  const int indent = Scaled(OnBar(item) ? kBarWidth + kTextIndent : kSubmenuTextIndent);
  return IconColumn(item) ? indent + ui::SmallIconSize(dpi_) + Scaled(kIconGap) : indent;
}

void TBarPopupMenu::MeasureItem(MenuItem& item, HDC dc, UINT& width, UINT& height) {
  height = static_cast<UINT>(ScaledItemHeight(item));
  const int left = TextLeft(item);
  if (item.IsSeparator()) {
    width = static_cast<UINT>(left + Scaled(kRightMargin));
    return;
  }
  ui::SavedDc saved(dc);
  SelectObject(dc, ItemFont(ShownAsDefault(item), dpi_));
  auto textWidth = [dc](const std::string& text, UINT format) {
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              format | DT_SINGLELINE | DT_CALCRECT);
    return static_cast<int>(r.right - r.left);
  };
  int w = left + textWidth(item.Caption(), 0) + Scaled(kRightMargin);
  if (!item.ShortcutText().empty())
    w += Scaled(kShortcutGap) + textWidth(item.ShortcutText(), DT_NOPREFIX);
  width = static_cast<UINT>(w);
}

void TBarPopupMenu::PrepareBar(int height) {
  height = std::max(height, 1);
  const int barWidth = Scaled(kBarWidth);
  bar_ = std::make_unique<ui::Surface>(barWidth, height);
  const RECT all = {0, 0, barWidth, height};
  GradientFill(bar_->dc(), all, kBarTop, gdVertical, kBarTop, kBarBottom);
  GdiFlush();
  if (barPicture_.Empty()) return;
  // The picture's bottom sits on the bar's bottom: its text is near its foot.
  const int top = height - barPicture_.Height();
  const COLORREF key = ResolveColor(kPictureKey);
  const int columns = std::min(barWidth, barPicture_.Width());
  for (int y = std::max(0, top); y < height; ++y) {
    for (int x = 0; x < columns; ++x) {
      const COLORREF c = barPicture_.PixelRgb(x, y - top);
      if (c == key) continue;
      bar_->bits()[y * barWidth + x] =
          0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  }
}

void TBarPopupMenu::DrawBarSlice(HDC dc, const RECT& itemRect, int offset) {
  const int total = ScaledTopLevelHeight();
  if (!bar_ || bar_->height() != std::max(total, 1)) PrepareBar(total);
  const int rows = std::min<int>(itemRect.bottom - itemRect.top, bar_->height() - offset);
  if (rows <= 0) return;
  BitBlt(dc, itemRect.left, itemRect.top, bar_->width(), rows, bar_->dc(), 0, offset, SRCCOPY);
}

void TBarPopupMenu::DrawSeparator(HDC dc, RECT r) {
  RECT line = r;
  line.left += 2;
  line.right -= 2;
  line.top = (r.top + r.bottom) / 2 - 1;
  line.bottom = line.top + 2;
  DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

void TBarPopupMenu::PaintText(HDC dc, const MenuItem& item, RECT r, bool selected, bool disabled) {
  SelectObject(dc, ItemFont(ShownAsDefault(item), dpi_));
  SetBkMode(dc, TRANSPARENT);
  r.right -= Scaled(kRightMargin);
  const UINT format = DT_SINGLELINE | DT_VCENTER;
  auto paint = [&](RECT box, COLORREF color) {
    SetTextColor(dc, color);
    DrawTextA(dc, item.Caption().c_str(), -1, &box, format | DT_LEFT);
    if (!item.ShortcutText().empty())
      DrawTextA(dc, item.ShortcutText().c_str(), -1, &box, format | DT_RIGHT | DT_NOPREFIX);
  };
  if (disabled && !selected) {
    // Engraved, as the system draws greyed menu text.
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    paint(shadow, GetSysColor(COLOR_BTNHIGHLIGHT));
    paint(r, GetSysColor(COLOR_GRAYTEXT));
    return;
  }
  paint(r, GetSysColor(disabled   ? COLOR_GRAYTEXT
                       : selected ? COLOR_HIGHLIGHTTEXT
                                  : COLOR_MENUTEXT));
}

void TBarPopupMenu::DrawItem(MenuItem& item, const DRAWITEMSTRUCT& draw) {
  HDC dc = draw.hDC;
  const bool separator = item.IsSeparator();
  const bool selected = (draw.itemState & ODS_SELECTED) && !separator;
  const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) || !item.Enabled();
  const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  const COLORREF fore = GetSysColor(disabled   ? COLOR_GRAYTEXT
                                    : selected ? COLOR_HIGHLIGHTTEXT
                                               : COLOR_MENUTEXT);
  {
    ui::SavedDc saved(dc);
    RECT content = draw.rcItem;
    if (OnBar(item)) {
      DrawBarSlice(dc, draw.rcItem, ScaledOffset(item));
      content.left += Scaled(kBarWidth);
    }
    ui::UniqueBrush brush(CreateSolidBrush(back));
    FillRect(dc, &content, brush);
    if (separator) {
      DrawSeparator(dc, content);
    } else {
      if (HICON icon = item.Icon()) {
        const int size = ui::SmallIconSize(dpi_);
        const int top = (content.top + content.bottom - size) / 2;
        const int left = content.left + Scaled(OnBar(item) ? kTextIndent : kSubmenuTextIndent);
        DrawIconEx(dc, left, top, icon, size, size, 0, nullptr, DI_NORMAL);
      }
      RECT text = draw.rcItem;
      text.left += TextLeft(item);
      PaintText(dc, item, text, selected, disabled);
    }
  }
  // The system draws a submenu's arrow afterwards in the DC's colours.
  SetBkColor(dc, back);
  SetTextColor(dc, fore);
}

}  // namespace velotune
