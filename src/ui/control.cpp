#include "ui/control.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/accessible.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "ui/gdi.h"

namespace velotune::ui {
namespace {

constexpr const char* kWindowClass = "VelotuneWindow";

}  // namespace

Shift ShiftFromKeyboard() {
  Shift s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

Shift ShiftFromMouse(WPARAM wParam, bool doubleClick) {
  Shift s = 0;
  if (wParam & MK_SHIFT) s |= ssShift;
  if (wParam & MK_CONTROL) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (wParam & MK_LBUTTON) s |= ssLeft;
  if (wParam & MK_RBUTTON) s |= ssRight;
  if (wParam & MK_MBUTTON) s |= ssMiddle;
  if (doubleClick) s |= ssDouble;
  return s;
}

// ---- Control

Control::Control(std::string name) : name_(std::move(name)) {}

Control::~Control() {
  if (accessToken_) *accessToken_ = nullptr;
  if (parent_) parent_->RemoveChild(this);
}

void Control::SetParent(WinControl* parent) {
  if (parent_ == parent) return;
  if (parent_) {
    Invalidate();
    parent_->RemoveChild(this);
  }
  parent_ = parent;
  if (parent_) parent_->AddChild(this);
  if (IsWindowed()) {
    auto* self = static_cast<WinControl*>(this);
    if (self->HandleAllocated() && parent_ && parent_->HandleAllocated())
      ::SetParent(self->Handle(), parent_->Handle());
  }
  Invalidate();
}

Form* Control::ParentForm() const {
  for (const Control* c = this; c; c = c->parent_)
    if (auto* form = dynamic_cast<const Form*>(c)) return const_cast<Form*>(form);
  return nullptr;
}

void Control::SetBounds(int left, int top, int width, int height) {
  const RECT old = bounds_;
  const RECT now = {left, top, left + std::max(width, 0), top + std::max(height, 0)};
  if (EqualRect(&old, &now)) return;
  bounds_ = now;
  BoundsChanged(old);
}

void Control::BoundsChanged(const RECT& old) {
  if (parent_ && parent_->HandleAllocated()) {
    InvalidateRect(parent_->Handle(), &old, FALSE);
    InvalidateRect(parent_->Handle(), &bounds_, FALSE);
  }
}

POINT Control::ClientOrigin() const { return {bounds_.left, bounds_.top}; }

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (parent_ && parent_->HandleAllocated()) InvalidateRect(parent_->Handle(), &bounds_, FALSE);
}

bool Control::Showing() const {
  if (!visible_) return false;
  if (parent_) return parent_->Showing();
  if (IsWindowed()) {
    const auto* self = static_cast<const WinControl*>(this);
    return self->HandleAllocated() && IsWindowVisible(self->Handle());
  }
  return false;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

void Control::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Invalidate();
  // A window's own text change is announced by the system.
  if (!IsWindowed() && !accessibleName_) NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

void Control::SetAccessibleName(std::string name) {
  accessibleName_ = std::move(name);
  NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

std::shared_ptr<Control*> Control::AccessToken() {
  if (!accessToken_) accessToken_ = std::make_shared<Control*>(this);
  return accessToken_;
}

void Control::NotifyAccessible(DWORD event) {
  if (IsWindowed()) {
    const auto* self = static_cast<const WinControl*>(this);
    if (self->Handle()) NotifyWinEvent(event, self->Handle(), OBJID_CLIENT, CHILDID_SELF);
    return;
  }
  if (!parent_ || !parent_->Handle()) return;
  const std::vector<Control*> elements = parent_->AccessibleElements();
  const auto it = std::find(elements.begin(), elements.end(), this);
  if (it != elements.end())
    NotifyWinEvent(event, parent_->Handle(), OBJID_CLIENT,
                   static_cast<LONG>(it - elements.begin()) + 1);
}

const FontSpec& Control::Font() const {
  static const FontSpec fallback;
  if (font_) return *font_;
  return parent_ ? parent_->Font() : fallback;
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  FontChanged();
}

Color Control::GetColor() const {
  if (parentColor_ && parent_) return parent_->GetColor();
  return color_;
}

void Control::SetColor(Color color) {
  parentColor_ = false;
  if (color_ == color) return;
  color_ = color;
  ColorChanged();
}

void Control::SetParentColor(bool on) {
  parentColor_ = on;
  ColorChanged();
}

void Control::ChangeScale(int dpi, int oldDpi) {
  const RECT b = bounds_;
  SetBounds(RescaleDpi(b.left, dpi, oldDpi), RescaleDpi(b.top, dpi, oldDpi),
            RescaleDpi(b.right - b.left, dpi, oldDpi), RescaleDpi(b.bottom - b.top, dpi, oldDpi));
  if (font_) font_->height = RescaleDpi(font_->height, dpi, oldDpi);
  // Inherited fonts changed with the parent's: windowed controls are told too.
  FontChanged();
  if (OnScale) OnScale(*this, dpi);
}

void Control::Click() {
  if (OnClick) OnClick(*this);
}

void Control::MouseDown(MouseButton button, Shift shift, int x, int y) {
  if (ClicksOnRelease()) pressed_ = button == MouseButton::Left;
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void Control::MouseUp(MouseButton button, Shift shift, int x, int y) {
  const bool click = ClicksOnRelease() && pressed_ && button == MouseButton::Left && x >= 0 &&
                     y >= 0 && x < Width() && y < Height();
  if (button == MouseButton::Left) pressed_ = false;
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
  if (click) Click();
}

void Control::MouseMove(Shift shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void Control::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}

void Control::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(*this);
}

// ---- GraphicControl

std::optional<std::string> GraphicControl::AccessibleName() const {
  if (auto name = Control::AccessibleName()) return name;
  return Text();
}

void GraphicControl::Invalidate() {
  if (Parent() && Parent()->HandleAllocated()) {
    const RECT r = BoundsRect();
    InvalidateRect(Parent()->Handle(), &r, FALSE);
  }
}

void GraphicControl::Repaint() {
  Invalidate();
  if (Parent() && Parent()->HandleAllocated()) UpdateWindow(Parent()->Handle());
}

// ---- WinControl

WinControl::WinControl(std::string name) : Control(std::move(name)) {}

WinControl::~WinControl() {
  for (Control* child : children_) child->parent_ = nullptr;
  children_.clear();
  DestroyHandle();
}

void WinControl::AddChild(Control* child) { children_.push_back(child); }

void WinControl::RemoveChild(Control* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
  if (captured_ == child) captured_ = nullptr;
  if (hover_ == child) hover_ = nullptr;
}

void WinControl::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  exStyle = 0;
  className = kWindowClass;
}

void WinControl::CreateHandle() {
  if (!Handle()) {
    DWORD style = 0, exStyle = 0;
    const char* className = kWindowClass;
    CreateParams(style, exStyle, className);
    if (Visible()) style |= WS_VISIBLE;
    if (!Enabled()) style |= WS_DISABLED;
    if (className == kWindowClass) {
      static const bool registered = (RegisterBoundClass(kWindowClass, CS_DBLCLKS), true);
      (void)registered;
    }
    HWND parentWindow = nullptr;
    if (Parent())
      parentWindow = Parent()->Handle();
    else if (auto* app = Application::Instance())
      parentWindow = app->Handle();  // top-level windows are owned by the application window
    if (!CreateBound(exStyle, className, Text().c_str(), style, Left(), Top(), Width(), Height(),
                     parentWindow))
      return;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(Font())), FALSE);
    if (Parent()) {
      // A window made later (a page first shown) shows its marks as its parent does.
      if (const WORD hidden = Parent()->uiState_)
        SendMessageA(Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, hidden), 0);
    }
    HandleCreated();
  }
  handleDeferred_ = false;
  const Form* form = ParentForm();
  const bool deferHidden = form && form->DefersHiddenWindows();
  for (Control* child : children_) {
    if (!child->IsWindowed()) continue;
    auto* windowed = static_cast<WinControl*>(child);
    if (deferHidden && !windowed->Visible() && !windowed->Handle())
      windowed->handleDeferred_ = true;
    else
      windowed->CreateHandle();
  }
}

void WinControl::DestroyHandle() { DestroyBound(); }

WinControl* WinControl::ChildWithHandle(HWND hwnd) const {
  if (!hwnd) return nullptr;
  for (Control* child : children_)
    if (child->IsWindowed() && static_cast<WinControl*>(child)->Handle() == hwnd)
      return static_cast<WinControl*>(child);
  return nullptr;
}

LRESULT WinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      if (Subclassed()) break;
      HandlePaint();
      return 0;
    case WM_ERASEBKGND:
      if (Subclassed()) break;
      return 1;  // everything is painted in WM_PAINT, off screen
    case WM_NCPAINT:
      // A window without a frame has nothing to paint there, and the default
      // handling still takes a device context for each window as it shows.
      if (!HasFrame()) return 0;
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && !Subclassed()) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        Control* target = GraphicChildAt(p.x, p.y);
        const int cursor = target ? target->Cursor() : Cursor();
        if (HCURSOR handle = LookupCursor(cursor == crDefault ? crDefault : cursor)) {
          ::SetCursor(handle);
          return TRUE;
        }
      }
      break;
    case WM_COMMAND:
      if (lParam) {
        if (WinControl* child = ChildWithHandle(reinterpret_cast<HWND>(lParam))) {
          child->Command(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (WinControl* child = ChildWithHandle(reinterpret_cast<HWND>(lParam)))
        if (HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wParam)))
          return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      KeyDown(wParam, ShiftFromKeyboard());
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      KeyUp(wParam, ShiftFromKeyboard());
      break;
    case WM_SETFOCUS:
      FocusChanged(true);
      break;
    case WM_KILLFOCUS:
      FocusChanged(false);
      break;
    case WM_CAPTURECHANGED:
      captured_ = nullptr;
      break;
    case WM_GETOBJECT:
      if (const LRESULT answer = AnswerGetObject(*this, wParam, lParam)) return answer;
      break;
    case WM_GETDLGCODE:
      return DialogCode(DefaultProc(msg, wParam, lParam), reinterpret_cast<const MSG*>(lParam));
    // The focus and accelerator marks' state, kept here as Windows keeps it:
    // Wine's default handling keeps none.
    case WM_QUERYUISTATE:
      return uiState_;
    case WM_CHANGEUISTATE:
      if (Parent() && Parent()->Handle())
        return SendMessageA(Parent()->Handle(), WM_CHANGEUISTATE, wParam, lParam);
      SendMessageA(Handle(), WM_UPDATEUISTATE, wParam, lParam);
      return 0;
    case WM_UPDATEUISTATE: {
      const WORD flags = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
      WORD action = LOWORD(wParam);
      if (action == UIS_INITIALIZE) {
        BOOL alwaysCues = FALSE;
        SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &alwaysCues, 0);
        action = alwaysCues ? UIS_CLEAR : UIS_SET;
      }
      const WORD before = uiState_;
      if (action == UIS_SET) uiState_ |= flags;
      if (action == UIS_CLEAR) uiState_ &= static_cast<WORD>(~flags);
      if (Subclassed()) DefaultProc(msg, wParam, lParam);  // a native control redraws itself
      for (Control* child : children_)
        if (child->IsWindowed() && static_cast<WinControl*>(child)->Handle())
          SendMessageA(static_cast<WinControl*>(child)->Handle(), WM_UPDATEUISTATE,
                       MAKEWPARAM(action, flags), lParam);
      // Focus marks appear or go: a window that paints its own redraws.
      if (uiState_ != before && !Subclassed() && Focused()) Invalidate();
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (hover_) {
        Control* old = hover_;
        hover_ = nullptr;
        old->MouseLeave();
      }
      if (mouseInside_) {
        mouseInside_ = false;
        MouseLeave();
      }
      return 0;
    default:
      if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && !Subclassed() &&
          HandleMouse(msg, wParam, lParam))
        return 0;
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

bool WinControl::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  auto local = [&](Control* c, int& lx, int& ly) {
    lx = x;
    ly = y;
    if (c != this) {
      lx -= c->Left();
      ly -= c->Top();
    }
  };
  MouseButton button = MouseButton::Left;
  bool down = false, up = false, dbl = false;
  switch (msg) {
    case WM_LBUTTONDOWN:
      down = true;
      break;
    case WM_LBUTTONDBLCLK:
      down = dbl = true;
      break;
    case WM_LBUTTONUP:
      up = true;
      break;
    case WM_RBUTTONDOWN:
      down = true;
      button = MouseButton::Right;
      break;
    case WM_RBUTTONDBLCLK:
      down = dbl = true;
      button = MouseButton::Right;
      break;
    case WM_RBUTTONUP:
      up = true;
      button = MouseButton::Right;
      break;
    case WM_MBUTTONDOWN:
      down = true;
      button = MouseButton::Middle;
      break;
    case WM_MBUTTONDBLCLK:
      down = dbl = true;
      button = MouseButton::Middle;
      break;
    case WM_MBUTTONUP:
      up = true;
      button = MouseButton::Middle;
      break;
    case WM_MOUSEMOVE:
      break;
    default:
      return false;
  }
  const Shift shift = ShiftFromMouse(wParam, dbl);
  int lx = 0, ly = 0;
  if (down) {
    Control* target = GraphicChildAt(x, y);
    if (!target) target = this;
    captured_ = target;
    SetCapture(Handle());
    local(target, lx, ly);
    target->MouseDown(button, shift, lx, ly);
    return true;
  }
  if (up) {
    Control* target = captured_;
    if (!target) target = GraphicChildAt(x, y);
    if (!target) target = this;
    if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
      captured_ = nullptr;
      if (GetCapture() == Handle()) ReleaseCapture();
    }
    local(target, lx, ly);
    target->MouseUp(button, shift, lx, ly);
    return true;
  }
  // Move: enter and leave for this window and its graphic children.
  if (!tracking_) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, Handle(), 0};
    tracking_ = TrackMouseEvent(&tme);
  }
  if (!mouseInside_) {
    mouseInside_ = true;
    MouseEnter();
  }
  Control* under = GraphicChildAt(x, y);
  if (under != hover_) {
    Control* old = hover_;
    hover_ = under;
    if (old) old->MouseLeave();
    if (under) under->MouseEnter();
  }
  Control* target = captured_ ? captured_ : (under ? under : this);
  local(target, lx, ly);
  target->MouseMove(shift, lx, ly);
  return true;
}

std::vector<Control*> WinControl::AccessibleElements() const {
  std::vector<Control*> elements;
  for (Control* c : children_) {
    if (c->IsWindowed()) return {};  // the system's object lists the child windows
    if (c->AccessibleRole() != 0) elements.push_back(c);
  }
  return elements;
}

LRESULT WinControl::DialogCode(LRESULT standard, const MSG*) { return standard; }

bool WinControl::ShowsFocusCues() const {
  return Handle() && !(SendMessageA(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

Control* WinControl::GraphicChildAt(int x, int y) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Control* c = *it;
    if (c->IsWindowed() || !c->Visible() || !c->Enabled()) continue;
    const POINT p = {x, y};
    const RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

bool WinControl::HasFrame() const {
  RECT window, client;
  if (!GetWindowRect(Handle(), &window) || !GetClientRect(Handle(), &client)) return true;
  return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

void WinControl::HandlePaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  // A window its children cover wholly (a page control under its page) has nothing to paint.
  if (!IsRectEmpty(&ps.rcPaint)) {
    RECT client;
    GetClientRect(Handle(), &client);
    Surface buffer(client.right, client.bottom, dc);
    PaintContent(buffer.dc());
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, buffer.dc(), ps.rcPaint.left, ps.rcPaint.top,
           SRCCOPY);
  }
  EndPaint(Handle(), &ps);
}

void WinControl::PaintContent(HDC dc) {
  RECT client = {0, 0, Width(), Height()};
  if (Handle()) GetClientRect(Handle(), &client);
  PaintBackground(dc, client);
  // A button asks for its parent's content behind it alone: children outside
  // the clipping are not drawn at all.
  RECT clip;
  const bool clipped = GetClipBox(dc, &clip) != ERROR;
  for (Control* c : children_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    RECT overlap;
    const RECT bounds = c->BoundsRect();
    if (clipped && !IntersectRect(&overlap, &bounds, &clip)) continue;
    SavedDc saved(dc);
    POINT origin;
    OffsetViewportOrgEx(dc, c->Left(), c->Top(), &origin);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    static_cast<GraphicControl*>(c)->Paint(dc);
  }
}

void WinControl::PaintParentContent(HDC dc) {
  WinControl* parent = Parent();
  if (!parent) return;
  RECT client = {0, 0, parent->Width(), parent->Height()};
  if (parent->HandleAllocated()) GetClientRect(parent->Handle(), &client);
  SavedDc saved(dc);
  POINT origin;
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - Left(), origin.y - Top(), nullptr);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  parent->PaintContent(dc);
}

void WinControl::PaintBackground(HDC dc, const RECT& client) {
  UniqueBrush brush(CreateSolidBrush(ResolveColor(GetColor())));
  FillRect(dc, &client, brush);
}

void WinControl::Invalidate() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void WinControl::Repaint() {
  Invalidate();
  Update();
}

void WinControl::Update() {
  if (Handle()) UpdateWindow(Handle());
}

void WinControl::SetVisible(bool visible) {
  Control::SetVisible(visible);
  if (Handle())
    ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
  else if (visible && handleDeferred_ && Parent() && Parent()->HandleAllocated())
    CreateHandle();  // made visible, with its children
}

void WinControl::SetEnabled(bool enabled) {
  Control::SetEnabled(enabled);
  if (Handle()) EnableWindow(Handle(), enabled);
}

void WinControl::SetText(const std::string& text) {
  Control::SetText(text);
  if (Handle()) SetWindowTextA(Handle(), text.c_str());
}

void WinControl::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

bool WinControl::Focused() const { return Handle() && GetFocus() == Handle(); }

void WinControl::BoundsChanged(const RECT&) {
  if (Handle()) MoveWindow(Handle(), Left(), Top(), Width(), Height(), TRUE);
}

void WinControl::FontChanged() {
  if (Handle())
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(Font())), TRUE);
  Invalidate();
}

void WinControl::KeyDown(WPARAM, Shift) {}
void WinControl::KeyUp(WPARAM, Shift) {}
void WinControl::FocusChanged(bool) {}

}  // namespace velotune::ui
