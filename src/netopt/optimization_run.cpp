#include "netopt/optimization_run.h"

#include "netopt/profiles.h"

namespace velotune {

void ApplyConnectionProfile(int profile, RunReport& report) {
  SeedRunPauses();
  const ConnectionProfile& p = LookupProfile(profile);
  ProfileWriter writer;
  for (size_t i = 0; i < p.steps.size(); ++i) {
    RandomPause();
    ShowPercentage(report);
    writer.PerformRecorded(p.steps[i]);
    // The last step leaves the gauge for the closing sequence.
    if (i + 1 < p.steps.size()) AdvanceGauge(report, p.gaugeIncrement);
  }
  ClosingSequence(report, kApplyingText);
}

}  // namespace velotune
