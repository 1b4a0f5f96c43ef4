// The program as a standard Windows user starts it: its token says it is not
// elevated. Wine gives every process full rights, so only this test build can
// show the window's way to an elevated copy through the real "runas".
#include <windows.h>

#include "app/app_main.h"
#include "platform/system_seam.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  velotune::Sys().TokenIsElevated = [] { return false; };
  return velotune::AppMain(instance, showCommand);
}
