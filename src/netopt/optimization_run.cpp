#include "netopt/optimization_run.h"

#include "netopt/profiles.h"
#include "progress/progress_report.h"

namespace velotune {

int ApplyConnectionProfile(int profile, TGauge& gauge, ui::Label& percentage) {
  SeedRunPauses();
  const ConnectionProfile& p = LookupProfile(profile);
  ProfileWriter writer;
  int refused = 0;
  for (size_t i = 0; i < p.steps.size(); ++i) {
    RandomPause();
    ShowPercentage(gauge, percentage);
    if (!writer.Perform(p.steps[i])) ++refused;
    // The last step leaves the gauge for the closing sequence.
    if (i + 1 < p.steps.size()) AdvanceGauge(gauge, p.gaugeIncrement);
  }
  ClosingSequence(gauge, percentage, kApplyingText);
  return refused;
}

}  // namespace velotune
