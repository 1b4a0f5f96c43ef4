#pragma once
// The zoom between the main window and the notification area.
#include <windows.h>

#include <functional>

namespace velotune {

// Where the notification area is, asked of the shell and the system. Each
// answer is false when that source is not available.
struct TrayPlaces {
  std::function<bool(RECT&)> notifyWindow;            // TrayNotifyWnd of Shell_TrayWnd
  std::function<bool(RECT& bar, UINT& edge)> appBar;  // ABM_GETTASKBARPOS
  std::function<bool(RECT&)> trayWindow;              // Shell_TrayWnd
  std::function<bool(RECT&)> workArea;                // SPI_GETWORKAREA
  static TrayPlaces System();
};

// Whether the system animates minimizing and restoring.
bool AnimationsEnabled();
// Where that answer comes from: the system's setting unless replaced (Wine
// always answers no, so tests put their own answer here).
std::function<bool()>& AnimationSetting();

// A 150 x 30 rectangle standing for the notification area; the last source
// that answers decides it, the work area first of all.
RECT TrayAnimationTarget(const RECT& start, const TrayPlaces& places = TrayPlaces::System());

void AnimateToTray(HWND window);
void AnimateFromTray(HWND window);

}  // namespace velotune
