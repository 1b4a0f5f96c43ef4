#pragma once
#include <array>

#include "platform/run_report.h"

namespace velotune {

// Ticks of EN_BOX1 to EN_BOX11.
using EnhancementTicks = std::array<bool, 11>;

// Writes every row's value for its tick, with the progress shown.
void ApplyEnhancements(RunReport& report, const EnhancementTicks& ticks);

// True when the registry holds, for every row, the value(s) its tick writes;
// read with read access only.
bool EnhancementsHeld(const EnhancementTicks& ticks);

}  // namespace velotune
