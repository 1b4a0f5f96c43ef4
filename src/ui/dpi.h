#pragma once
// Screen DPI. The layouts are written for 96 DPI and scaled from there. The
// per-monitor calls exist from Windows 10 on; older systems get the screen's
// DPI instead.
#include <windows.h>

namespace velotune::ui {

inline constexpr int kDesignDpi = 96;

// WM_DPICHANGED, which the Windows 7 headers do not name.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// A length of the 96-DPI layout at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }
// A length at `from` DPI moved to `to` DPI through the 96-DPI layout, so that
// scaling up and back down again gives back the length it started from.
inline int RescaleDpi(int value, int to, int from) {
  return from == to ? value : ScaleToDpi(MulDiv(value, kDesignDpi, from), to);
}

// The DPI new top-level windows start with: the system's.
int SystemDpi();
// The DPI the window is shown at; the system's where Windows cannot tell.
int WindowDpi(HWND window);
// The width and height of a small icon (the notification area's) at `dpi`.
int SmallIconSize(int dpi);

}  // namespace velotune::ui
