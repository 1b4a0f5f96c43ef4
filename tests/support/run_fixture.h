#pragma once
// A shown progress window, a registry sandbox and recorded pauses: what a run
// needs. Each pause notes what the percentage and detail labels said then.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "progress/prg_wnd.h"
#include "progress/progress_report.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"
#include "support/ui_fixture.h"

namespace velotune::test {

class RunTest : public RegistryTest {
 protected:
  void SetUp() override {
    TestApplication();
    window = std::make_unique<TPrgWnd>();
    ShowProgressWindow(*window);
    seam.onPause = [this](DWORD) {
      percentages.push_back(window->Label3().Text());
      details.push_back(window->Label2().Text());
    };
  }
  void TearDown() override {
    window.reset();
    RegistryTest::TearDown();
  }

  TGauge& Gauge() { return window->Gauge1(); }
  ui::Label& Percentage() { return window->Label3(); }
  ui::Label& Detail() { return window->Label2(); }

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
  std::unique_ptr<TPrgWnd> window;
  std::vector<std::string> percentages;  // at each pause
  std::vector<std::string> details;
};

}  // namespace velotune::test
