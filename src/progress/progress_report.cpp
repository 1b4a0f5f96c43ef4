#include "progress/progress_report.h"

#include "platform/system_seam.h"

namespace velotune {
namespace {

constexpr int kStepPauseBelow = 300;
constexpr DWORD kFullPause = 300;
constexpr DWORD kInterimPause = 200;
constexpr DWORD kCompletedPause = 100;

void ShowLabelText(ui::Label& label, const std::string& text) {
  SetLabelText(label, text);
  UpdateLabel(label);
}

}  // namespace

void ShowProgressWindow(TPrgWnd& window) { window.ShowInFront(); }

void HideProgressWindow(TPrgWnd& window) { window.Hide(); }

void SetLabelText(ui::Label& label, const std::string& text) { label.SetText(text); }

void UpdateLabel(ui::Label& label) { label.Update(); }

void SetGaugeProgress(TGauge& gauge, int progress) { gauge.SetProgress(progress); }

void AdvanceGauge(TGauge& gauge, int by) { gauge.AddProgress(by); }

std::string PercentageText(int progress) { return "Completed: " + std::to_string(progress) + "%"; }

void ShowPercentage(TGauge& gauge, ui::Label& percentage) {
  ShowLabelText(percentage, PercentageText(gauge.Progress()));
}

void SeedRunPauses() { Sys().SeedRandom(); }

void RandomPause() { Sys().Sleep(static_cast<DWORD>(Sys().RandomBelow(kStepPauseBelow))); }

void ClosingSequence(TGauge& gauge, ui::Label& percentage, const std::string& interimText) {
  SetGaugeProgress(gauge, 100);
  ShowPercentage(gauge, percentage);
  Sys().Sleep(kFullPause);
  ShowLabelText(percentage, interimText);
  Sys().Sleep(kInterimPause);
  ShowLabelText(percentage, kCompletedText);
  Sys().Sleep(kCompletedPause);
}

}  // namespace velotune
