#pragma once
// What a run needs: a report that records instead of painting, a registry
// sandbox and recorded pauses. Each pause notes what the percentage and
// detail lines said then.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "platform/run_report.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"

namespace velotune::test {

// The progress window's part in a run, without the window.
class RecordingReport : public RunReport {
 public:
  void SetTitle(const std::string& text) override { title = text; }
  void SetDetail(const std::string& text) override { detail = text; }
  void ShowDetail(const std::string& text) override {
    detail = text;
    shownDetails.push_back(text);
  }
  void ShowStatus(const std::string& text) override { status = text; }
  int Progress() const override { return progress; }
  void SetProgress(int value) override {
    progress = std::clamp(value, 0, 100);
    progressSet.push_back(progress);
  }

  std::string title, detail, status;
  int progress = 0;
  std::vector<std::string> shownDetails;
  std::vector<int> progressSet;
};

class RunTest : public RegistryTest {
 protected:
  void SetUp() override {
    seam.onPause = [this](DWORD) {
      percentages.push_back(report.status);
      details.push_back(report.detail);
    };
  }

  // The percentage texts for a list of progress values.
  static std::vector<std::string> Texts(const std::vector<int>& values) {
    std::vector<std::string> texts;
    for (int v : values) texts.push_back(PercentageText(v));
    return texts;
  }
  // The closing sequence's texts as seen at its three pauses.
  static std::vector<std::string> Closing(const char* interim) {
    return {PercentageText(100), interim, kCompletedText};
  }
  int TotalPause() const { return std::accumulate(seam.pauses.begin(), seam.pauses.end(), 0); }

  SeamRecorder seam;
  RecordingReport report;
  std::vector<std::string> percentages;  // at each pause
  std::vector<std::string> details;
};

}  // namespace velotune::test
