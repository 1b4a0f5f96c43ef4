#include "enhance/apply.h"

#include "enhance/catalogue.h"
#include "progress/progress_report.h"

namespace velotune {

int ApplyEnhancements(TGauge& gauge, ui::Label& percentage, ui::Label& detail,
                      const EnhancementTicks& ticks) {
  SeedRunPauses();
  // Read afresh every run: the user may have switched identities.
  const std::string identity = ReadIdentity();
  const int step = 100 / static_cast<int>(kEnhancements.size());
  int refused = 0;
  for (size_t i = 0; i < kEnhancements.size(); ++i) {
    ShowPercentage(gauge, percentage);
    RandomPause();
    SetLabelText(detail, kEnhancements[i].detail);
    UpdateLabel(detail);
    refused += WriteEnhancement(kEnhancements[i], identity, ticks[i]);
    AdvanceGauge(gauge, step);
  }
  ShowPercentage(gauge, percentage);
  RandomPause();
  ClosingSequence(gauge, percentage, kFinishingText);
  return refused;
}

}  // namespace velotune
