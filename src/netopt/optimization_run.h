#pragma once
#include "progress/gauge.h"
#include "ui/controls.h"

namespace velotune {

// Writes profile n step by step with the progress shown; gives how many opens
// and writes the registry refused.
int ApplyConnectionProfile(int profile, TGauge& gauge, ui::Label& percentage);

}  // namespace velotune
