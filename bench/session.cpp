// The benchmark's helper inside Wine.
//   session stay           waits until killed: with one program of the
//                          session running, Wine keeps its desktop and services
//                          up between the measured starts, as on a desktop
//                          where the shell always runs. Without it they end
//                          with the last program and the next start pays for
//                          starting them again.
//   session close TITLE    ends a measured program the way its user would:
//                          posts WM_CLOSE to its top-level window with that
//                          title and waits for the process to end. Exit code
//                          0 when it ended, 1 when it did not within 10 s, 2
//                          when there is no such window.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "stay") == 0) {
    Sleep(INFINITE);
    return 0;
  }
  if (argc != 3 || std::strcmp(argv[1], "close") != 0) return 2;
  HWND hwnd = FindWindowA(nullptr, argv[2]);
  if (!hwnd) return 2;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  if (!process) return 1;
  const DWORD waited = WaitForSingleObject(process, 10000);
  CloseHandle(process);
  return waited == WAIT_OBJECT_0 ? 0 : 1;
}
