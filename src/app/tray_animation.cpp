#include "app/tray_animation.h"

#include <shellapi.h>

#include "platform/system_seam.h"

namespace velotune {

TrayPlaces TrayPlaces::System() {
  TrayPlaces p;
  p.notifyWindow = [](RECT& r) {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    HWND notify = tray ? FindWindowExA(tray, nullptr, "TrayNotifyWnd", nullptr) : nullptr;
    return notify && GetWindowRect(notify, &r);
  };
  p.appBar = [](RECT& r, UINT& edge) {
    APPBARDATA data = {};
    data.cbSize = sizeof data;
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &data)) return false;
    r = data.rc;
    edge = data.uEdge;
    return true;
  };
  p.trayWindow = [](RECT& r) {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    return tray && GetWindowRect(tray, &r);
  };
  p.workArea = [](RECT& r) { return SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0) != FALSE; };
  return p;
}

namespace {

bool SystemAnimationSetting() {
  ANIMATIONINFO info = {};
  info.cbSize = sizeof info;
  if (!SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0)) return false;
  return info.iMinAnimate != 0;
}

}  // namespace

std::function<bool()>& AnimationSetting() {
  static std::function<bool()> setting = SystemAnimationSetting;
  return setting;
}

bool AnimationsEnabled() { return AnimationSetting()(); }

RECT TrayAnimationTarget(const RECT& start, const TrayPlaces& places) {
  RECT r = start;
  RECT found;
  if (places.notifyWindow && places.notifyWindow(found)) r = found;
  UINT edge = 0;
  if (places.appBar && places.appBar(found, edge)) {
    if (edge == ABE_LEFT || edge == ABE_RIGHT)
      r = {found.left, found.bottom - 100, found.right, found.bottom - 16};
    else
      r = {found.right - 100, found.top, found.right - 16, found.bottom};
  }
  if (places.trayWindow && places.trayWindow(found)) {
    r = found;
    if (r.right - r.left > 150) r.left = r.right - 150;
    if (r.bottom - r.top > 30) r.top = r.bottom - 30;
  }
  if (places.workArea && places.workArea(found)) r = found;
  r.left = r.right - 150;
  r.top = r.bottom - 30;
  return r;
}

void AnimateToTray(HWND window) {
  if (!AnimationsEnabled()) return;
  RECT from;
  GetWindowRect(window, &from);
  const RECT to = TrayAnimationTarget(from);
  Sys().DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

void AnimateFromTray(HWND window) {
  if (!AnimationsEnabled()) return;
  RECT to;
  // A hidden window keeps the rectangle it had when it was hidden.
  GetWindowRect(window, &to);
  const RECT from = TrayAnimationTarget(to);
  Sys().DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

}  // namespace velotune
