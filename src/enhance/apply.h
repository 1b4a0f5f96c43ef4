#pragma once
#include <array>

#include "progress/gauge.h"
#include "ui/controls.h"

namespace velotune {

// Ticks of EN_BOX1 to EN_BOX11.
using EnhancementTicks = std::array<bool, 11>;

// Writes every row's value for its tick, with the progress shown; gives how
// many opens and writes the registry refused.
int ApplyEnhancements(TGauge& gauge, ui::Label& percentage, ui::Label& detail,
                      const EnhancementTicks& ticks);

}  // namespace velotune
