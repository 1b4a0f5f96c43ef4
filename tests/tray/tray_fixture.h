#pragma once
// Shared helpers of the tray tests: a record of the shell calls, the icon's
// callback messages sent to the real message window, and a menu that notes its
// popups and closes itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "tray/tray_icon.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/menu.h"

namespace velotune::test {

struct ShellCall {
  DWORD message;
  NOTIFYICONDATAA data;
  BOOL result;
};

// Records every Shell_NotifyIconA call of the icons and passes it on to the real shell.
class ShellLog {
 public:
  ShellLog() : previous_(TTrayIcon::ShellNotifyIcon) {
    Calls().clear();
    TTrayIcon::ShellNotifyIcon = Record;
  }
  ~ShellLog() { TTrayIcon::ShellNotifyIcon = previous_; }
  ShellLog(const ShellLog&) = delete;
  ShellLog& operator=(const ShellLog&) = delete;

  static std::vector<ShellCall>& Calls() {
    static std::vector<ShellCall> calls;
    return calls;
  }
  void Clear() { Calls().clear(); }
  std::vector<ShellCall> Of(DWORD message) const {
    std::vector<ShellCall> found;
    for (const auto& c : Calls())
      if (c.message == message) found.push_back(c);
    return found;
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const auto& c : Calls()) messages.push_back(c.message);
    return messages;
  }

 private:
  static BOOL WINAPI Record(DWORD message, PNOTIFYICONDATAA data) {
    const BOOL result = Shell_NotifyIconA(message, data);
    Calls().push_back({message, *data, result});
    return result;
  }
  TTrayIcon::NotifyIconFunction previous_;
};

// Asks the real shell whether it holds an icon of that window and number.
inline bool IconInShell(HWND hwnd, UINT id) {
  NOTIFYICONDATAA d = {};
  d.cbSize = kNotifyIconDataSize;
  d.hWnd = hwnd;
  d.uID = id;
  return Shell_NotifyIconA(NIM_MODIFY, &d) != FALSE;
}
inline bool IconInShell(const TTrayIcon& icon) {
  return IconInShell(icon.NotifyData().hWnd, icon.Identity());
}

// Takes an icon out of the shell behind its back, as a task bar restart does.
inline void DropFromShell(const TTrayIcon& icon) {
  NOTIFYICONDATAA d = {};
  d.cbSize = kNotifyIconDataSize;
  d.hWnd = icon.NotifyData().hWnd;
  d.uID = icon.Identity();
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &d));
}

// The shell's callback message for `icon`, sent to the shared message window.
inline LRESULT SendTray(const TTrayIcon& icon, LPARAM mouseMessage) {
  return SendMessageA(icon.NotifyData().hWnd, WM_TRAYNOTIFY, icon.Identity(), mouseMessage);
}

// Handles messages for `ms` milliseconds, or until `done` answers true.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    Pump();
    if (done && done()) return true;
    if (GetTickCount() - start >= ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}
inline void PumpFor(DWORD ms) { PumpUntil(nullptr, ms); }

// The tip bytes as a string, up to the first NUL.
inline std::string TipOf(const NOTIFYICONDATAA& d) {
  return std::string(d.szTip, strnlen(d.szTip, sizeof d.szTip));
}
inline bool TipAllZero(const NOTIFYICONDATAA& d) {
  for (char c : d.szTip)
    if (c != 0) return false;
  return true;
}

// A popup menu that notes each popup and, once its tracking has begun, sees
// whether a menu window is on screen and closes it.
class RecordingMenu : public ui::PopupMenu {
 public:
  using ui::PopupMenu::PopupMenu;
  int popups = 0;
  void* popupComponent = nullptr;
  bool sawMenuWindow = false;
  RECT menuRect = {};

 protected:
  void BeforePopup() override {
    ++popups;
    popupComponent = PopupComponent();
    open_ = this;
    SetTimer(TestApplication().Handle(), kCloseTimer, 150, CloseMenu);
  }

 private:
  static constexpr UINT_PTR kCloseTimer = 0x7A11;
  static inline RecordingMenu* open_ = nullptr;
  static void CALLBACK CloseMenu(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    HWND menu = FindWindowA("#32768", nullptr);
    if (open_ && menu && IsWindowVisible(menu)) {
      open_->sawMenuWindow = true;
      GetWindowRect(menu, &open_->menuRect);
    }
    open_ = nullptr;
    EndMenu();
  }
};

// The tray icon's 16 x 16 picture, as the program's resources carry it.
inline HICON LoadTrayIconResource() {
  return static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), "TRAYICON", IMAGE_ICON, 16, 16, 0));
}

// A 16 x 16 icon of one colour.
inline HICON SolidIcon(COLORREF color) {
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colour);
  HBRUSH brush = CreateSolidBrush(color);
  RECT r = {0, 0, 16, 16};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  const BYTE zeros[16 * 16 / 8] = {};
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, zeros);  // all opaque
  ICONINFO info = {TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

// The colour at (x, y) of an icon drawn on white.
inline COLORREF IconPixel(HICON icon, int x, int y) {
  ui::Surface surface(16, 16);
  RECT r = {0, 0, 16, 16};
  FillRect(surface.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(surface.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  return surface.PixelRgb(x, y);
}

// Every event of an icon as a line of text.
struct EventLog {
  std::vector<std::string> events;

  static std::string Mouse(const char* what, ui::MouseButton b, ui::Shift s, int x, int y) {
    const char* names[] = {"Left", "Right", "Middle"};
    return std::string(what) + " " + names[static_cast<int>(b)] + " " + std::to_string(s) + " " +
           std::to_string(x) + "," + std::to_string(y);
  }
  // All events; the double click only with `withDblClick`, since assigning it
  // makes a left press wait for the click timer.
  void Attach(TTrayIcon& icon, bool withDblClick) {
    auto note = [this](const char* what) {
      return [this, what](TTrayIcon&) { events.push_back(what); };
    };
    icon.OnClick = note("Click");
    if (withDblClick) icon.OnDblClick = note("DblClick");
    icon.OnMouseDown = [this](TTrayIcon&, ui::MouseButton b, ui::Shift s, int x, int y) {
      events.push_back(Mouse("MouseDown", b, s, x, y));
    };
    icon.OnMouseUp = [this](TTrayIcon&, ui::MouseButton b, ui::Shift s, int x, int y) {
      events.push_back(Mouse("MouseUp", b, s, x, y));
    };
    icon.OnMouseMove = [this](TTrayIcon&, ui::Shift s, int x, int y) {
      events.push_back("MouseMove " + std::to_string(s) + " " + std::to_string(x) + "," +
                       std::to_string(y));
    };
    icon.OnMouseEnter = note("MouseEnter");
    icon.OnMouseExit = note("MouseExit");
    icon.OnCycle = [this](TTrayIcon&, int next) {
      events.push_back("Cycle " + std::to_string(next));
    };
    icon.OnBalloonHintShow = note("BalloonShow");
    icon.OnBalloonHintHide = note("BalloonHide");
    icon.OnBalloonHintTimeout = note("BalloonTimeout");
    icon.OnBalloonHintClick = note("BalloonClick");
    icon.OnMinimizeToTray = note("MinimizeToTray");
  }
};

// Wine's own notification area, a window of the shell's process.
inline constexpr const char* kWineTrayClass = "__winex11_standalone_tray";

// Whether the shell's tray window shows `icon`: every opaque pixel of it, at one place.
inline bool TrayShows(HICON icon) {
  HWND tray = FindWindowA(kWineTrayClass, nullptr);
  if (!tray || !IsWindowVisible(tray) || !icon) return false;
  auto shot = CaptureClient(tray);
  ui::Surface white(16, 16), black(16, 16);
  RECT r = {0, 0, 16, 16};
  FillRect(white.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FillRect(black.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawIconEx(white.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  DrawIconEx(black.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  struct Opaque {
    int x, y;
    uint32_t colour;
  };
  std::vector<Opaque> opaque;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (white.Pixel(x, y) == black.Pixel(x, y)) opaque.push_back({x, y, white.Pixel(x, y)});
  if (opaque.empty()) return false;
  for (int oy = 0; oy + 16 <= shot->height(); ++oy)
    for (int ox = 0; ox + 16 <= shot->width(); ++ox) {
      bool all = true;
      for (const Opaque& p : opaque)
        if (shot->Pixel(ox + p.x, oy + p.y) != p.colour) {
          all = false;
          break;
        }
      if (all) return true;
    }
  return false;
}

// Where the tests put the cursor: clear of Wine's tray window in the top-left corner.
inline constexpr POINT kCursor = {300, 300};

// The main window with TrayIcon1 and PopupMenu1, configured as the program does.
struct ProgramTray {
  std::unique_ptr<RecordingMenu> menu = std::make_unique<RecordingMenu>("PopupMenu1");
  std::unique_ptr<ui::Form> form = std::make_unique<ui::Form>("Form1");
  TTrayIcon* tray = nullptr;
  std::vector<std::string> ran;  // menu items whose click ran
  int startups = 0;
  bool startShown = true;
  bool iconInShellAtCreate = false;

  ProgramTray() {
    form->SetBounds(420, 320, 200, 150);
    auto run = [this](ui::MenuItem& item) { ran.push_back(item.Name()); };
    auto& items = menu->Items();
    items
        .Add("OpenNetwork", "&Open Velotune",
             [this](ui::MenuItem& item) {
               ran.push_back(item.Name());
               if (!form->IsVisible()) tray->ShowMainWindow();
             })
        .SetDefault(true);
    items.Add("MenuItem1", "-");
    auto& profiles = items.Add("NetworkOptimizations1", "Network Optimizations");
    profiles.Add("InternetDialup1", "Internet Dialup", run);
    profiles.Add("ADSLDSLCableModem1", "ADSL, DSL, Cable Modem", run);
    profiles.Add("HomeOfficeLAN1", "Home, Office LAN", run);
    profiles.Add("jjj", "T1, Satellite or Corporate LAN", run);
    items.Add("EraseTracks1", "Erase Tracks", run);
    items.Add("N3", "-");
    auto& jumps = items.Add("QuickJump1", "&Quick Jump");
    jumps.Add("Jump1", "&1. Network Optimizations", run);
    jumps.Add("Jump2", "&2. Tracks Eraser", run);
    jumps.Add("Jump3", "&3. Enhancements", run);
    jumps.Add("Jump4", "&4. About", run);
    items.Add("N4", "-");
    items.Add("HelpContents1", "&Help Contents", run).SetShortcutText("F1");
    items.Add("N1", "-");
    items.Add("Exit1", "E&xit", run);

    tray = &static_cast<TTrayIcon&>(
        form->AddComponent(std::make_unique<TTrayIcon>(form.get(), "TrayIcon1")));
    HICON picture = LoadTrayIconResource();
    tray->SetIcon(picture);
    DestroyIcon(picture);
    tray->SetHint("Velotune");
    tray->SetIconVisible(true);
    tray->SetPopupMenu(menu.get());
    tray->SetMinimizeToTray(true);
    tray->OnStartup = [this](TTrayIcon&, bool& show) {
      ++startups;
      if (!startShown) show = false;
    };
    form->OnCreate = [this](ui::Control&) { iconInShellAtCreate = IconInShell(*tray); };
  }

  // Creates the window; shows it as the message loop would, unless switched off.
  void Start() {
    form->CreateForm();
    if (TestApplication().ShowMainForm()) {
      form->Show();
      SetForegroundWindow(form->Handle());
      Pump();
    }
  }
};

// Each test starts with no icon, no main window and the cursor in a known place,
// and leaves the application as it found it.
class TrayTest : public testing::Test {
 protected:
  void SetUp() override {
    app = &TestApplication();
    ASSERT_EQ(ui::MessageWindow::Instance(), nullptr)
        << "an icon or a timer of an earlier test is alive";
    ASSERT_EQ(app->MainForm(), nullptr);
    SetCursorPos(kCursor.x, kCursor.y);
    Pump();
  }
  void TearDown() override {
    app->SetShowMainForm(true);
    app->Restore();
    ShowWindow(app->Handle(), SW_HIDE);
    Pump();
  }
  bool AppWindowVisible() const { return IsWindowVisible(app->Handle()) != FALSE; }

  ui::Application* app = nullptr;
  ShellLog shell;
};

}  // namespace velotune::test
