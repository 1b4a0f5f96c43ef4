#pragma once
// How a run reports: the only operations the three runs use on the progress
// window, so that they show the same texts with the same pacing. Runs pump no
// messages, so everything that must be seen is painted here explicitly, and
// every pause goes through the system seam.
#include <string>

#include "progress/gauge.h"
#include "progress/prg_wnd.h"
#include "ui/controls.h"

namespace velotune {

inline constexpr const char* kApplyingText = "Applying...";
inline constexpr const char* kFinishingText = "Finishing...";
inline constexpr const char* kCompletedText = "Completed.";

// Opening and end of a run.
void ShowProgressWindow(TPrgWnd& window);
void HideProgressWindow(TPrgWnd& window);

// A new text is only marked for painting; it shows at the next update of any
// label of the same panel.
void SetLabelText(ui::Label& label, const std::string& text);
// Paints every marked area of the label's panel now.
void UpdateLabel(ui::Label& label);

void SetGaugeProgress(TGauge& gauge, int progress);
// Adds to the gauge's current progress.
void AdvanceGauge(TGauge& gauge, int by);

// "Completed: 40%"
std::string PercentageText(int progress);
// The percentage text of the gauge's progress, written and painted at once.
void ShowPercentage(TGauge& gauge, ui::Label& percentage);

// Reseeds the random pauses; once at the start of every run.
void SeedRunPauses();
// 0 to 299 ms, once per step.
void RandomPause();

// The end of every run: 100 %, then the interim text (kApplyingText or
// kFinishingText), then kCompletedText, each painted and held for a moment.
void ClosingSequence(TGauge& gauge, ui::Label& percentage, const std::string& interimText);

}  // namespace velotune
