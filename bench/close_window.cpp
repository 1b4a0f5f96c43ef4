// Ends a benchmarked program the way its user would: posts WM_CLOSE to its
// top-level window with the given title and waits for the process to end.
// Exit code 0 when it ended, 1 when it did not within 10 s, 2 when there is
// no such window.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HWND hwnd = FindWindowA(nullptr, argv[1]);
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
