#include "support/ui_fixture.h"

namespace velotune::test {

ui::Application& TestApplication() {
  static ui::Application* app = new ui::Application(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
  return *app;
}

std::unique_ptr<ui::Surface> CaptureClient(HWND hwnd) {
  UpdateWindow(hwnd);
  RECT r;
  GetClientRect(hwnd, &r);
  auto surface = std::make_unique<ui::Surface>(r.right, r.bottom);
  HDC dc = GetDC(hwnd);
  BitBlt(surface->dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, dc);
  return surface;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace velotune::test
