#include "widgets/bmp_button.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/gdi.h"

namespace velotune {

using ui::ResolveColor;
using ui::Selected;
using ui::UniqueBitmap;
using ui::UniqueBrush;
using ui::UniqueMemoryDc;

namespace {

// A COLORREF as the 0x00RRGGBB word of a 32-bit DIB pixel.
uint32_t PixelWord(COLORREF c) {
  return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

int Luminance(uint32_t px) {
  return static_cast<int>(
      (((px >> 16) & 0xFF) * 77 + ((px >> 8) & 0xFF) * 151 + (px & 0xFF) * 28) >> 8);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  UniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush);
}

// Draws a picture opaque, or blended when it has alpha, scaled to w x h.
void DrawScaled(HDC dc, const ui::Picture& picture, int x, int y, int w, int h) {
  if (w == picture.Width() && h == picture.Height()) {
    picture.Draw(dc, x, y);
    return;
  }
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  Selected select(source, picture.Bitmap());
  if (picture.HasAlpha()) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, w, h, source, 0, 0, picture.Width(), picture.Height(), blend);
    return;
  }
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x, y, w, h, source, 0, 0, picture.Width(), picture.Height(), SRCCOPY);
}

// The 50% dither of a down button's face.
UniqueBrush DitherBrush() {
  static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  UniqueBitmap bitmap(CreateBitmap(8, 8, 1, 1, pattern));
  return UniqueBrush(CreatePatternBrush(bitmap));
}

}  // namespace

// ---- TButtonBitmaps

void TButtonBitmaps::Set(ui::Picture& field, ui::Picture value) {
  field = std::move(value);
  if (changed_) changed_();
}

void TButtonBitmaps::SetTransparentColor(ui::Color c) {
  if (transparent_ == c) return;
  transparent_ = c;
  if (changed_) changed_();
}

void TButtonBitmaps::SetPictures(ui::Picture up, ui::Picture hot, ui::Picture down,
                                 ui::Picture stayDown) {
  up_ = std::move(up);
  hot_ = std::move(hot);
  down_ = std::move(down);
  stayDown_ = std::move(stayDown);
  if (changed_) changed_();
}

ui::Picture EmbossedImage(const ui::Picture& picture, ui::Color transparent) {
  if (picture.Empty()) return {};
  const int w = picture.Width(), h = picture.Height();
  const std::vector<uint32_t>& in = picture.Pixels();
  const uint32_t key = PixelWord(ResolveColor(transparent));
  auto opaque = [&](int x, int y) {
    return (in[static_cast<size_t>(y) * w + x] & 0xFFFFFF) != key;
  };
  std::vector<uint32_t> out(in.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t px = in[static_cast<size_t>(y) * w + x];
      if (!opaque(x, y)) {
        out[static_cast<size_t>(y) * w + x] = px;
        continue;
      }
      // Light where the picture gets lighter towards the bottom right, dark where darker.
      const bool hasNeighbour = x > 0 && y > 0 && opaque(x - 1, y - 1);
      const uint32_t neighbour = hasNeighbour ? in[static_cast<size_t>(y - 1) * w + x - 1] : px;
      uint32_t v = static_cast<uint32_t>(
          std::clamp(192 + (Luminance(px) - Luminance(neighbour)) / 2, 0, 255));
      uint32_t grey = (v << 16) | (v << 8) | v;
      if (grey == key) grey ^= 0x010101;  // must not vanish as transparent
      out[static_cast<size_t>(y) * w + x] = (px & 0xFF000000u) | grey;
    }
  std::vector<uint8_t> bytes(out.size() * 4);
  for (size_t i = 0; i < out.size(); ++i)
    for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(out[i] >> (8 * b));
  return ui::Picture::FromBgra(w, h, bytes);
}

// ---- TBmpButton

TBmpButton::TBmpButton(std::string name)
    : ui::WinControl(std::move(name)), bitmaps_([this] { PicturesChanged(); }) {
  SetBounds(0, 0, 80, 30);
}

void TBmpButton::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  ui::WinControl::CreateParams(style, exStyle, className);
  style |= WS_TABSTOP;
}

int TBmpButton::BorderWidth() const {
  switch (border_) {
    case bbNone:
      return 0;
    case bbSingle:
      return 1;
    case bbButton:
      return style_ == bsWin31 ? 3 : 2;  // every system we run on has new-style controls
  }
  return 0;
}

void TBmpButton::PicturesChanged() {
  AdjustSize();
  Repaint();
}

void TBmpButton::AdjustSize() {
  if (Loading() || size_ == bszNeither) return;
  const ui::Picture& up = bitmaps_.Up();
  if (size_ == bszButtonToBitmap && TButtonBitmaps::Present(up)) {
    const int b = BorderWidth();
    SetBounds(Left(), Top(), up.Width() + 2 * b, up.Height() + 2 * b);
  }
  Invalidate();
}

void TBmpButton::BoundsChanged(const RECT& old) {
  ui::WinControl::BoundsChanged(old);
  const RECT now = BoundsRect();
  if (now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top)
    AdjustSize();
}

void TBmpButton::Loaded() { AdjustSize(); }

void TBmpButton::SetButtonBorder(TButtonBorder b) {
  border_ = b;
  AdjustSize();
  Invalidate();
}

void TBmpButton::SetButtonSize(TButtonSize s) {
  size_ = s;
  AdjustSize();
  Invalidate();
}

void TBmpButton::SetButtonStyle(TButtonStyle s) {
  style_ = s;
  AdjustSize();
  Invalidate();
}

void TBmpButton::SetShowFocus(bool on) {
  showFocus_ = on;
  Invalidate();
}

void TBmpButton::SetShowDownPattern(bool on) {
  showDownPattern_ = on;
  Invalidate();
}

void TBmpButton::SetCaptionDownOffset(int pixels) {
  captionDownOffset_ = pixels;
  Invalidate();
}

void TBmpButton::SetTopOffset(int pixels) {
  topOffset_ = pixels;
  Invalidate();
}

// ---- Down and groups

void TBmpButton::SetGroupIndex(int index) {
  groupIndex_ = index;
  if (groupIndex_ == 0 && down_) {
    // Only a grouped button can be down.
    down_ = false;
    state_ = bsUp;
    Repaint();
  } else if (groupIndex_ != 0) {
    BroadcastGroup();
  }
}

void TBmpButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_ || (down_ && !allowAllUp_)) return;
  down_ = value;
  state_ = down_ ? bsExclusive : bsUp;
  Repaint();
  if (down_) BroadcastGroup();
}

void TBmpButton::SetAllowAllUp(bool value) {
  allowAllUp_ = value;
  if (groupIndex_ != 0) BroadcastGroup();  // the whole group shares it
}

void TBmpButton::BroadcastGroup() {
  if (!Parent()) return;
  const std::vector<ui::Control*> controls = Parent()->Children();
  for (ui::Control* c : controls)
    if (auto* button = dynamic_cast<TBmpButton*>(c)) button->GroupMessage(groupIndex_, *this);
}

void TBmpButton::GroupMessage(int groupIndex, TBmpButton& sender) {
  if (&sender == this || groupIndex == 0 || groupIndex != groupIndex_) return;
  if (sender.down_ && down_) {
    down_ = false;
    state_ = bsUp;
    Repaint();
  }
  allowAllUp_ = sender.allowAllUp_;
}

// ---- Mouse and keys

void TBmpButton::MouseDown(ui::MouseButton button, ui::Shift shift, int x, int y) {
  // The event runs first: a navigation handler may put the button down right here.
  ui::WinControl::MouseDown(button, shift, x, y);
  if (Enabled() && !Focused()) SetFocus();
  if (button == ui::MouseButton::Left && Enabled() && Focused()) {
    if (!down_) {
      state_ = bsDown;
      Repaint();
    }
    pressing_ = true;
  }
}

void TBmpButton::MouseMove(ui::Shift shift, int x, int y) {
  ui::WinControl::MouseMove(shift, x, y);
  if (!pressing_) return;
  const bool inside = x >= 0 && x < Width() && y >= 0 && y <= Height();
  const TButtonState state = down_ ? bsExclusive : inside ? bsDown : bsUp;
  if (state != state_) {
    state_ = state;
    Repaint();
  }
}

void TBmpButton::MouseUp(ui::MouseButton button, ui::Shift shift, int x, int y) {
  ui::WinControl::MouseUp(button, shift, x, y);
  if (!pressing_) return;
  pressing_ = false;
  const bool inside = x >= 0 && x < Width() && y >= 0 && y <= Height();
  if (groupIndex_ != 0)
    BroadcastGroup();
  else
    state_ = bsUp;
  FinishRelease(inside);
}

void TBmpButton::FinishRelease(bool inside) {
  if (down_) return;
  if (groupIndex_ == 0) {
    Repaint();
  } else if (inside) {
    SetDown(true);
  } else {
    state_ = bsUp;  // a release outside with no move before it still shows the button up
    Repaint();
  }
  if (inside) Click();
}

void TBmpButton::Click() {
  // A form would take ModalResult here; this program's forms are never modal.
  ui::WinControl::Click();
}

void TBmpButton::KeyDown(WPARAM key, ui::Shift) {
  if (key == VK_RETURN) {
    Click();
  } else if (key == VK_SPACE && Enabled()) {
    if (!down_) {
      state_ = bsDown;
      Repaint();
    }
    pressing_ = true;
  }
}

void TBmpButton::KeyUp(WPARAM, ui::Shift) {
  if (!pressing_) return;
  pressing_ = false;
  // A down button keeps its stay-down look.
  state_ = down_ ? bsExclusive : bsUp;
  FinishRelease(true);
}

LRESULT TBmpButton::DialogCode(LRESULT standard, const MSG* msg) {
  LRESULT code = standard | DLGC_BUTTON | DLGC_WANTARROWS;
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
  return code;
}

long TBmpButton::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

long TBmpButton::AccessibleState() const { return down_ ? STATE_SYSTEM_PRESSED : 0; }

bool TBmpButton::FocusMarked() const { return focused_ && showFocus_ && ShowsFocusCues(); }

void TBmpButton::FocusChanged(bool focused) {
  focused_ = focused;
  Repaint();
}

void TBmpButton::SetEnabled(bool enabled) {
  if (enabled == Enabled()) return;
  ui::WinControl::SetEnabled(enabled);
  Repaint();
}

void TBmpButton::MouseEnter() {
  hot_ = true;
  ui::WinControl::MouseEnter();
  if (TButtonBitmaps::Present(bitmaps_.Hot())) Repaint();
}

void TBmpButton::MouseLeave() {
  hot_ = false;
  ui::WinControl::MouseLeave();
  if (TButtonBitmaps::Present(bitmaps_.Hot())) Repaint();
}

// ---- Painting

LRESULT TBmpButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT client;
    GetClientRect(Handle(), &client);
    ui::Surface buffer(client.right, client.bottom, dc);
    Paint(buffer.dc());
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer.dc(), 0, 0, SRCCOPY);
    EndPaint(Handle(), &ps);
    return 0;
  }
  return ui::WinControl::WndProc(msg, wParam, lParam);
}

void TBmpButton::Paint(HDC dc) {
  if (!Enabled()) {
    state_ = bsDisabled;
    pressing_ = false;
  } else if (state_ == bsDisabled) {
    // bsExclusive rather than bsDown, so a down button shows its stay-down look again.
    state_ = down_ ? bsExclusive : bsUp;
  }
  RECT r = {0, 0, Width(), Height()};
  if (HandleAllocated()) GetClientRect(Handle(), &r);
  const bool pushed = state_ == bsDown || state_ == bsExclusive;
  switch (border_) {
    case bbNone:
      if (Parent()) {
        PaintParentContent(dc);
      } else {
        FillSolid(dc, r, ResolveColor(GetColor()));
      }
      break;
    case bbSingle:
      FillSolid(dc, r, ResolveColor(GetColor()));
      FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&r, -1, -1);
      break;
    case bbButton: {
      FillSolid(dc, r, ResolveColor(GetColor()));
      RECT edge = r;
      DrawEdge(dc, &edge, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
      InflateRect(&r, -1, -1);
      break;
    }
  }
  if (state_ == bsExclusive && showDownPattern_ && border_ != bbNone) {
    RECT face = r;
    if (border_ == bbButton) InflateRect(&face, -1, -1);
    UniqueBrush brush = DitherBrush();
    ui::SavedDc saved(dc);
    SetTextColor(dc, ResolveColor(GetColor()));
    SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    FillRect(dc, &face, brush);
  }
  ui::Picture disabledImage;
  const ui::Picture* picture = ChoosePicture(disabledImage);
  if (picture) DrawPicture(dc, r, *picture);
  DrawCaption(dc, r);
  // Without a focused picture (or a caption to frame), the usual dotted mark.
  if (border_ == bbNone && Text().empty() && FocusMarked() && picture != &bitmaps_.UpAndFocused()) {
    RECT focus = r;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  if (border_ == bbButton && FocusMarked() && Text().empty()) {
    RECT focus = r;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
}

const ui::Picture* TBmpButton::ChoosePicture(ui::Picture& disabledImage) const {
  const TButtonBitmaps& b = bitmaps_;
  auto present = [](const ui::Picture& p) { return TButtonBitmaps::Present(p); };
  if (!present(b.Up()) && !(state_ == bsDisabled && present(b.Disabled()))) return nullptr;
  switch (state_) {
    case bsUp:
      if (hot_ && present(b.Hot())) return &b.Hot();
      if (FocusMarked() && present(b.UpAndFocused())) return &b.UpAndFocused();
      return &b.Up();
    case bsDisabled:
      if (present(b.Disabled())) return &b.Disabled();
      disabledImage = EmbossedImage(b.Up(), b.TransparentColor());
      return &disabledImage;
    case bsDown:
      return present(b.Down()) ? &b.Down() : &b.Up();
    case bsExclusive:
      if (present(b.StayDown())) return &b.StayDown();
      return present(b.Down()) ? &b.Down() : &b.Up();
  }
  return nullptr;
}

void TBmpButton::DrawPicture(HDC dc, const RECT& r, const ui::Picture& picture) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int pw = picture.Width(), ph = picture.Height();
  if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return;
  const COLORREF key = ResolveColor(bitmaps_.TransparentColor());

  // The picture laid out over the drawing rectangle; what it leaves uncovered is transparent.
  ui::Surface face(w, h, dc);
  FillSolid(face.dc(), {0, 0, w, h}, key);
  switch (size_) {
    case bszButtonToBitmap:
      picture.Draw(face.dc(), 0, 0);
      break;
    case bszStretchToButton:
      DrawScaled(face.dc(), picture, 0, 0, w, h);
      break;
    case bszTileToButton:
      for (int y = 0; y < h; y += ph)
        for (int x = 0; x < w; x += pw) picture.Draw(face.dc(), x, y);
      break;
    case bszNeither:
      picture.Draw(face.dc(), (w - pw) / 2, (h - ph) / 2);
      break;
  }

  // Monochrome mask, word-aligned rows: a set bit marks a transparent pixel.
  GdiFlush();
  const uint32_t keyWord = PixelWord(key);
  const int stride = (w + 15) / 16 * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((face.bits()[static_cast<size_t>(y) * w + x] & 0xFFFFFF) == keyWord)
        bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  UniqueBitmap mask(CreateBitmap(w, h, 1, 1, bits.data()));
  UniqueMemoryDc maskDc(CreateCompatibleDC(dc));
  Selected selectMask(maskDc, mask);

  ui::SavedDc saved(dc);
  // Keep the background under the transparent pixels and clear it under the others...
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, r.left, r.top, w, h, maskDc, 0, 0, SRCAND);
  // ...black out the picture's transparent pixels, and add the picture on.
  SetBkColor(face.dc(), RGB(0, 0, 0));
  SetTextColor(face.dc(), RGB(255, 255, 255));
  BitBlt(face.dc(), 0, 0, w, h, maskDc, 0, 0, SRCAND);
  BitBlt(dc, r.left, r.top, w, h, face.dc(), 0, 0, SRCPAINT);
}

void TBmpButton::DrawCaption(HDC dc, const RECT& r) {
  const std::string& caption = Text();
  if (caption.empty()) return;
  ui::SavedDc saved(dc);
  SelectObject(dc, ui::FontHandle(Font()));
  SetBkMode(dc, TRANSPARENT);
  RECT text = r;
  OffsetRect(&text, 0, topOffset_);
  if (state_ == bsDown || state_ == bsExclusive)
    OffsetRect(&text, captionDownOffset_, captionDownOffset_);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  const int length = static_cast<int>(caption.size());
  if (state_ == bsDisabled) {
    RECT light = text;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, caption.c_str(), length, &light, flags);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  } else {
    SetTextColor(dc, ResolveColor(Font().color));
  }
  DrawTextA(dc, caption.c_str(), length, &text, flags);
  if (FocusMarked()) {
    RECT measure = text;
    DrawTextA(dc, caption.c_str(), length, &measure, flags | DT_CALCRECT);
    // DT_CALCRECT keeps the left and top: centre the measured box in the caption area.
    const int mw = measure.right - measure.left, mh = measure.bottom - measure.top;
    RECT focus = {(text.left + text.right - mw) / 2 - 2, (text.top + text.bottom - mh) / 2 - 1,
                  (text.left + text.right + mw) / 2 + 2, (text.top + text.bottom + mh) / 2 + 1};
    IntersectRect(&focus, &focus, &r);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace velotune
