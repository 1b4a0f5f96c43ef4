#include "ui/controls.h"

#include <oleacc.h>

#include <algorithm>

#include "ui/dpi.h"

namespace velotune::ui {

namespace {

// A label's text, as both kinds of label draw it.
void DrawLabelText(HDC dc, RECT r, const std::string& text, const FontSpec& font, UINT flags) {
  Selected selected(dc, FontHandle(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ResolveColor(font.color));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            flags | DT_NOPREFIX | DT_EXPANDTABS);
}

}  // namespace

// ---- Label

Label::Label(std::string name) : GraphicControl(std::move(name)) { SetParentColor(true); }

void Label::Paint(HDC dc) {
  RECT r = {0, 0, Width(), Height()};
  if (!transparent_) {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(GetColor())));
    FillRect(dc, &r, brush);
  }
  UINT flags = 0;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (alignment_ == Alignment::Right) flags |= DT_RIGHT;
  if (alignment_ == Alignment::Center) flags |= DT_CENTER;
  DrawLabelText(dc, r, Text(), Font(), flags);
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

long Label::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

void Label::Update() {
  if (Parent()) Parent()->Update();
}

// ---- Image

void Image::Paint(HDC dc) { picture_.Draw(dc, 0, 0); }

void Image::SetPicture(Picture picture) {
  picture_ = std::move(picture);
  Invalidate();
}

// ---- LinkLabel

LinkLabel::LinkLabel(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

void LinkLabel::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  style |= WS_TABSTOP;
}

// A link has no children: all of it is painted here.
void LinkLabel::PaintBackground(HDC dc, const RECT& client) {
  if (Parent()) {
    PaintParentContent(dc);
  } else {
    UniqueBrush brush(CreateSolidBrush(ResolveColor(GetColor())));
    FillRect(dc, &client, brush);
  }
  DrawLabelText(dc, client, Text(), Font(), 0);
  if (Focused() && ShowsFocusCues()) {
    // The mark frames the text, not the whole width the link is given.
    RECT text = client;
    Selected font(dc, FontHandle(Font()));
    DrawTextA(dc, Text().c_str(), static_cast<int>(Text().size()), &text,
              DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    IntersectRect(&text, &text, &client);
    DrawFocusRect(dc, &text);
  }
}

void LinkLabel::KeyDown(WPARAM key, Shift shift) {
  WinControl::KeyDown(key, shift);
  if (key == VK_RETURN || key == VK_SPACE) Click();
}

void LinkLabel::FocusChanged(bool focused) {
  WinControl::FocusChanged(focused);
  Invalidate();
}

// Enter opens the link rather than pressing the window's default button.
LRESULT LinkLabel::DialogCode(LRESULT standard, const MSG* msg) {
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
    return standard | DLGC_WANTMESSAGE;
  return standard;
}

long LinkLabel::AccessibleRole() const { return ROLE_SYSTEM_LINK; }

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

// Containers: Tab and the arrows look for stops among their children too.
void Panel::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  exStyle |= WS_EX_CONTROLPARENT;
}

// ---- CheckBox

CheckBox::CheckBox(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

void CheckBox::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_CHECKBOX;
  className = "BUTTON";
}

void CheckBox::HandleCreated() {
  // A new button is unchecked: a message only for a checked one.
  if (checked_) SendMessageA(Handle(), BM_SETCHECK, BST_CHECKED, 0);
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

long CheckBox::AccessibleRole() const { return ROLE_SYSTEM_CHECKBUTTON; }

long CheckBox::AccessibleState() const { return checked_ ? STATE_SYSTEM_CHECKED : 0; }

void CheckBox::ColorChanged() {
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- RadioButton

RadioButton::RadioButton(std::string name) : CheckBox(std::move(name)) {}

void RadioButton::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  CheckBox::CreateParams(style, exStyle, className);
  style = (style & ~BS_CHECKBOX) | BS_RADIOBUTTON;
  // Made with its tab stop set right: changing a style later costs a round
  // trip to the server and two messages per button.
  if (!IsTabStop()) style &= ~WS_TABSTOP;
}

long RadioButton::AccessibleRole() const { return ROLE_SYSTEM_RADIOBUTTON; }

std::vector<RadioButton*> RadioButton::Group() const {
  std::vector<RadioButton*> group;
  if (!Parent()) return group;
  for (Control* sibling : Parent()->Children())
    if (auto* radio = dynamic_cast<RadioButton*>(sibling)) group.push_back(radio);
  return group;
}

bool RadioButton::IsTabStop() const {
  const auto group = Group();
  const bool anyChecked =
      std::any_of(group.begin(), group.end(), [](RadioButton* r) { return r->Checked(); });
  return Checked() || (!anyChecked && !group.empty() && group.front() == this);
}

void RadioButton::UpdateTabStops() const {
  for (RadioButton* radio : Group()) {
    if (!radio->Handle()) continue;
    const LONG_PTR style = GetWindowLongPtrA(radio->Handle(), GWL_STYLE);
    const LONG_PTR wanted =
        radio->IsTabStop() ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
    if (wanted != style) SetWindowLongPtrA(radio->Handle(), GWL_STYLE, wanted);
  }
}

LRESULT RadioButton::DialogCode(LRESULT standard, const MSG*) { return standard | DLGC_WANTARROWS; }

void RadioButton::KeyDown(WPARAM key, Shift shift) {
  CheckBox::KeyDown(key, shift);
  int step = 0;
  if (key == VK_DOWN || key == VK_RIGHT) step = 1;
  if (key == VK_UP || key == VK_LEFT) step = -1;
  if (step == 0) return;
  const auto group = Group();
  const int count = static_cast<int>(group.size());
  const int at = static_cast<int>(std::find(group.begin(), group.end(), this) - group.begin());
  // The next one that can take the focus, round the group.
  for (int i = 1; i < count; ++i) {
    RadioButton* next = group[static_cast<size_t>(((at + step * i) % count + count) % count)];
    if (!next->Handle() || !next->Visible() || !next->Enabled()) continue;
    next->SetFocus();
    next->SetChecked(true);
    return;
  }
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
  UpdateTabStops();
}

void RadioButton::Command(WORD code) {
  if (code == BN_CLICKED) SetChecked(true);
}

// ---- Pages

TabSheet::TabSheet(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

void TabSheet::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  exStyle |= WS_EX_CONTROLPARENT;
}

PageControl::PageControl(std::string name) : WinControl(std::move(name)) { SetParentColor(true); }

void PageControl::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  exStyle |= WS_EX_CONTROLPARENT;
}

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
  const HWND focus = GetFocus();
  const bool hadFocus = Handle() && focus && (focus == Handle() || IsChild(Handle(), focus));
  for (int i = 0; i < PageCount(); ++i) {
    TabSheet* page = Page(i);
    // Pages fill the control.
    page->SetBounds(0, 0, Width(), Height());
    page->SetVisible(i == index);
  }
  // Hiding a page with the focus hands it to this control, which shows no mark.
  if (!hadFocus) return;
  const HWND shown = Page(index)->Handle();
  if (shown && !IsChild(shown, GetFocus()))
    if (HWND first = GetNextDlgTabItem(shown, nullptr, FALSE); first && IsChild(shown, first))
      ::SetFocus(first);
}

void PageControl::Loaded() { SetActivePageIndex(active_); }

}  // namespace velotune::ui
