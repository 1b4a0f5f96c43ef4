#pragma once
#include "platform/run_report.h"

namespace velotune {

// Writes profile n step by step with the progress shown.
void ApplyConnectionProfile(int profile, RunReport& report);

}  // namespace velotune
