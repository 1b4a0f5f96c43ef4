#pragma once
// How a run reports: a title, a detail line, a gauge and a percentage line,
// and the pacing every run shares. The progress window implements it; a test
// can record it instead. Runs pump no messages, so whatever must be seen is
// painted by these calls, and every pause goes through the system seam.
#include <string>

#include "platform/system_seam.h"

namespace velotune {

inline constexpr const char* kApplyingText = "Applying...";
inline constexpr const char* kFinishingText = "Finishing...";
inline constexpr const char* kCompletedText = "Completed.";

class RunReport {
 public:
  virtual ~RunReport() = default;

  // Marked only: a new title or detail shows with the next painted line.
  virtual void SetTitle(const std::string& text) = 0;
  virtual void SetDetail(const std::string& text) = 0;
  // Written and painted at once.
  virtual void ShowDetail(const std::string& text) = 0;
  virtual void ShowStatus(const std::string& text) = 0;  // the percentage line

  virtual int Progress() const = 0;
  // Kept within 0..100; the gauge shows a new whole percentage at once.
  virtual void SetProgress(int progress) = 0;
};

// "Completed: 40%"
inline std::string PercentageText(int progress) {
  return "Completed: " + std::to_string(progress) + "%";
}

inline void ShowPercentage(RunReport& report) {
  report.ShowStatus(PercentageText(report.Progress()));
}

inline void AdvanceGauge(RunReport& report, int by) { report.SetProgress(report.Progress() + by); }

// Reseeds the random pauses; once at the start of every run.
inline void SeedRunPauses() { Sys().SeedRandom(); }

// 0 to 299 ms, once per step.
inline void RandomPause() { Sys().Sleep(static_cast<DWORD>(Sys().RandomBelow(300))); }

// The end of every run: 100 %, then the interim text (kApplyingText or
// kFinishingText), then kCompletedText, each painted and held for a moment.
inline void ClosingSequence(RunReport& report, const std::string& interimText) {
  report.SetProgress(100);
  ShowPercentage(report);
  Sys().Sleep(300);
  report.ShowStatus(interimText);
  Sys().Sleep(200);
  report.ShowStatus(kCompletedText);
  Sys().Sleep(100);
}

}  // namespace velotune
