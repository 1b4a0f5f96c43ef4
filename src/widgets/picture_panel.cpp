#include "widgets/picture_panel.h"

#include <algorithm>

#include "ui/gdi.h"

namespace velotune {

using ui::ResolveColor;
using ui::Selected;
using ui::UniqueBrush;
using ui::UniquePen;

void GradientFill(HDC dc, const RECT& rect, ui::Color a, TGradientDirection direction,
                  ui::Color fill, ui::Color b) {
  const COLORREF ca = ResolveColor(a), cb = ResolveColor(b);
  const int dR = GetRValue(cb) - GetRValue(ca), dG = GetGValue(cb) - GetGValue(ca),
            dB = GetBValue(cb) - GetBValue(ca);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  int n = 255;
  const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
  if (direction == gdCentral) {
    n = std::clamp(std::min(w / 2, h / 2), 2, 255);
    UniqueBrush brush(CreateSolidBrush(ResolveColor(fill)));
    FillRect(dc, &rect, brush);
  }
  for (int i = n - 1; i >= 0; --i) {
    const COLORREF color =
        RGB(GetRValue(ca) + MulDiv(i, dR, n - 1), GetGValue(ca) + MulDiv(i, dG, n - 1),
            GetBValue(ca) + MulDiv(i, dB, n - 1));
    UniqueBrush brush(CreateSolidBrush(color));
    if (direction == gdCentral) {
      const int rx = MulDiv(i + 1, w / 2, n), ry = MulDiv(i + 1, h / 2, n);
      UniquePen pen(CreatePen(PS_NULL, 0, 0));
      Selected selectPen(dc, pen), selectBrush(dc, brush);
      Ellipse(dc, cx - rx, cy - ry, cx + rx, cy + ry);
      continue;
    }
    RECT band = rect;
    if (direction == gdVertical) {
      band.top = rect.top + MulDiv(i, h, n);
      band.bottom = rect.top + MulDiv(i + 1, h, n);
    } else {
      band.left = rect.left + MulDiv(i, w, n);
      band.right = rect.left + MulDiv(i + 1, w, n);
    }
    if (band.left < band.right && band.top < band.bottom) FillRect(dc, &band, brush);
  }
}

void TPanelBackground::SetPicture(ui::Picture picture) {
  picture_ = std::move(picture);
  if (changed_) changed_();
}

bool TPanelBackground::PaintBackground(HDC dc, const RECT& r, ui::Color panelColor) const {
  if (!active_) return false;
  if (kind_ == bkGradient) {
    GradientFill(dc, r, color1_, direction_, panelColor, color2_);
    return true;
  }
  if (picture_.Empty()) return false;
  const int pw = picture_.Width(), ph = picture_.Height();
  auto fillPanel = [&] {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(panelColor)));
    FillRect(dc, &r, brush);
  };
  ui::SavedDc saved(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  switch (style_) {
    case bsTile:
    case bsZigzag:
      for (int y = r.top, row = 0; y < r.bottom; y += ph, ++row) {
        const int shift = (style_ == bsZigzag && row % 2) ? pw / 2 : 0;
        for (int x = r.left - shift; x < r.right; x += pw) picture_.Draw(dc, x, y);
      }
      break;
    case bsStretch: {
      ui::UniqueMemoryDc source(CreateCompatibleDC(dc));
      Selected select(source, picture_.Bitmap());
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, pw, ph,
                 SRCCOPY);
      break;
    }
    case bsCenter:
      fillPanel();
      picture_.Draw(dc, (r.left + r.right - pw) / 2, (r.top + r.bottom - ph) / 2);
      break;
    case bsAlignLeft:
      fillPanel();
      picture_.Draw(dc, r.left, r.top);
      break;
    case bsAlignRight:
      fillPanel();
      picture_.Draw(dc, r.right - pw, r.top);
      break;
  }
  return true;
}

TCustomSkinPanel::TCustomSkinPanel(std::string name)
    : ui::Panel(std::move(name)), background_([this] { Invalidate(); }) {
  SetParentColor(true);
}

void TCustomSkinPanel::SetBevelOuter(TBevelCut b) {
  bevelOuter_ = b;
  Invalidate();
}

void TCustomSkinPanel::PaintBackground(HDC dc, const RECT& client) {
  if (Loading()) return;
  Selected font(dc, ui::FontHandle(Font()));
  Selected pen(dc, GetStockObject(BLACK_PEN));
  if (!background_.PaintBackground(dc, client, GetColor())) {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(GetColor())));
    FillRect(dc, &client, brush);
  }
  if (bevelOuter_ != bvNone) {
    RECT frame = client;
    DrawEdge(dc, &frame, bevelOuter_ == bvRaised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT);
  }
  PaintOver(dc, client);
  if (OnPaint) OnPaint(*this);
}

TSkinPanel::TSkinPanel(std::string name) : TCustomSkinPanel(std::move(name)) {}

void TSkinPanel::SetImage(ui::Picture picture) {
  image_ = std::move(picture);
  Invalidate();
}

TPicturePanel::TPicturePanel(std::string name) : TSkinPanel(std::move(name)) {}

void TPicturePanel::SetShowBevel(bool on) {
  showBevel_ = on;
  Invalidate();
}

void TPicturePanel::SetPanelText(std::string text) {
  text_ = std::move(text);
  Invalidate();
}

void TPicturePanel::UseGradient(ui::Color a, TGradientDirection direction) {
  Background().SetGradientColor1(a);
  Background().SetGradientColor2(ui::clWhite);
  Background().SetGradientDirection(direction);
  Background().SetKind(bkGradient);
  Background().SetActive(true);
  SetShowBevel(false);
}

void TPicturePanel::PaintOver(HDC dc, const RECT& client) {
  // Caption, bevel line, image and text; the program's panels use none of them.
  int x = client.left + margin_;
  if (!Image().Empty()) {
    const int y = (client.bottom - Image().Height()) / 2;
    const int ix = ImageAlignment() == iaLeft ? x : client.right - margin_ - Image().Width();
    Image().Draw(dc, ix, y);
    if (ImageAlignment() == iaLeft) x += Image().Width() + imageMargin_;
  }
  const std::string& caption = !text_.empty() ? text_ : Caption();
  if (!caption.empty()) {
    RECT r = {x, client.top, client.right - margin_, client.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(Font().color));
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (showBevel_ && !caption.empty()) {
    RECT line = {client.left + margin_, client.bottom - 2, client.right - margin_, client.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  }
}

}  // namespace velotune
