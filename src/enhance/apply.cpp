#include "enhance/apply.h"

#include "enhance/catalogue.h"

namespace velotune {

void ApplyEnhancements(RunReport& report, const EnhancementTicks& ticks) {
  SeedRunPauses();
  // Read afresh every run: the user may have switched identities.
  const std::string identity = ReadIdentity();
  const int step = 100 / static_cast<int>(kEnhancements.size());
  for (size_t i = 0; i < kEnhancements.size(); ++i) {
    ShowPercentage(report);
    RandomPause();
    report.ShowDetail(kEnhancements[i].detail);
    WriteEnhancement(kEnhancements[i], identity, ticks[i]);
    AdvanceGauge(report, step);
  }
  ShowPercentage(report);
  RandomPause();
  ClosingSequence(report, kFinishingText);
}

bool EnhancementsHeld(const EnhancementTicks& ticks) {
  const std::string identity = PeekIdentity();
  for (size_t i = 0; i < kEnhancements.size(); ++i)
    if (!HoldsEnhancement(kEnhancements[i], identity, ticks[i])) return false;
  return true;
}

}  // namespace velotune
