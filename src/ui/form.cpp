#include "ui/form.h"

#include <cstdio>
#include <cstdlib>

#include "ui/application.h"
#include "ui/dpi.h"

namespace velotune::ui {

Form::Form(std::string name) : WinControl(std::move(name)) {
  SetColor(clBtnFace);
  SetVisible(false);  // shown by the application or by Show
}

Form::~Form() {
  if (auto* app = Application::Instance()) app->FormDestroyed(this);
  // Children go before the window they live in.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) it->reset();
  DestroyHandle();
}

void Form::FailMissing(const std::string& what) {
  std::fprintf(stderr, "form layout: no such control or parent: %s\n", what.c_str());
  std::abort();
}

Control& Form::Add(std::unique_ptr<Control> control, WinControl* parent) {
  Control& c = *control;
  c.SetParent(parent ? parent : this);
  byName_[c.Name()] = &c;
  controls_.push_back(std::move(control));
  return c;
}

void Form::Build(std::span<const ControlSpec> layout) {
  for (const ControlSpec& row : layout) {
    WinControl* parent = this;
    if (row.parent) {
      parent = dynamic_cast<WinControl*>(Find(row.parent));
      if (!parent) FailMissing(row.parent);
    }
    Control& c = Add(row.create(row.name), parent);
    c.SetLoading(true);
    c.SetBounds(row.left, row.top, row.width, row.height);
    c.SetText(row.text);
    if (row.font) c.SetFont(*row.font);
    if (row.color) c.SetColor(*row.color);
    c.SetVisible(row.visible);
    if (row.onClick) c.OnClick = row.onClick;
    if (row.onMouseDown) c.OnMouseDown = row.onMouseDown;
    if (row.setup) row.setup(c);
  }
  for (const ControlSpec& row : layout) {
    Control* c = Find(row.name);
    c->SetLoading(false);
    c->Loaded();
  }
}

Component& Form::AddComponent(std::unique_ptr<Component> component) {
  component->owner_ = this;
  components_.push_back(std::move(component));
  return *components_.back();
}

Control* Form::Find(const std::string& name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

Component* Form::FindComponent(const std::string& name) const {
  for (const auto& c : components_)
    if (c->Name() == name) return c.get();
  return nullptr;
}

void Form::CreateForm() {
  if (auto* app = Application::Instance()) app->FormCreated(this);
  ScaleTo(SystemDpi());
  CreateHandle();
  // Focus marks stay hidden until the keyboard is used, unless the user asked
  // to see them always.
  BOOL alwaysCues = FALSE;
  SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &alwaysCues, 0);
  if (Handle() && !alwaysCues)
    SendMessageA(Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL),
                 0);
  for (const auto& c : components_) c->Loaded();
  if (OnCreate) OnCreate(*this);
}

void Form::ScaleTo(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int old = dpi_;
  dpi_ = dpi;
  SetBounds(Left(), Top(), RescaleDpi(Width(), dpi, old), RescaleDpi(Height(), dpi, old));
  if (HasOwnFont()) {
    FontSpec font = Font();
    font.height = RescaleDpi(font.height, dpi, old);
    SetFont(font);
  }
  // In layout order: parents before their children.
  for (const auto& c : controls_) c->ChangeScale(dpi, old);
  Invalidate();
}

void Form::CreateParams(DWORD& style, DWORD& exStyle, const char*& className) {
  WinControl::CreateParams(style, exStyle, className);
  style = WS_POPUP | WS_CLIPCHILDREN;  // no frame, no caption
  exStyle = WS_EX_CONTROLPARENT;
}

void Form::Show() {
  Control::SetVisible(true);
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOWNORMAL);
  // Painted before the task bar button is shown: the window is what the user waits for.
  UpdateWindow(Handle());
  auto* app = Application::Instance();
  if (app && app->MainForm() == this && !IsWindowVisible(app->Handle()))
    ShowWindow(app->Handle(), SW_SHOWNOACTIVATE);  // its task bar button
}

void Form::Hide() {
  SaveFocus();
  Control::SetVisible(false);
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void Form::SaveFocus() {
  const HWND focus = GetFocus();
  if (Handle() && focus && IsChild(Handle(), focus)) savedFocus_ = focus;
}

bool Form::RestoreFocus() {
  const HWND saved = savedFocus_;
  if (!Handle() || !saved || !IsWindow(saved) || !IsChild(Handle(), saved) ||
      !IsWindowVisible(saved) || !IsWindowEnabled(saved))
    return false;
  ::SetFocus(saved);
  return true;
}

void Form::Activate() {
  if (!Handle()) return;
  SetForegroundWindow(Handle());
  SetActiveWindow(Handle());
  const HWND focus = GetFocus();
  if (!focus || (focus != Handle() && !IsChild(Handle(), focus)))
    if (!RestoreFocus()) ::SetFocus(Handle());
}

bool Form::DialogMessage(MSG& msg) {
  if (!Handle()) return false;
  if (OnKeyPreview && OnKeyPreview(msg)) return true;
  // A character left for a control its key has just hidden (Enter on OK goes
  // to page 1): Wine's mnemonic search never comes back to a hidden control
  // and would go round for ever. It has nothing to match: plain handling.
  if ((msg.message == WM_CHAR || msg.message == WM_SYSCHAR) && !IsWindowVisible(msg.hwnd))
    return false;
  const bool navigation = msg.message == WM_KEYDOWN &&
                          (msg.wParam == VK_TAB || msg.wParam == VK_LEFT ||
                           msg.wParam == VK_RIGHT || msg.wParam == VK_UP || msg.wParam == VK_DOWN);
  const bool alt = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_MENU;
  if (navigation || alt)
    SendMessageA(Handle(), WM_CHANGEUISTATE,
                 MAKEWPARAM(UIS_CLEAR, navigation ? UISF_HIDEFOCUS : UISF_HIDEACCEL), 0);
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetFocus() == Handle()) {
    // No control has the focus yet: Tab enters at the first stop, Shift+Tab at
    // the last (the dialog manager alone would do nothing for Shift+Tab).
    const HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    const HWND to =
        GetKeyState(VK_SHIFT) < 0 && first ? GetNextDlgTabItem(Handle(), first, TRUE) : first;
    if (to) ::SetFocus(to);
    return true;
  }
  return IsDialogMessageA(Handle(), &msg);
}

bool Form::IsVisible() const { return Handle() && IsWindowVisible(Handle()); }

void Form::Close() {
  Hide();
  auto* app = Application::Instance();
  if (app && app->MainForm() == this) app->Terminate();
}

LRESULT Form::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case kWmDpiChanged: {
      // Moved to a screen of another DPI: laid out again, in the rectangle
      // the system suggests. Both DPIs in the word parameter are the same.
      ScaleTo(LOWORD(wParam));
      if (const auto* r = reinterpret_cast<const RECT*>(lParam))
        SetWindowPos(Handle(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      // As a dialog does: the focus leaves with the window and comes back with it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        SaveFocus();
      } else if (!HIWORD(wParam) && RestoreFocus()) {
        return 0;
      }
      break;
    case WM_SHOWWINDOW:
      // Keep the visible flag in step when the system hides or shows the window.
      if (lParam == 0) Control::SetVisible(wParam != 0);
      break;
    case WM_WINDOWPOSCHANGED: {
      // The system moves the window too (a drag by its background): keep the
      // bounds in step, so a later change starts from where it really is. A
      // minimized window's place is not one to keep.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!IsIconic(Handle()) &&
          (pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
        RECT now;
        GetWindowRect(Handle(), &now);
        TrackBounds(now);
      }
      break;
    }
  }
  return WinControl::WndProc(msg, wParam, lParam);
}

}  // namespace velotune::ui
