#include "ui/dpi.h"

#include "platform/system_library.h"

namespace velotune::ui {
namespace {

// A user32 function that older Windows lack, looked up once.
template <typename F>
F User32(const char* name) {
  return ExportOf<F>(GetModuleHandleA("user32.dll"), name);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem = User32<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem)
    if (const int dpi = static_cast<int>(getDpiForSystem()); dpi > 0) return dpi;
  return ScreenDpi();
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window)
    if (const int dpi = static_cast<int>(getDpiForWindow(window)); dpi > 0) return dpi;
  return SystemDpi();
}

int SmallIconSize(int dpi) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi)
    if (const int size = forDpi(SM_CXSMICON, static_cast<UINT>(dpi)); size > 0) return size;
  // The system's size belongs to the system's DPI.
  return MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, SystemDpi());
}

}  // namespace velotune::ui
