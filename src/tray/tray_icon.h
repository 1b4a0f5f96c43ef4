#pragma once
// The notification-area icon: shell messages become events, the right button
// opens the menu, a left double click runs its default item, and the icon comes
// back when the shell's task bar restarts.
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tray/interval_timer.h"
#include "ui/control.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/message_window.h"

namespace velotune {

class TTrayIcon;

using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
using TMouseEvent =
    std::function<void(TTrayIcon& sender, ui::MouseButton button, ui::Shift shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TTrayIcon& sender, ui::Shift shift, int x, int y)>;
using TCycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;
using TStartupEvent = std::function<void(TTrayIcon& sender, bool& showMainForm)>;

// The images the icon cycles through; the caller keeps them alive.
using TImageList = std::vector<HICON>;

// The message the shell sends for the icon's mouse actions.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x400;

// The version-2 notification record: up to the balloon fields, without the GUID.
inline constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAA_V2_SIZE;

// The comctl32.dll file version as major * 65536 + minor, or -1 if it cannot be read.
long ComCtl32FileVersion();
// Registers "TaskbarCreated" when the common controls are 4.71 or newer; otherwise
// the icon is not put back after a task bar restart. Answers the number or 0.
UINT RegisterTaskbarCreatedMessage(long (*versionSource)() = ComCtl32FileVersion);
// The registered number, or 0. Registers on first use.
UINT TaskbarCreatedMessage();

class TTrayIcon : public ui::Component {
 public:
  using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
  // Every shell call goes through this; tests may record the calls.
  static inline NotifyIconFunction ShellNotifyIcon = Shell_NotifyIconA;

  // `owner` is the form the icon belongs to (may be null); its window is hooked
  // as soon as it exists. An icon made before its owner's window is part of the
  // owner's layout: until Loaded, IconVisible, CycleIcons and WantEnterExitEvents
  // are only stored.
  explicit TTrayIcon(ui::Form* owner, std::string name = "TrayIcon");
  ~TTrayIcon() override;
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  void Loaded() override;

  ui::Form* OwnerForm() const { return ownerForm_; }
  bool Loading() const { return loading_; }
  // The icon's number in the shell, unique among the icons of the process.
  UINT Identity() const { return identity_; }
  const NOTIFYICONDATAA& NotifyData() const { return data_; }

  // Properties.
  bool DesignPreview() const { return designPreview_; }
  void SetDesignPreview(bool on) { designPreview_ = on; }
  const TImageList& IconList() const { return iconList_; }
  // An empty list stands for no image list.
  void SetIconList(TImageList list);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool on);
  UINT CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(UINT ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool on);
  // Our own copy of the icon, or null.
  HICON Icon() const { return icon_; }
  // Copies `icon` (null clears it).
  void SetIcon(HICON icon);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool on);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  ui::PopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(ui::PopupMenu* menu) { popupMenu_ = menu; }
  bool LeftPopup() const { return leftPopup_; }
  void SetLeftPopup(bool on) { leftPopup_ = on; }
  bool WantEnterExitEvents() const { return wantEnterExit_; }
  void SetWantEnterExitEvents(bool on);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool on) { minimizeToTray_ = on; }
  // 0: classic shell behaviour; 1: the newer one. Applied by Loaded.
  int BehaviourVersion() const { return version_; }
  void SetBehaviourVersion(int version) { version_ = version == 1 ? 1 : 0; }
  // When on and the main window is to be shown, Loaded leaves its calls to the
  // shell until the window has been shown and painted: each is a round trip
  // to the shell, and the window is what the user waits for.
  bool DeferShellUntilShown() const { return deferShell_; }
  void SetDeferShellUntilShown(bool on) { deferShell_ = on; }

  // Events.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintShow;
  TNotifyEvent OnBalloonHintHide;
  TNotifyEvent OnBalloonHintTimeout;
  TNotifyEvent OnBalloonHintClick;
  TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  // Only a form designer shows a stock icon.
  virtual bool UseDefaultIcon() { return true; }
  // The shell's answers.
  virtual bool AddIcon();
  virtual bool RemoveIcon();
  virtual bool UpdateIcon();

  void ShowMainWindow();
  void HideMainWindow();
  void HideTaskbarButton();
  // Hides the main window and its task bar button, keeping the icon.
  virtual void SendToTray();
  void OpenMenuAtCursor();

  const TIntervalTimer& CycleTimer() const { return *cycleTimer_; }
  const TIntervalTimer& ClickTimer() const { return *clickTimer_; }
  const TIntervalTimer& ExitTimer() const { return *exitTimer_; }
  bool StartupCheckPending() const { return startupPending_; }

 protected:
  // Each raises the event of the same name if it is assigned.
  virtual void Click();
  virtual void DblClick();
  virtual void CycleIcon(int nextIndex);
  virtual void MouseDown(ui::MouseButton button, ui::Shift shift, int x, int y);
  virtual void MouseUp(ui::MouseButton button, ui::Shift shift, int x, int y);
  virtual void MouseMove(ui::Shift shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseExit();

 private:
  static UINT NewIdentity();
  bool Notify(DWORD message);
  // Loaded's update, then the add or the remove.
  void ShowOrRemoveInShell();
  void RefreshData();
  void ReplaceIcon(HICON icon);
  void TrayMessage(LPARAM message);
  bool ApplicationMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Answers true with `result` when the message stops here.
  bool OwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void InstallOwnerHook();
  void RemoveOwnerHook();
  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR icon);
  void ClickTimerExpired();
  void CycleTimerExpired();
  void ExitTimerExpired();

  ui::Form* ownerForm_;
  bool loading_;
  bool inShell_ = false;  // an add succeeded and no remove since
  UINT identity_;
  // The shell's messages for this icon, on the shared message window.
  ui::MessageWindow::Claim claim_;
  NOTIFYICONDATAA data_ = {};
  int version_ = 0;

  bool designPreview_ = false;
  TImageList iconList_;
  bool cycleIcons_ = false;
  UINT cycleInterval_ = 0;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = true;
  HICON icon_ = nullptr;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  ui::PopupMenu* popupMenu_ = nullptr;
  bool leftPopup_ = false;
  bool wantEnterExit_ = false;
  bool minimizeToTray_ = false;
  bool deferShell_ = false;
  // Cleared by the destructor, so that a deferred introduction outliving the icon does nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  bool clickStarted_ = false;
  bool clickReady_ = false;
  bool doubleClicked_ = false;
  bool mouseOutside_ = true;
  bool startupPending_ = true;
  bool previewing_ = false;
  POINT lastPos_ = {0, 0};

  std::unique_ptr<TIntervalTimer> cycleTimer_;
  std::unique_ptr<TIntervalTimer> clickTimer_;
  std::unique_ptr<TIntervalTimer> exitTimer_;

  int appHookId_ = 0;
  HWND hookedWindow_ = nullptr;
};

}  // namespace velotune
