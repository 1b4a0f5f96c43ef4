#include <windows.h>

#include "app/app_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return velotune::AppMain(instance, showCommand);
}
