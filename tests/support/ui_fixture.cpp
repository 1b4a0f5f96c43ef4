#include "support/ui_fixture.h"

#include <vector>

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

void SaveScreenshot(const ui::Surface& surface, const std::string& name) {
  const std::string folder = std::string(VELOTUNE_BUILD_DIR) + "/screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "/" + name + ".bmp";
  const int w = surface.width(), h = surface.height();
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = -h;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const DWORD bytes = static_cast<DWORD>(w) * h * 4;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + bytes;
  GdiFlush();
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(out, &file, sizeof file, &written, nullptr);
  WriteFile(out, &info, sizeof info, &written, nullptr);
  // Opaque pixels: viewers read the fourth byte as alpha.
  std::vector<uint32_t> pixels(surface.bits(), surface.bits() + static_cast<size_t>(w) * h);
  for (auto& p : pixels) p |= 0xFF000000u;
  WriteFile(out, pixels.data(), bytes, &written, nullptr);
  CloseHandle(out);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace velotune::test
