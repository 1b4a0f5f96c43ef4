// The yardstick for start-up: a plain Win32 window of the main window's size
// and place (550 x 374, borderless, centred), white, and nothing else.
// Built with NATIVE_CONTROLS it is the floor for any program with native
// controls: it adds what the program cannot show its window without, version
// 6 of the common controls (by manifest and import) with one native radio
// button, and the registry and version libraries.
#include <windows.h>
#ifdef NATIVE_CONTROLS
#include <commctrl.h>
#endif

namespace {

#ifdef NATIVE_CONTROLS
constexpr const char* kTitle = "Native";
#else
constexpr const char* kTitle = "Minimal";
#endif

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef NATIVE_CONTROLS
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS)
    RegCloseKey(key);
  (void)GetFileVersionInfoSizeA("kernel32.dll", nullptr);
#endif
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "MinimalWindow";
  RegisterClassExA(&wc);
  const int width = 550, height = 374;
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, kTitle, WS_POPUP,
                              GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                              GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, width, height,
                              nullptr, nullptr, instance, nullptr);
#ifdef NATIVE_CONTROLS
  CreateWindowExA(0, "BUTTON", "Internet Dialup", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 191,
                  54, 290, 17, hwnd, nullptr, instance, nullptr);
#endif
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
