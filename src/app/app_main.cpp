#include "app/app_main.h"

#include "platform/settings.h"

namespace velotune {

int AppMain(HINSTANCE, int) {
  OpenSettingsKey();
  return 0;
}

}  // namespace velotune
