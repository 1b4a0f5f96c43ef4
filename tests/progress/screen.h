#pragma once
// Reading what a window shows at this moment. Unlike CaptureClient these force
// no paint first, so something that was only marked for painting does not show.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/gdi.h"

namespace velotune::test {

// The pixels now on screen in `area` of a window's client area.
inline std::unique_ptr<ui::Surface> ReadScreen(HWND hwnd, const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  auto surface = std::make_unique<ui::Surface>(w, h);
  HDC dc = GetDC(hwnd);
  BitBlt(surface->dc(), 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
  ReleaseDC(hwnd, dc);
  return surface;
}

// What a windowed control paints now (background and graphic children), in
// `area` of its client area, drawn off screen.
inline std::unique_ptr<ui::Surface> RenderNow(ui::WinControl& control, const RECT& area) {
  RECT client;
  GetClientRect(control.Handle(), &client);
  ui::Surface whole(client.right, client.bottom);
  control.PaintContent(whole.dc());
  const int w = area.right - area.left, h = area.bottom - area.top;
  auto surface = std::make_unique<ui::Surface>(w, h);
  BitBlt(surface->dc(), 0, 0, w, h, whole.dc(), area.left, area.top, SRCCOPY);
  return surface;
}

// Draws straight onto a window, as a mark that only a real paint covers.
inline void Daub(HWND hwnd, const RECT& area, COLORREF color) {
  HDC dc = GetDC(hwnd);
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
  ReleaseDC(hwnd, dc);
}

// How many pixels differ between two surfaces of the same size.
inline int DifferentPixels(const ui::Surface& a, const ui::Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

inline int CountColor(const ui::Surface& s, COLORREF color) {
  int n = 0;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) n += s.PixelRgb(x, y) == color;
  return n;
}

inline std::string RgbText(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

}  // namespace velotune::test
