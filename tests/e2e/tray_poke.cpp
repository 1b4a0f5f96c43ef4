// Drives Velotune's tray icon from outside, as the shell would.
//   tray_poke <mouse message>   posts the icon's callback message (0x800) with
//                               the icon's identity 1 to the message window,
//                               e.g. 0x204 for a right press
//   tray_poke count             prints how many message windows exist
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kHandlerClass = "VelotuneMessageWindow";

BOOL CALLBACK CountHandler(HWND window, LPARAM count) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, kHandlerClass) == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tray_poke <mouse message> | count\n");
    return 2;
  }
  if (std::strcmp(argv[1], "count") == 0) {
    int count = 0;
    EnumWindows(CountHandler, reinterpret_cast<LPARAM>(&count));
    std::printf("%d\n", count);
    return 0;
  }
  HWND handler = FindWindowA(kHandlerClass, nullptr);
  if (!handler) {
    std::fprintf(stderr, "no message window\n");
    return 1;
  }
  const LPARAM message = std::strtol(argv[1], nullptr, 0);
  return PostMessageA(handler, 0x800, 1, message) ? 0 : 1;
}
