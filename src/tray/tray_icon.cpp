#include "tray/tray_icon.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/startup_trace.h"
#include "ui/application.h"

namespace velotune {
namespace {

// Common controls 4.71 and later broadcast the task bar restart.
constexpr long kFirstTaskbarCreatedVersion = 0x00040047;

#ifdef _WIN64
static_assert(kNotifyIconDataSize == 504, "x64 ANSI record up to the balloon fields");
#else
static_assert(kNotifyIconDataSize == 488, "x86 ANSI record up to the balloon fields");
#endif

bool taskbarMessageDone = false;
UINT taskbarMessage = 0;

ui::Shift KeyboardShift() {
  ui::Shift shift = 0;
  if (GetAsyncKeyState(VK_SHIFT) & 0x8000) shift |= ui::ssShift;
  if (GetAsyncKeyState(VK_CONTROL) & 0x8000) shift |= ui::ssCtrl;
  if (GetAsyncKeyState(VK_MENU) & 0x8000) shift |= ui::ssAlt;
  return shift;
}

bool IsMdiParent(ui::Form& form) {
  return form.HandleAllocated() &&
         FindWindowExA(form.Handle(), nullptr, "MDICLIENT", nullptr) != nullptr;
}

}  // namespace

long ComCtl32FileVersion() {
  // The version resource read from one mapping of the file, as a data file:
  // the size query and the read of the version calls would map it twice, at start-up.
  HMODULE file = LoadLibraryExA("comctl32.dll", nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!file) return -1;
  std::vector<char> block;
  if (HRSRC resource = FindResourceA(file, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                     reinterpret_cast<LPCSTR>(RT_VERSION))) {
    HGLOBAL loaded = LoadResource(file, resource);
    const auto* data = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
    if (data) block.assign(data, data + SizeofResource(file, resource));
  }
  FreeLibrary(file);
  if (block.empty()) return -1;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return -1;
  return static_cast<long>(info->dwFileVersionMS);
}

UINT RegisterTaskbarCreatedMessage(long (*versionSource)()) {
  taskbarMessageDone = true;
  taskbarMessage = 0;
  if (versionSource && versionSource() >= kFirstTaskbarCreatedVersion)
    taskbarMessage = RegisterWindowMessageA("TaskbarCreated");
  return taskbarMessage;
}

UINT TaskbarCreatedMessage() {
  if (!taskbarMessageDone) RegisterTaskbarCreatedMessage();
  return taskbarMessage;
}

// ---------------------------------------------------------------------------

UINT TTrayIcon::NewIdentity() {
  // A counter, not the address: a 64-bit address fits neither the icon number
  // nor the identity the shell hands back. Never one in use, never 0.
  static UINT next = 1;
  const ui::MessageWindow* window = ui::MessageWindow::Instance();
  UINT identity;
  do {
    identity = next++;
  } while (identity == 0 || (window && window->Claimed(WM_TRAYNOTIFY, identity)));
  return identity;
}

TTrayIcon::TTrayIcon(ui::Form* owner, std::string name)
    : ui::Component(std::move(name)),
      ownerForm_(owner),
      loading_(owner && !owner->HandleAllocated()),
      identity_(NewIdentity()),
      claim_(WM_TRAYNOTIFY, identity_, [this](LPARAM message) { TrayMessage(message); }) {
  TaskbarCreatedMessage();  // registered once, by the first icon

  data_.cbSize = kNotifyIconDataSize;
  data_.hWnd = claim_.Window();
  data_.uID = identity_;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_TRAYNOTIFY;

  cycleTimer_ = std::make_unique<TIntervalTimer>();
  cycleTimer_->SetOnTimer([this](TIntervalTimer&) { CycleTimerExpired(); });
  clickTimer_ = std::make_unique<TIntervalTimer>();
  clickTimer_->SetOnTimer([this](TIntervalTimer&) { ClickTimerExpired(); });
  exitTimer_ = std::make_unique<TIntervalTimer>(20);
  exitTimer_->SetOnTimer([this](TIntervalTimer&) { ExitTimerExpired(); });

  if (auto* app = ui::Application::Instance()) {
    appHookId_ = app->HookMainWindow([this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&) {
      return ApplicationMessage(msg, wParam, lParam);
    });
  }
  InstallOwnerHook();
}

TTrayIcon::~TTrayIcon() {
  *alive_ = false;
  loading_ = false;
  SetIconVisible(false);
  previewing_ = false;
  cycleTimer_.reset();
  clickTimer_.reset();
  exitTimer_.reset();
  ReplaceIcon(nullptr);
  if (auto* app = ui::Application::Instance(); app && appHookId_) app->UnhookMainWindow(appHookId_);
  RemoveOwnerHook();
}

void TTrayIcon::Loaded() {
  trace::Scope phase(trace::Phase::Tray);
  loading_ = false;
  // The owner's window exists only now when the icon was made with the layout.
  InstallOwnerHook();
  if (ownerForm_) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(*this, showMainForm);
    if (!showMainForm) {
      if (auto* app = ui::Application::Instance()) app->SetShowMainForm(false);
      HideMainWindow();
    }
  }
  auto* app = ui::Application::Instance();
  const bool defer = deferShell_ && app && app->MainForm() && app->ShowMainForm();
  if (!defer) ShowOrRemoveInShell();
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExit_);
  data_.uVersion = version_ == 1 ? NOTIFYICON_VERSION : 0;
  if (!defer) {
    Notify(NIM_SETVERSION);
    return;
  }
  // Posted work runs from the message loop, after the window's first paint.
  app->Post([this, alive = alive_] {
    if (!*alive) return;
    ShowOrRemoveInShell();
    Notify(NIM_SETVERSION);
  });
}

void TTrayIcon::ShowOrRemoveInShell() {
  UpdateIcon();
  if (iconVisible_)
    AddIcon();
  else
    RemoveIcon();
}

// --- properties ------------------------------------------------------------

void TTrayIcon::SetIconList(TImageList list) { iconList_ = std::move(list); }

void TTrayIcon::SetCycleIcons(bool on) {
  cycleIcons_ = on;
  if (loading_) return;
  if (on) {
    SetIconIndex(0);
    cycleTimer_->SetInterval(cycleInterval_);
    cycleTimer_->SetEnabled(true);
  } else {
    cycleTimer_->SetEnabled(false);
  }
}

void TTrayIcon::SetCycleInterval(UINT ms) {
  cycleInterval_ = ms;
  cycleTimer_->SetInterval(ms);
}

void TTrayIcon::SetHint(const std::string& hint) {
  hint_ = hint;
  UpdateIcon();
}

void TTrayIcon::SetShowHint(bool on) {
  showHint_ = on;
  UpdateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
  ReplaceIcon(icon ? CopyIcon(icon) : nullptr);
  UpdateIcon();
}

void TTrayIcon::ReplaceIcon(HICON icon) {
  if (icon_) DestroyIcon(icon_);
  icon_ = icon;
}

void TTrayIcon::SetIconVisible(bool on) {
  if (loading_) {
    iconVisible_ = on;
    return;
  }
  if (on)
    AddIcon();
  else
    RemoveIcon();
}

void TTrayIcon::SetIconIndex(int index) {
  if (!iconList_.empty()) {
    iconIndex_ = std::clamp(index, 0, static_cast<int>(iconList_.size()) - 1);
    ReplaceIcon(CopyIcon(iconList_[iconIndex_]));
  } else {
    iconIndex_ = 0;
  }
  UpdateIcon();
}

void TTrayIcon::SetWantEnterExitEvents(bool on) {
  wantEnterExit_ = on;
  if (!loading_) exitTimer_->SetEnabled(on);
}

// --- the shell -------------------------------------------------------------

void TTrayIcon::RefreshData() {
  data_.hIcon = icon_;
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  if (!hint_.empty() && showHint_)
    hint_.copy(data_.szTip, sizeof data_.szTip - 1);  // the last byte stays the terminator
}

bool TTrayIcon::Notify(DWORD message) {
  RefreshData();
  return ShellNotifyIcon(message, &data_) != FALSE;
}

bool TTrayIcon::AddIcon() {
  if (!previewing_) iconVisible_ = true;
  const bool added = Notify(NIM_ADD);
  inShell_ = inShell_ || added;
  return added;
}

bool TTrayIcon::RemoveIcon() {
  iconVisible_ = false;
  const bool removed = Notify(NIM_DELETE);
  if (removed) inShell_ = false;
  return removed;
}

bool TTrayIcon::UpdateIcon() {
  // While the owner's layout loads the icon cannot be in the notification area
  // yet (Loaded adds it): setting the icon and the tip only stores them then,
  // sparing the shell calls that would fail, each a round trip to the shell.
  if (loading_ && !inShell_) return false;
  return Notify(NIM_MODIFY);
}

// --- main window -----------------------------------------------------------

void TTrayIcon::ShowMainWindow() {
  auto* app = ui::Application::Instance();
  if (!ownerForm_ || !app || !app->MainForm()) return;
  ui::Form* main = app->MainForm();
  app->Restore();
  if (main->HandleAllocated() && IsIconic(main->Handle())) ShowWindow(main->Handle(), SW_RESTORE);
  main->Show();
  SetForegroundWindow(app->Handle());
}

void TTrayIcon::HideMainWindow() {
  auto* app = ui::Application::Instance();
  if (!ownerForm_ || !app || !app->MainForm()) return;
  app->MainForm()->Hide();
  HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
  auto* app = ui::Application::Instance();
  if (!ownerForm_ || !app) return;
  if (IsWindowVisible(app->Handle())) ShowWindow(app->Handle(), SW_HIDE);
}

void TTrayIcon::SendToTray() {
  if (!ownerForm_) return;
  HideMainWindow();
  SetIconVisible(true);
}

void TTrayIcon::OpenMenuAtCursor() {
  if (!popupMenu_ || !popupMenu_->AutoPopup()) return;
  POINT at;
  if (!GetCursorPos(&at)) return;
  // Without the foreground switch and the empty message after, the menu would
  // not close when the user clicks elsewhere.
  if (auto* app = ui::Application::Instance()) {
    SetForegroundWindow(app->Handle());
    app->ProcessMessages();
  }
  popupMenu_->SetPopupComponent(this);
  popupMenu_->Popup(at.x, at.y);
  if (ownerForm_ && ownerForm_->HandleAllocated())
    PostMessageA(ownerForm_->Handle(), WM_NULL, 0, 0);
}

// --- notifications ---------------------------------------------------------

void TTrayIcon::Click() {
  if (OnClick) OnClick(*this);
}

void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void TTrayIcon::CycleIcon(int nextIndex) {
  if (OnCycle) OnCycle(*this, nextIndex);
}

void TTrayIcon::MouseDown(ui::MouseButton button, ui::Shift shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TTrayIcon::MouseUp(ui::MouseButton button, ui::Shift shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TTrayIcon::MouseMove(ui::Shift shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(*this);
}

// --- messages --------------------------------------------------------------

void TTrayIcon::TrayMessage(LPARAM lParam) {
  const UINT message = LOWORD(lParam);
  // Balloon notices come even while the icon ignores the mouse.
  switch (message) {
    case NIN_BALLOONSHOW:
      if (OnBalloonHintShow) OnBalloonHintShow(*this);
      return;
    case NIN_BALLOONHIDE:
      if (OnBalloonHintHide) OnBalloonHintHide(*this);
      return;
    case NIN_BALLOONTIMEOUT:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(*this);
      return;
    case NIN_BALLOONUSERCLICK:
      if (OnBalloonHintClick) OnBalloonHintClick(*this);
      return;
  }
  if (!enabled_) return;
  const ui::Shift shift = KeyboardShift();
  POINT at = {0, 0};
  GetCursorPos(&at);
  using ui::MouseButton;
  switch (message) {
    case WM_MOUSEMOVE:
      if (wantEnterExit_ && mouseOutside_) {
        MouseEnter();
        mouseOutside_ = false;
      }
      MouseMove(shift, at.x, at.y);
      lastPos_ = at;
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        clickTimer_->SetInterval(GetDoubleClickTime());
        clickTimer_->Start();
      }
      MouseDown(MouseButton::Left, shift | ui::ssLeft, at.x, at.y);
      clickStarted_ = true;
      if (leftPopup_) OpenMenuAtCursor();
      break;
    case WM_LBUTTONUP:
      if (clickStarted_) clickReady_ = true;
      // With no double click to wait for, the click is complete now.
      if (clickStarted_ && !clickTimer_->Enabled()) {
        clickStarted_ = false;
        clickReady_ = false;
        Click();
      }
      clickStarted_ = false;
      MouseUp(MouseButton::Left, shift | ui::ssLeft, at.x, at.y);
      break;
    case WM_LBUTTONDBLCLK:
      clickReady_ = false;
      doubleClicked_ = true;
      DblClick();
      if (popupMenu_ && popupMenu_->AutoPopup() && !leftPopup_) {
        if (ui::MenuItem* item = popupMenu_->DefaultItem()) item->Click();
      }
      break;
    case WM_RBUTTONDOWN:
      MouseDown(MouseButton::Right, shift | ui::ssRight, at.x, at.y);
      OpenMenuAtCursor();
      break;
    case WM_RBUTTONUP:
      if (version_ == 0) MouseUp(MouseButton::Right, shift | ui::ssRight, at.x, at.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(MouseButton::Middle, shift | ui::ssMiddle, at.x, at.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(MouseButton::Middle, shift | ui::ssMiddle, at.x, at.y);
      break;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      if (version_ == 1) MouseUp(MouseButton::Right, shift | ui::ssRight, at.x, at.y);
      break;
  }
}

bool TTrayIcon::ApplicationMessage(UINT msg, WPARAM wParam, LPARAM) {
  auto* app = ui::Application::Instance();
  if (msg == WM_SIZE && wParam == SIZE_MINIMIZED && minimizeToTray_) SendToTray();
  if (msg == WM_WINDOWPOSCHANGED && startupPending_ && app && app->MainForm()) {
    // An MDI parent shows itself before Loaded can decide; ours never is one.
    if (IsMdiParent(*app->MainForm())) {
      bool showMainForm = true;
      if (OnStartup) OnStartup(*this, showMainForm);
      if (!showMainForm) HideTaskbarButton();
    }
    startupPending_ = false;
  }
  const UINT taskbarCreated = TaskbarCreatedMessage();
  if (taskbarCreated != 0 && msg == taskbarCreated && iconVisible_) AddIcon();
  return false;
}

bool TTrayIcon::OwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto* app = ui::Application::Instance();
  if (msg == WM_SHOWWINDOW && wParam && lParam == 0) {
    if (app) SetForegroundWindow(app->Handle());
    SetForegroundWindow(hookedWindow_);
    return false;
  }
  const bool parentClosing =
      msg == WM_SHOWWINDOW && !wParam && lParam == SW_PARENTCLOSING && !(app && app->Terminated());
  const bool minimize = msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE;
  if ((parentClosing || minimize) && minimizeToTray_ && OnMinimizeToTray) {
    OnMinimizeToTray(*this);
    SendToTray();
    result = 1;
    return true;
  }
  return false;
}

// --- the owner hook --------------------------------------------------------

void TTrayIcon::InstallOwnerHook() {
  if (hookedWindow_ || !ownerForm_ || !ownerForm_->HandleAllocated()) return;
  // A subclass of its own for every icon: the last hooked sees a message
  // first, and each goes without disturbing the others or later hooks.
  if (SetWindowSubclass(ownerForm_->Handle(), OwnerProc, identity_,
                        reinterpret_cast<DWORD_PTR>(this)))
    hookedWindow_ = ownerForm_->Handle();
}

void TTrayIcon::RemoveOwnerHook() {
  if (!hookedWindow_) return;
  RemoveWindowSubclass(hookedWindow_, OwnerProc, identity_);
  hookedWindow_ = nullptr;
}

LRESULT CALLBACK TTrayIcon::OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR icon) {
  auto* self = reinterpret_cast<TTrayIcon*>(icon);
  if (msg == WM_NCDESTROY) {
    // The window goes first: nothing left to unhook later.
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    self->RemoveOwnerHook();
    return result;
  }
  LRESULT result = 0;
  if (self->OwnerMessage(msg, wParam, lParam, result)) return result;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// --- timers ----------------------------------------------------------------

void TTrayIcon::ClickTimerExpired() {
  clickTimer_->Stop(true);
  if (!doubleClicked_ && clickReady_) {
    clickReady_ = false;
    Click();
  }
  doubleClicked_ = false;
}

void TTrayIcon::CycleTimerExpired() {
  if (iconList_.empty()) return;
  const int count = static_cast<int>(iconList_.size());
  iconIndex_ = std::clamp(iconIndex_, 0, count - 1);
  ReplaceIcon(CopyIcon(iconList_[iconIndex_]));
  UpdateIcon();
  const int next = iconIndex_ + 1 < count ? iconIndex_ + 1 : 0;
  CycleIcon(next);
  SetIconIndex(next);
}

void TTrayIcon::ExitTimerExpired() {
  if (mouseOutside_) return;
  POINT at;
  if (!GetCursorPos(&at)) return;
  if (at.x != lastPos_.x || at.y != lastPos_.y) {
    mouseOutside_ = true;
    MouseExit();
  }
}

}  // namespace velotune
