#include "ui/controls.h"

#include <algorithm>

#include "ui/dpi.h"

namespace velotune::ui {

// ---- Label

Label::Label(std::string name) : GraphicControl(std::move(name)) { SetParentColor(true); }

void Label::Paint(HDC dc) {
  RECT r = {0, 0, Width(), Height()};
  if (!transparent_) {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(GetColor())));
    FillRect(dc, &r, brush);
  }
  Selected font(dc, FontHandle(Font()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ResolveColor(Font().color));
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (alignment_ == Alignment::Right) flags |= DT_RIGHT;
  if (alignment_ == Alignment::Center) flags |= DT_CENTER;
  DrawTextA(dc, Text().c_str(), static_cast<int>(Text().size()), &r, flags);
}

void Label::SetTransparent(bool on) {
  transparent_ = on;
  Invalidate();
}

void Label::SetAlignment(Alignment a) {
  alignment_ = a;
  Invalidate();
}

void Label::SetWordWrap(bool on) {
  wordWrap_ = on;
  Invalidate();
}

void Label::Update() {
  if (Parent()) Parent()->Update();
}

// ---- Image

void Image::Paint(HDC dc) { picture_.Draw(dc, 0, 0); }

void Image::SetPicture(Picture picture) {
  picture_ = std::move(picture);
  Invalidate();
}

// ---- Shape

void Shape::Paint(HDC dc) {
  // A wider pen stays inside the shape, as the one-pixel pen does.
  UniquePen pen(
      CreatePen(penWidth_ > 1 ? PS_INSIDEFRAME : PS_SOLID, penWidth_, ResolveColor(pen_)));
  UniqueBrush brush(CreateSolidBrush(ResolveColor(brush_)));
  Selected p(dc, pen), b(dc, brush);
  const int w = Width(), h = Height();
  if (kind_ == Kind::RoundRect) {
    const int s = std::min(w, h) / 4;
    RoundRect(dc, 0, 0, w, h, s, s);
  } else {
    Rectangle(dc, 0, 0, w, h);
  }
}

void Shape::ChangeScale(int dpi, int oldDpi) {
  GraphicControl::ChangeScale(dpi, oldDpi);
  penWidth_ = std::max(1, ScaleToDpi(1, dpi));
}

void Shape::SetKind(Kind kind) {
  kind_ = kind;
  Invalidate();
}

void Shape::SetPenColor(Color c) {
  if (pen_ == c) return;
  pen_ = c;
  Invalidate();
}

void Shape::SetBrushColor(Color c) {
  if (brush_ == c) return;
  brush_ = c;
  Invalidate();
}

// ---- Panel

Panel::Panel(std::string name) : WinControl(std::move(name)) { SetParentColor(false); }

// ---- CheckBox

CheckBox::CheckBox(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

void CheckBox::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_CHECKBOX;
  className = "BUTTON";
}

void CheckBox::HandleCreated() {
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  if (Handle()) SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Loading()) Click();  // a stored layout sets the state silently
}

void CheckBox::Command(WORD code) {
  if (code == BN_CLICKED) SetChecked(!checked_);
}

HBRUSH CheckBox::CtlColor(HDC dc) {
  const COLORREF color = ResolveColor(GetColor());
  if (!brush_ || brushColor_ != color) {
    brush_.reset(CreateSolidBrush(color));
    brushColor_ = color;
  }
  SetBkColor(dc, color);
  SetTextColor(dc, ResolveColor(Font().color));
  return brush_;
}

void CheckBox::ColorChanged() {
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- RadioButton

RadioButton::RadioButton(std::string name) : CheckBox(std::move(name)) {}

void RadioButton::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  CheckBox::CreateParams(style, exStyle, className);
  style = (style & ~BS_CHECKBOX) | BS_RADIOBUTTON;
}

void RadioButton::SetChecked(bool checked) {
  if (Checked() == checked) return;
  if (checked && Parent()) {
    for (Control* sibling : Parent()->Children())
      if (auto* radio = dynamic_cast<RadioButton*>(sibling); radio && radio != this)
        radio->SetChecked(false);
  }
  if (checked) {
    CheckBox::SetChecked(true);  // raises the click
  } else {
    // Losing the selection raises nothing.
    auto onClick = std::move(OnClick);
    OnClick = nullptr;
    CheckBox::SetChecked(false);
    OnClick = std::move(onClick);
  }
}

void RadioButton::Command(WORD code) {
  if (code == BN_CLICKED) SetChecked(true);
}

// ---- Pages

TabSheet::TabSheet(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

PageControl::PageControl(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

int PageControl::PageCount() const {
  int n = 0;
  for (Control* c : Children())
    if (dynamic_cast<TabSheet*>(c)) ++n;
  return n;
}

TabSheet* PageControl::Page(int index) const {
  int n = 0;
  for (Control* c : Children())
    if (auto* page = dynamic_cast<TabSheet*>(c)) {
      if (n == index) return page;
      ++n;
    }
  return nullptr;
}

void PageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount()) return;
  active_ = index;
  for (int i = 0; i < PageCount(); ++i) {
    TabSheet* page = Page(i);
    // Pages fill the control.
    page->SetBounds(0, 0, Width(), Height());
    page->SetVisible(i == index);
  }
}

void PageControl::Loaded() { SetActivePageIndex(active_); }

}  // namespace velotune::ui
