#include "progress/prg_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/system_seam.h"
#include "progress/screen.h"
#include "support/seam_recorder.h"
#include "support/ui_fixture.h"

namespace velotune {
namespace {

using test::DifferentPixels;
using test::ReadScreen;
using test::RenderNow;

// A shown progress window with its pauses recorded instead of waited out.
class ProgressReportTest : public testing::Test {
 protected:
  void SetUp() override {
    test::TestApplication();
    window_ = std::make_unique<TPrgWnd>();
    window_->ShowInFront();
    test::Pump();
  }

  TPrgWnd& Window() { return *window_; }
  TGauge& Gauge() { return window_->Gauge1(); }
  ui::Label& Title() { return window_->Label1(); }
  ui::Label& Detail() { return window_->Label2(); }
  ui::Label& Percentage() { return window_->Label3(); }
  HWND Panel() { return window_->PicturePanel1().Handle(); }

  // What the screen shows of a control of the panel right now.
  std::unique_ptr<ui::Surface> OnScreen(const ui::Control& c) {
    return ReadScreen(Panel(), c.BoundsRect());
  }
  // What the panel would paint there now, from the controls' current state.
  std::unique_ptr<ui::Surface> Current(const ui::Control& c) {
    return RenderNow(window_->PicturePanel1(), c.BoundsRect());
  }
  // The screen is up to date for that control.
  int Stale(const ui::Control& c) { return DifferentPixels(*OnScreen(c), *Current(c)); }

  test::SeamRecorder seam_;
  std::unique_ptr<TPrgWnd> window_;
};

TEST(PercentageTextTest, IsCompletedColonNumberPercent) {
  const struct {
    int progress;
    const char* text;
  } cases[] = {
      {0, "Completed: 0%"}, {5, "Completed: 5%"}, {40, "Completed: 40%"}, {100, "Completed: 100%"}};
  for (const auto& c : cases) EXPECT_EQ(PercentageText(c.progress), c.text);
}

TEST_F(ProgressReportTest, ShowingPaintsTheWholeWindowAtOnce) {
  Window().Hide();
  Gauge().SetProgress(70);  // while hidden
  Window().SetTitle("Erasing Tracks");
  Window().ShowInFront();
  // No message handled since: the showing itself painted.
  for (const ui::Control* c :
       {static_cast<ui::Control*>(&Title()), static_cast<ui::Control*>(&Gauge())}) {
    SCOPED_TRACE(c->Name());
    EXPECT_EQ(Stale(*c), 0);
  }
  EXPECT_EQ(GetForegroundWindow(), Window().Handle());
}

TEST_F(ProgressReportTest, ThePercentageIsWrittenFromTheGaugeAndPaintedAtOnce) {
  const auto before = OnScreen(Percentage());
  Window().SetProgress(5);
  ShowPercentage(Window());
  EXPECT_EQ(Percentage().Text(), "Completed: 5%");
  EXPECT_EQ(Stale(Percentage()), 0);
  EXPECT_GT(DifferentPixels(*before, *OnScreen(Percentage())), 0);
}

TEST_F(ProgressReportTest, ALabelTextShowsOnlyAtTheNextUpdate) {
  const auto titleBefore = OnScreen(Title());
  const auto detailBefore = OnScreen(Detail());
  Window().SetTitle("Erasing Tracks");
  Window().SetDetail("Erasing FireFox Cookie Files...");
  EXPECT_EQ(DifferentPixels(*titleBefore, *OnScreen(Title())), 0) << "marked, not yet painted";
  EXPECT_EQ(DifferentPixels(*detailBefore, *OnScreen(Detail())), 0);
  // Updating the percentage label paints every marked area of the panel.
  Window().ShowStatus("Completed: 0%");
  for (const ui::Label* label : {&Title(), &Detail(), &Percentage()}) {
    SCOPED_TRACE(label->Name());
    EXPECT_EQ(Stale(*label), 0);
  }
  EXPECT_GT(DifferentPixels(*titleBefore, *OnScreen(Title())), 0);
  EXPECT_GT(DifferentPixels(*detailBefore, *OnScreen(Detail())), 0);
}

TEST_F(ProgressReportTest, TheGaugeAdvancesOnScreenAtOnceAndStopsAtItsEnd) {
  const struct {
    int by, progress;
  } steps[] = {{6, 6}, {6, 12}, {72, 84}, {12, 96}, {12, 100}, {5, 100}};
  Window().SetProgress(0);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.progress);
    AdvanceGauge(Window(), s.by);
    EXPECT_EQ(Gauge().Progress(), s.progress);
    EXPECT_EQ(Stale(Gauge()), 0);
  }
}

TEST_F(ProgressReportTest, RandomPausesAreUnder300MsAndGoThroughTheSeam) {
  static std::vector<int> asked;
  asked.clear();
  Sys().RandomBelow = [](int n) {
    asked.push_back(n);
    return n - 1;
  };
  SeedRunPauses();
  RandomPause();
  EXPECT_EQ(seam_.seeds, 1);
  EXPECT_EQ(asked, std::vector<int>{300});
  EXPECT_EQ(seam_.pauses, std::vector<DWORD>{299});
  Sys().RandomBelow = [](int) { return 0; };
  RandomPause();
  EXPECT_EQ(seam_.pauses, (std::vector<DWORD>{299, 0}));
}

TEST_F(ProgressReportTest, ClosingSequenceShowsEachTextOnScreenForItsPause) {
  for (const char* interim : {kApplyingText, kFinishingText}) {
    SCOPED_TRACE(interim);
    seam_.pauses.clear();
    Window().SetProgress(40);
    ShowPercentage(Window());
    struct Moment {
      std::string text;
      std::unique_ptr<ui::Surface> label;
      int labelStale;
      int gaugeStale;
      int progress;
    };
    std::vector<Moment> moments;
    moments.push_back({Percentage().Text(), OnScreen(Percentage()), 0, 0, Gauge().Progress()});
    seam_.onPause = [&](DWORD) {
      moments.push_back({Percentage().Text(), OnScreen(Percentage()), Stale(Percentage()),
                         Stale(Gauge()), Gauge().Progress()});
    };
    ClosingSequence(Window(), interim);
    seam_.onPause = nullptr;

    EXPECT_EQ(seam_.pauses, (std::vector<DWORD>{300, 200, 100}));
    ASSERT_EQ(moments.size(), 4u);
    const std::string texts[] = {"Completed: 40%", "Completed: 100%", interim, "Completed."};
    for (size_t i = 1; i < moments.size(); ++i) {
      SCOPED_TRACE("pause " + std::to_string(i));
      EXPECT_EQ(moments[i].text, texts[i]);
      EXPECT_EQ(moments[i].labelStale, 0) << "the text is not on screen yet";
      EXPECT_GT(DifferentPixels(*moments[i - 1].label, *moments[i].label), 0);
      EXPECT_EQ(moments[i].gaugeStale, 0);
      EXPECT_EQ(moments[i].progress, 100);
    }
    EXPECT_EQ(Percentage().Text(), kCompletedText);
  }
}

TEST_F(ProgressReportTest, TheNextRunShowsCompletedUntilItsFirstPercentage) {
  ClosingSequence(Window(), kFinishingText);
  Window().Hide();
  Window().SetProgress(0);
  Window().ShowInFront();
  EXPECT_EQ(Percentage().Text(), "Completed.");
  EXPECT_EQ(Stale(Percentage()), 0);
  EXPECT_EQ(Stale(Gauge()), 0);
  EXPECT_EQ(Gauge().Progress(), 0);
}

// The title set before the window shows is painted with it; set after, it
// waits for the run's first painted line, as the profile run has it.
TEST_F(ProgressReportTest, RunInProgressWindowOpensInEitherOrderAndHidesAfter) {
  for (TitleFirst order : {TitleFirst::Before, TitleFirst::After}) {
    SCOPED_TRACE(order == TitleFirst::Before ? "before" : "after");
    Window().Hide();
    Window().SetTitle("Previous");
    Window().ShowInFront();
    Window().Hide();
    Window().SetProgress(60);
    int titleStale = -1, progress = -1;
    bool visible = false;
    RunInProgressWindow(Window(), "Erasing Tracks", order, [&](RunReport& report) {
      titleStale = Stale(Title());
      progress = report.Progress();
      visible = IsWindowVisible(Window().Handle()) != 0;
      ShowPercentage(report);
      EXPECT_EQ(Stale(Title()), 0) << "a painted line paints the marked title too";
    });
    EXPECT_EQ(progress, 0);
    EXPECT_TRUE(visible);
    EXPECT_EQ(Title().Text(), "Erasing Tracks");
    if (order == TitleFirst::Before)
      EXPECT_EQ(titleStale, 0);
    else
      EXPECT_GT(titleStale, 0);
    EXPECT_FALSE(IsWindowVisible(Window().Handle()));
  }
}

// A run's steps in the order of the eraser: percentage, pause, work, advance.
TEST_F(ProgressReportTest, ScreenshotOfARunAt40Percent) {
  std::unique_ptr<ui::Surface> shot;
  seam_.onPause = [&](DWORD) {
    if (!shot && Percentage().Text() == "Completed: 40%")
      shot = test::CaptureClient(Window().Handle());
  };
  Window().SetProgress(0);
  Window().SetTitle("Network Optimization");
  Window().ShowInFront();
  SeedRunPauses();
  Window().SetDetail("ADSL, DSL, Cable Modem");
  for (int step = 0; step < 18; ++step) {
    ShowPercentage(Window());
    RandomPause();
    AdvanceGauge(Window(), 5);
  }
  ClosingSequence(Window(), kApplyingText);
  ASSERT_TRUE(shot);
  test::SaveScreenshot(*shot, "progress_window");
  // The gauge at 40 %: its bar ends at column 119 of the gauge, 7 + 119 in the window.
  for (int x = 8; x < 7 + 298; ++x)
    ASSERT_EQ(shot->PixelRgb(x, 65), x < 7 + 119 ? RGB(0, 128, 192) : RGB(236, 249, 255)) << x;
  // The detail text is there in the window text colour.
  int dark = 0;
  for (int y = 26; y < 26 + Detail().Height(); ++y)
    for (int x = 7; x < 300; ++x) dark += shot->PixelRgb(x, y) == GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_GT(dark, 20);
}

}  // namespace
}  // namespace velotune
